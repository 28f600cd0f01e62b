// Timing program: how the host's window thread answers while the plug-in waits for a slow
// converter. During a conversion of ten seconds another thread sends the Lister window a message
// every 50 ms and times each answer; then Esc (a real key press) is timed from the press to the
// return of ListLoadW, round after round, with the temporary folder checked after each. Prints
// medians and worst cases; asserts only that the waits ended as they must, never on time.
// BENCH_ROUNDS sets the rounds of Esc.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

#include "converters/slow_converter.h"
#include "testbed/testbed.h"
#include "testbed/timing.h"

namespace tb = pictara::testbed;

namespace pictara {
namespace {

using namespace testing_support;

const std::wstring kSvg = tb::FixturePath("viewer/shapes.svg");

using tb::Median;
double Now() { return tb::NowMs(); }

double Worst(const std::vector<double>& v) { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }

using WaitTiming = SlowConverterTest;

TEST_F(WaitTiming, SentMessagesDuringATenSecondConversion) {
  tb::PluginCopy copy(SlowIni(true));
  tb::Plugin plugin(copy.PluginPath());
  ASSERT_TRUE(plugin.Loaded()) << plugin.Problem();
  tb::ListerWindow lister({.file = kSvg});
  std::vector<double> answers;
  int unanswered = 0;
  std::atomic<bool> waiting{false};
  std::thread other([&] {
    waiting = ConverterWaiting(true);
    const double end = Now() + 10000;
    while (Now() < end) {
      DWORD_PTR result = 0;
      wchar_t caption[256] = {};
      const double sent = Now();
      if (SendMessageTimeoutW(lister.Handle(), WM_GETTEXT, 256, reinterpret_cast<LPARAM>(caption), SMTO_NORMAL,
                              5000, &result))
        answers.push_back(Now() - sent);
      else
        ++unanswered;
      Sleep(50);
    }
    WriteFileBytes(go_, "");
  });
  HWND viewer = plugin.ListLoadW(lister.Handle(), kSvg.c_str(), 0);
  other.join();
  EXPECT_TRUE(waiting);
  EXPECT_EQ(unanswered, 0);
  ASSERT_NE(viewer, nullptr);
  plugin.ListCloseWindow(viewer);
  std::printf("messages sent from another thread during a 10 s conversion: %zu answered, %d not; answer median "
              "%.2f ms, worst %.2f ms (goal: within 200 ms)\n",
              answers.size(), unanswered, Median(answers), Worst(answers));
}

TEST_F(WaitTiming, EscFromThePressToTheEndOfTheLoad) {
  tb::PluginCopy copy(SlowIni(true));
  tb::Plugin plugin(copy.PluginPath());
  ASSERT_TRUE(plugin.Loaded()) << plugin.Problem();
  std::vector<double> ended, gone;
  int filesLeft = 0, loadsShown = 0;
  const int rounds = tb::BenchRounds(10);
  for (int round = 0; round < rounds; ++round) {
    tb::ListerWindow lister({.file = kSvg});
    std::atomic<double> pressed{0};
    std::thread other([&] {
      if (!ConverterWaiting(true)) return;
      pressed = Now();
      PressEscape();
    });
    HWND viewer = plugin.ListLoadW(lister.Handle(), kSvg.c_str(), 0);
    const double returned = Now();
    other.join();
    if (viewer) {
      ++loadsShown;
      plugin.ListCloseWindow(viewer);
      WriteFileBytes(go_, "");
      WaitUntilGone(exe_.c_str());
      DeleteFileName(go_);
      continue;
    }
    ended.push_back(returned - pressed);
    // The converter is ended by the plug-in; its output is deleted once it has exited.
    while (ProcessRunning(exe_.c_str()) && Now() - returned < 5000) Sleep(1);
    gone.push_back(Now() - pressed);
    filesLeft += OutputsOfOurs();
  }
  EXPECT_EQ(loadsShown, 0);
  EXPECT_EQ(filesLeft, 0);
  std::printf("Esc during a first load, %d rounds: load returned after median %.2f ms, worst %.2f ms (goal: "
              "within 200 ms); converter gone after median %.2f ms, worst %.2f ms; files left %d\n",
              rounds, Median(ended), Worst(ended), Median(gone), Worst(gone), filesLeft);
}

}  // namespace
}  // namespace pictara
