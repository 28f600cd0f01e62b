// The viewer's wait for a slow converter. On the host's window thread the wait keeps answering
// messages sent from other threads, and Esc (a real key press, so this program runs alone) gives
// the conversion up; ResponsiveWait=0 blocks as before. Also: a ".bat" set as the converter still
// runs, and what a converter writes after TimeOutSec is deleted by the next load.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "converters/slow_converter.h"
#include "testbed/testbed.h"

namespace tb = pictara::testbed;

namespace pictara {
namespace {

using namespace testing_support;

const std::wstring kSvg = tb::FixturePath("viewer/shapes.svg");
const std::wstring kOtherSvg = tb::FixturePath("viewer/square100.svg");

class SlowConversion : public SlowConverterTest {
 protected:
  std::unique_ptr<tb::PluginCopy> SlowPlugin(bool partialFirst, const std::string& moreIni = "") const {
    return std::make_unique<tb::PluginCopy>(SlowIni(partialFirst, moreIni));
  }

  // Counts the Esc key-downs that reach the Lister's window procedure, whether the Lister had the
  // focus itself or the viewer forwarded the key: the Esc that gave up a conversion must not
  // close the Lister as well.
  void CountEscapesAt(tb::ListerWindow& lister) {
    lister.onKeyDown = [this](WPARAM key) { escapesAtHost_ += key == VK_ESCAPE; };
  }
  int EscapesAtHost() {
    tb::PumpMessages(200);
    return escapesAtHost_;
  }
  int escapesAtHost_ = 0;
};

TEST_F(SlowConversion, MessagesSentFromOtherThreadsAreAnsweredDuringTheConversion) {
  auto copy = SlowPlugin(false);
  tb::Plugin plugin(copy->PluginPath());
  ASSERT_TRUE(plugin.Loaded()) << plugin.Problem();
  tb::ListerWindow lister({.file = kSvg});
  std::atomic<bool> waiting{false}, answered{false}, textRead{false};
  std::thread other([&] {
    waiting = ConverterWaiting(false);
    DWORD_PTR result = 0;
    answered = SendMessageTimeoutW(lister.Handle(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result) != 0;
    wchar_t caption[256] = {};
    textRead = SendMessageTimeoutW(lister.Handle(), WM_GETTEXT, 256, reinterpret_cast<LPARAM>(caption),
                                   SMTO_NORMAL, 5000, &result) != 0 && result > 0;
    WriteFileBytes(go_, "");
  });
  HWND viewer = plugin.ListLoadW(lister.Handle(), kSvg.c_str(), 0);
  other.join();
  EXPECT_TRUE(waiting);
  EXPECT_TRUE(answered);
  EXPECT_TRUE(textRead);
  ASSERT_NE(viewer, nullptr);
  plugin.ListCloseWindow(viewer);
}

TEST_F(SlowConversion, ResponsiveWaitOffBlocksTheThreadAsBefore) {
  auto copy = SlowPlugin(false, "ResponsiveWait=0\r\n");
  tb::Plugin plugin(copy->PluginPath());
  ASSERT_TRUE(plugin.Loaded()) << plugin.Problem();
  tb::ListerWindow lister({.file = kSvg});
  std::atomic<bool> waiting{false}, answered{true};
  std::thread other([&] {
    waiting = ConverterWaiting(false);
    // The converter waits for "go", which comes only after this: a blocked thread cannot answer.
    DWORD_PTR result = 0;
    answered = SendMessageTimeoutW(lister.Handle(), WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result) != 0;
    WriteFileBytes(go_, "");
  });
  HWND viewer = plugin.ListLoadW(lister.Handle(), kSvg.c_str(), 0);
  other.join();
  EXPECT_TRUE(waiting);
  EXPECT_FALSE(answered);
  ASSERT_NE(viewer, nullptr);
  plugin.ListCloseWindow(viewer);
}

TEST_F(SlowConversion, EscGivesUpTheFirstLoadAndLeavesNoFile) {
  auto copy = SlowPlugin(true);
  tb::Plugin plugin(copy->PluginPath());
  ASSERT_TRUE(plugin.Loaded()) << plugin.Problem();
  tb::ListerWindow lister({.file = kSvg});
  CountEscapesAt(lister);
  std::atomic<bool> waiting{false};
  std::thread other([&] {
    waiting = ConverterWaiting(true);
    PressEscape();
  });
  HWND viewer = plugin.ListLoadW(lister.Handle(), kSvg.c_str(), 0);
  other.join();
  EXPECT_TRUE(waiting);
  EXPECT_EQ(viewer, nullptr);
  // Ended by the plug-in, not by "go"; its partial output is gone (and the fixture checks the
  // folder again at the end).
  EXPECT_TRUE(WaitUntilGone(exe_.c_str()));
  EXPECT_EQ(OutputsOfOurs(), 0);
  EXPECT_EQ(EscapesAtHost(), 0);
}

TEST_F(SlowConversion, EscDuringNavigationKeepsThePicture) {
  auto copy = SlowPlugin(true);
  tb::Plugin plugin(copy->PluginPath());
  ASSERT_TRUE(plugin.Loaded()) << plugin.Problem();
  tb::ListerWindow lister({.file = kSvg});
  ASSERT_TRUE(WriteFileBytes(go_, ""));
  HWND viewer = plugin.ListLoadW(lister.Handle(), kSvg.c_str(), 0);
  ASSERT_NE(viewer, nullptr);
  lister.SetViewer(viewer);
  tb::PumpMessages(100);
  const std::wstring caption = lister.Caption();
  ASSERT_TRUE(WaitUntilGone(exe_.c_str()));
  ASSERT_TRUE(DeleteFileName(go_));
  CountEscapesAt(lister);

  std::atomic<bool> waiting{false};
  std::thread other([&] {
    waiting = ConverterWaiting(true);
    PressEscape();
  });
  plugin.ListLoadNextW(lister.Handle(), viewer, kOtherSvg.c_str(), 0);
  other.join();
  EXPECT_TRUE(waiting);
  EXPECT_TRUE(IsWindow(viewer));
  EXPECT_EQ(lister.Caption(), caption) << "the picture shown before stays";
  EXPECT_TRUE(WaitUntilGone(exe_.c_str()));
  EXPECT_EQ(OutputsOfOurs(), 0);
  EXPECT_EQ(EscapesAtHost(), 0);
  plugin.ListCloseWindow(viewer);
}

TEST_F(SlowConversion, LateOutputAfterTheTimeLimitIsGoneAfterTheNextLoad) {
  auto copy = SlowPlugin(false, "TimeOutSec=1\r\nRereadIni=1\r\n");
  tb::Plugin plugin(copy->PluginPath());
  ASSERT_TRUE(plugin.Loaded()) << plugin.Problem();
  tb::ListerWindow lister({.file = kSvg});
  // Nothing written within the limit: the load fails and the converter goes on.
  EXPECT_EQ(plugin.ListLoadW(lister.Handle(), kSvg.c_str(), 0), nullptr);
  EXPECT_TRUE(ProcessRunning(exe_.c_str()));
  ASSERT_TRUE(WriteFileBytes(go_, ""));
  ASSERT_TRUE(WaitUntilGone(exe_.c_str()));
  EXPECT_EQ(OutputsOfOurs(), 1) << "the late output, written after the conversion had returned";

  // The next load without a limit (read again at the new viewer), so a slow start cannot fail it.
  copy->WriteFile(L"Pictara.ini", SlowIni(false, "RereadIni=1\r\n"));
  HWND viewer = plugin.ListLoadW(lister.Handle(), kSvg.c_str(), 0);
  ASSERT_NE(viewer, nullptr);
  EXPECT_EQ(OutputsOfOurs(), 0);
  plugin.ListCloseWindow(viewer);
}

class BatchConverter : public PrivateTempTest {};

TEST_F(BatchConverter, ABatchFileSetAsTheConverterStillRuns) {
  const std::string batch = Folder() + "render.bat";
  ASSERT_TRUE(WriteFileBytes(batch, "@\"" + Narrow(tb::ProgramFolder()) + "rsvg\\rsvg-convert.exe\" %*\r\n"));
  tb::PluginCopy copy("[Setup]\r\nRSVGPath=" + batch + "\r\n");
  tb::Plugin plugin(copy.PluginPath());
  ASSERT_TRUE(plugin.Loaded()) << plugin.Problem();
  tb::ListerWindow lister({.file = kSvg});
  HWND viewer = plugin.ListLoadW(lister.Handle(), kSvg.c_str(), 0);
  ASSERT_NE(viewer, nullptr);
  plugin.ListCloseWindow(viewer);
  DeleteFileName(batch);
}

}  // namespace
}  // namespace pictara
