// Where the keyboard focus goes when the plug-in shows a file. The focus belongs to the foreground
// window, so this program runs alone (see tests/win/CMakeLists.txt).
#include <windows.h>

#include <gtest/gtest.h>

#include "testbed/testbed.h"

namespace tb = pictara::testbed;

namespace {

const std::wstring kSvg = tb::FixturePath("viewer/shapes.svg");

class ListerFocus : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(plugin.Loaded()) << plugin.Problem(); }
  tb::Plugin plugin;
};

bool IsInside(HWND ancestor, HWND window) { return window && (window == ancestor || IsChild(ancestor, window)); }

TEST_F(ListerFocus, ViewerTakesTheFocusOnlyInAStandAloneLister) {
  {
    tb::ListerWindow lister({.file = kSvg});
    HWND viewer = plugin.ListLoadW(lister.Handle(), kSvg.c_str(), 0);
    ASSERT_NE(viewer, nullptr);
    tb::PumpMessages();
    EXPECT_TRUE(IsInside(viewer, GetFocus())) << "focus on " << GetFocus();
    EXPECT_NE(GetFocus(), viewer) << "the image box, not the form, takes the keys";
    plugin.ListCloseWindow(viewer);
  }
  {
    tb::ListerWindow lister({.file = kSvg, .embedded = true});
    ASSERT_EQ(GetFocus(), lister.FrameControl());
    HWND viewer = plugin.ListLoadW(lister.Handle(), kSvg.c_str(), 0);
    ASSERT_NE(viewer, nullptr);
    tb::PumpMessages();
    EXPECT_EQ(GetFocus(), lister.FrameControl());
    plugin.ListCloseWindow(viewer);
  }
}

}  // namespace
