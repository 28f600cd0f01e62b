// The host closes a viewer while its load waits for the converter. The wait answers messages sent
// from other threads, so a WM_CLOSE sent to the Lister destroys it (and the viewer's windows) on
// this thread while the load is still on the stack: the viewer must be freed only after the load
// has returned, the load must report failure, the converter must not be waited for any longer and
// no file of ours may stay behind. Driven in-process, where the viewers still owned can be seen.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

#include "converters/support.h"
#include "host/viewer_link_win.h"
#include "settings/settings.h"
#include "testbed/testbed.h"

namespace tb = pictara::testbed;

namespace pictara {
namespace {

using namespace testing_support;

const std::wstring kSvgW = tb::FixturePath("viewer/shapes.svg");
const std::string kSvg = tb::Narrow(kSvgW);
const std::string kOtherSvg = tb::Narrow(tb::FixturePath("viewer/square100.svg"));

// What a host may do with its Lister when a message sent from another thread tells it to close.
enum class TCloseBy {
  ListerClosed,            // WM_CLOSE: the Lister is destroyed with the viewer inside
  ListCloseWindowThenDestroy,  // the host's own order: ListCloseWindow, then the Lister goes
};

constexpr UINT kHostCloses = WM_APP + 7;
WNDPROC gListerProc = nullptr;
HWND gViewer = nullptr;

LRESULT CALLBACK HostListerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kHostCloses) {
    CloseViewerWindow(gViewer);
    DestroyWindow(window);
    return 0;
  }
  return CallWindowProcW(gListerProc, window, message, wParam, lParam);
}

class CloseDuringLoad : public PrivateTempTest {
 protected:
  void SetUp() override {
    PrivateTempTest::SetUp();
    Settings() = TSettings{};
    ASSERT_EQ(OwnedViewerCount(), 0u);
    go_ = Folder() + "go";
    converter_ = OwnCopyOf("slow-convert.exe");
    exe_ = Wide(ExtractFileName(converter_));
    // Our converter writes part of its output, waits for the file "go", then writes a real picture.
    Settings().RSVGPath = converter_;
    Settings().RSVGAdditionalCmd = "--write-output --wait-for \"" + go_ + "\" --then-copy \"" +
                                   Narrow(tb::FixturePath("raster/rgba.png")) + "\"";
    gViewer = nullptr;
  }
  void TearDown() override {
    WriteFileBytes(go_, "");  // whatever still waits may end now
    EXPECT_TRUE(WaitUntilGone(exe_.c_str()));
    DeleteFileName(go_);
    DestroyOwnedViewers();
    Settings() = TSettings{};
    PrivateTempTest::TearDown();
  }

  // A viewer that shows kSvg, its converter let through at once.
  HWND ShownViewer(tb::ListerWindow& lister) {
    WriteFileBytes(go_, "");
    HWND viewer = CreateViewerWindow(lister.Handle(), kSvg, false);
    DeleteFileName(go_);
    EXPECT_TRUE(WaitUntilGone(exe_.c_str()));
    lister.SetViewer(viewer);
    return viewer;
  }

  // Runs `load` on this thread while another thread, once our converter runs, tells the Lister to
  // close as `how` says. The converter is never let through: the load must give it up.
  void CloseWhileLoading(tb::ListerWindow& lister, HWND viewer, TCloseBy how, const std::function<void()>& load) {
    if (how == TCloseBy::ListCloseWindowThenDestroy) {
      gViewer = viewer;
      gListerProc = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrW(lister.Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HostListerProc)));
    }
    std::atomic<bool> running{false}, answered{false};
    const HWND target = lister.Handle();
    std::thread other([&] {
      for (int i = 0; i < 400 && !running; ++i) {
        running = ProcessRunning(exe_.c_str());
        if (!running) Sleep(25);
      }
      DWORD_PTR result = 0;
      answered = SendMessageTimeoutW(target, how == TCloseBy::ListerClosed ? WM_CLOSE : kHostCloses, 0, 0,
                                     SMTO_NORMAL, 10000, &result) != 0;
    });
    load();
    other.join();
    EXPECT_TRUE(running);
    EXPECT_TRUE(answered);
    EXPECT_FALSE(lister.Exists());
    EXPECT_TRUE(WaitUntilGone(exe_.c_str())) << "the converter of a closed viewer is given up";
  }

  std::string go_, converter_;
  std::wstring exe_;
};

TEST_F(CloseDuringLoad, ListerClosedDuringTheFirstLoadGivesNoViewer) {
  tb::ListerWindow lister({.file = kSvgW});
  HWND viewer = reinterpret_cast<HWND>(1);
  CloseWhileLoading(lister, nullptr, TCloseBy::ListerClosed,
                    [&] { viewer = CreateViewerWindow(lister.Handle(), kSvg, false); });
  EXPECT_EQ(viewer, nullptr);
  EXPECT_EQ(OwnedViewerCount(), 0u);
}

constexpr TCloseBy kHosts[] = {TCloseBy::ListerClosed, TCloseBy::ListCloseWindowThenDestroy};

TEST_F(CloseDuringLoad, ClosedDuringNavigationFreesTheViewerAfterTheLoad) {
  for (TCloseBy how : kHosts) {
    SCOPED_TRACE(how == TCloseBy::ListerClosed ? "WM_CLOSE" : "ListCloseWindow, then DestroyWindow");
    tb::ListerWindow lister({.file = kSvgW});
    HWND viewer = ShownViewer(lister);
    ASSERT_NE(viewer, nullptr);
    bool loaded = true;
    CloseWhileLoading(lister, viewer, how, [&] { loaded = LoadNextIntoViewer(viewer, kOtherSvg); });
    EXPECT_FALSE(loaded) << "a load whose viewer was closed reports failure";
    EXPECT_FALSE(IsWindow(viewer));
    EXPECT_EQ(OwnedViewerCount(), 0u);
    EXPECT_FALSE(LoadNextIntoViewer(viewer, kOtherSvg));
    CloseViewerWindow(viewer);  // the host's late close finds nothing
  }
}

TEST_F(CloseDuringLoad, ClosedDuringAReloadCommandFreesTheViewerFromTheMessageLoop) {
  for (TCloseBy how : kHosts) {
    SCOPED_TRACE(how == TCloseBy::ListerClosed ? "WM_CLOSE" : "ListCloseWindow, then DestroyWindow");
    tb::ListerWindow lister({.file = kSvgW});
    HWND viewer = ShownViewer(lister);
    ASSERT_NE(viewer, nullptr);
    TfmSVG* form = ViewerLinkOf(viewer)->Form;
    CloseWhileLoading(lister, viewer, how, [&] { form->ReloadItemClick(TReloadMode::OriginalSize); });
    // The command's frames were on the stack when the close came; the host's loop finishes it.
    EXPECT_EQ(OwnedViewerCount(), 1u);
    for (int i = 0; i < 100 && OwnedViewerCount() > 0; ++i) tb::PumpMessages(20);
    EXPECT_EQ(OwnedViewerCount(), 0u);
    EXPECT_FALSE(IsWindow(viewer));
  }
}

// The same for a command's modal dialog: its message loop answers the host's close (here
// ListCloseWindow alone, the Lister stays), and the viewer under the dialog must live on until
// the command has returned; then the host's loop frees it.
constexpr UINT kHostClosesViewer = WM_APP + 8;
LRESULT CALLBACK ListCloseWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kHostClosesViewer) {
    CloseViewerWindow(gViewer);
    return 0;
  }
  return CallWindowProcW(gListerProc, window, message, wParam, lParam);
}

BOOL CALLBACK FindColourDialog(HWND w, LPARAM found) {
  wchar_t cls[16] = {};
  GetClassNameW(w, cls, 16);
  if (IsWindowVisible(w) && std::wstring(cls) == L"#32770") {
    *reinterpret_cast<HWND*>(found) = w;
    return FALSE;
  }
  return TRUE;
}

TEST_F(CloseDuringLoad, ClosedUnderACommandsDialogFreesTheViewerAfterTheCommand) {
  tb::ListerWindow lister({.file = kSvgW});
  HWND viewer = ShownViewer(lister);
  ASSERT_NE(viewer, nullptr);
  TfmSVG* form = ViewerLinkOf(viewer)->Form;
  gViewer = viewer;
  gListerProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(lister.Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ListCloseWindowProc)));
  const HWND target = lister.Handle();
  const DWORD thread = GetCurrentThreadId();
  std::atomic<bool> closed{false};
  std::thread other([&] {
    HWND dialog = nullptr;
    for (int i = 0; i < 400 && !dialog; ++i) {
      EnumThreadWindows(thread, &FindColourDialog, reinterpret_cast<LPARAM>(&dialog));
      if (!dialog) Sleep(25);
    }
    if (!dialog) return;
    DWORD_PTR result = 0;
    closed = SendMessageTimeoutW(target, kHostClosesViewer, 0, 0, SMTO_NORMAL, 10000, &result) != 0;
    Sleep(200);  // the reap timer fires inside the dialog's loop meanwhile
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  form->mnBackgroundColorClick();
  other.join();
  EXPECT_TRUE(closed);
  EXPECT_EQ(OwnedViewerCount(), 1u) << "not freed under the dialog";
  for (int i = 0; i < 100 && OwnedViewerCount() > 0; ++i) tb::PumpMessages(20);
  EXPECT_EQ(OwnedViewerCount(), 0u);
  EXPECT_FALSE(IsWindow(viewer));
  EXPECT_TRUE(lister.Exists());
}

}  // namespace
}  // namespace pictara
