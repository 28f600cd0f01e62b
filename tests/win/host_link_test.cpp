// The viewer link driven in-process, where the plug-in's own bookkeeping can be seen: which viewers
// the application object still owns, the link in GWLP_USERDATA and the subclassing.
#include <windows.h>

#include <gtest/gtest.h>

#include "host/viewer_link_win.h"
#include "platform/window_win.h"
#include "settings/settings.h"
#include "testbed/testbed.h"

namespace tb = pictara::testbed;
using namespace pictara;

namespace {

const std::wstring kSvgW = tb::FixturePath("viewer/shapes.svg");
const std::string kSvg = tb::Narrow(kSvgW);
const std::string kMissing = tb::Narrow(tb::FixturePath("viewer/not-there.svg"));

class HostLink : public ::testing::Test {
 protected:
  void SetUp() override {
    Settings() = TSettings{};
    ASSERT_EQ(OwnedViewerCount(), 0u);
  }
  void TearDown() override {
    DestroyOwnedViewers();
    Settings() = TSettings{};
  }
};

TEST_F(HostLink, ShownViewerIsLinkedSubclassedAndOwned) {
  tb::ListerWindow lister({.file = kSvgW});
  HWND viewer = CreateViewerWindow(lister.Handle(), kSvg, false);
  ASSERT_NE(viewer, nullptr);
  TViewerLink* link = ViewerLinkOf(viewer);
  ASSERT_NE(link, nullptr);
  ASSERT_NE(link->Form, nullptr);
  EXPECT_EQ(link->Form->OpenedFileName, kSvg);
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(viewer, GWLP_WNDPROC)), &ViewerWndProc);
  EXPECT_NE(link->OldWndProc, nullptr);
  EXPECT_TRUE(IsWindowVisible(viewer));
  EXPECT_EQ(OwnedViewerCount(), 1u);

  CloseViewerWindow(viewer);
  EXPECT_FALSE(IsWindow(viewer));
  EXPECT_EQ(OwnedViewerCount(), 0u);
  CloseViewerWindow(viewer);  // nothing left to free
  EXPECT_EQ(OwnedViewerCount(), 0u);
}

TEST_F(HostLink, FailedLoadLeavesNothingBehind) {
  tb::ListerWindow lister({.file = tb::Widen(kMissing)});
  EXPECT_EQ(CreateViewerWindow(lister.Handle(), kMissing, false), nullptr);
  EXPECT_EQ(OwnedViewerCount(), 0u);
  EXPECT_TRUE(lister.Children().empty());
}

TEST_F(HostLink, DestroyedListerFreesItsViewerThroughWmDestroy) {
  tb::ListerWindow keep({.file = kSvgW});
  tb::ListerWindow gone({.file = kSvgW});
  HWND kept = CreateViewerWindow(keep.Handle(), kSvg, false);
  HWND lost = CreateViewerWindow(gone.Handle(), kSvg, true);
  ASSERT_NE(kept, nullptr);
  ASSERT_NE(lost, nullptr);
  ASSERT_EQ(OwnedViewerCount(), 2u);

  gone.Destroy();
  EXPECT_FALSE(IsWindow(lost));
  EXPECT_EQ(OwnedViewerCount(), 1u);
  EXPECT_NE(ViewerLinkOf(kept), nullptr) << "the other viewer is untouched";
  CloseViewerWindow(kept);
  EXPECT_EQ(OwnedViewerCount(), 0u);
}

TEST_F(HostLink, FailedNextFileKeepsThePreviousFile) {
  tb::ListerWindow lister({.file = kSvgW});
  HWND viewer = CreateViewerWindow(lister.Handle(), kSvg, false);
  ASSERT_NE(viewer, nullptr);
  TfmSVG& form = *ViewerLinkOf(viewer)->Form;
  EXPECT_FALSE(form.GlobalLoadNextImage(kMissing));
  EXPECT_EQ(form.OpenedFileName, kSvg);
  CloseViewerWindow(viewer);
}

TEST_F(HostLink, UnloadDestroysEveryViewerStillOwned) {
  tb::ListerWindow first({.file = kSvgW});
  tb::ListerWindow second({.file = kSvgW, .embedded = true});
  HWND a = CreateViewerWindow(first.Handle(), kSvg, false);
  HWND b = CreateViewerWindow(second.Handle(), kSvg, false);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  DestroyOwnedViewers();
  EXPECT_FALSE(IsWindow(a));
  EXPECT_FALSE(IsWindow(b));
  EXPECT_EQ(OwnedViewerCount(), 0u);
  EXPECT_TRUE(first.Children().empty());
  EXPECT_TRUE(second.Children().empty());
}

TEST(WindowServices, TopLevelMeansNoParentWindow) {
  tb::ListerWindow alone;
  tb::ListerWindow embedded({.file = L"x.svg", .embedded = true});
  EXPECT_TRUE(IsTopLevelWindow(alone.Handle()));
  EXPECT_FALSE(IsTopLevelWindow(embedded.Handle()));
  EXPECT_TRUE(IsTopLevelWindow(embedded.TopLevel()));
}

}  // namespace
