// The viewer's one error report, shown by a real viewer window: a warning box owned by the viewer,
// and the focus back where it was. Runs alone, since the focus follows the foreground window.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>

#include "host/viewer_link_win.h"
#include "settings/settings.h"
#include "testbed/testbed.h"

namespace tb = pictara::testbed;
using namespace pictara;

namespace {

const std::wstring kSvgW = tb::FixturePath("viewer/shapes.svg");
const std::string kSvg = tb::Narrow(kSvgW);

class HostError : public ::testing::Test {
 protected:
  void SetUp() override { Settings() = TSettings{}; }
  void TearDown() override { DestroyOwnedViewers(); }
};

}  // namespace

namespace {

TEST_F(HostError, EscapedErrorIsShownInAWarningBoxAndTheFocusComesBack) {
  tb::ListerWindow lister({.file = kSvgW});
  HWND viewer = CreateViewerWindow(lister.Handle(), kSvg, false);
  ASSERT_NE(viewer, nullptr);
  tb::PumpMessages();
  HWND focused = GetFocus();
  ASSERT_TRUE(IsChild(viewer, focused));

  tb::MessageBoxWatcher boxes;
  TfmSVG& form = *ViewerLinkOf(viewer)->Form;
  form.ApplicationEvents1Exception(std::runtime_error("Cannot read the file"));
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  const auto& box = boxes.Boxes()[0];
  EXPECT_EQ(box.caption, L"Pictara Error");
  EXPECT_EQ(box.text, L"std::runtime_error\rCannot read the file");
  EXPECT_EQ(box.owner, GetAncestor(viewer, GA_ROOT)) << "owned by the viewer's window";
  EXPECT_EQ(box.icon, LoadIconW(nullptr, IDI_WARNING));
  EXPECT_EQ(box.visibleButtons, 1);
  EXPECT_EQ(GetFocus(), focused);
  CloseViewerWindow(viewer);
}

}  // namespace
