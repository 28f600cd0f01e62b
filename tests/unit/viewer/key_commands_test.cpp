#include "viewer/key_commands.h"

#include <gtest/gtest.h>

namespace pictara {
namespace {

using C = TViewerCommand;

TEST(FormKeyDown, KeyTableWithTheModifierStateComparedAsAWhole) {
  struct Case {
    const char* name;
    uint32_t key;
    ShiftState shift;
    TKeyAction expected;
  } const kCases[] = {
      {"Esc", vk::kEscape, ssNone, {C::PostKeyToLister, vk::kEscape, true}},
      {"Shift+Esc is not acted on", vk::kEscape, ssShift, {}},
      {"Ctrl+Esc", vk::kEscape, ssCtrl, {}},
      {"1", '1', ssNone, {C::PostKeyToLister, '1', true}},
      {"0", '0', ssNone, {C::PostKeyToLister, '0', true}},
      {"9", '9', ssNone, {C::PostKeyToLister, '9', true}},
      {"keypad 5 is not forwarded", vk::kNumpad0 + 5, ssNone, {}},
      {"Ctrl+1", '1', ssCtrl, {}},
      {"keypad +", vk::kAdd, ssNone, {C::ZoomIn, 0, false}},
      {"keypad -", vk::kSubtract, ssNone, {C::ZoomOut, 0, false}},
      {"main keyboard + does nothing", 0xBB, ssNone, {}},
      {"main keyboard - does nothing", 0xBD, ssNone, {}},
      {"Ctrl+keypad +", vk::kAdd, ssCtrl, {}},
      {"F", 'F', ssNone, {C::FitImage, 0, true}},
      {"Shift+F", 'F', ssShift, {}},
      {"T", 'T', ssNone, {C::BackgroundImage, 0, true}},
      {"W", 'W', ssNone, {C::ReloadWindowSize, 0, true}},
      {"E", 'E', ssNone, {C::ReloadOriginalSize, 0, true}},
      {"S", 'S', ssNone, {C::ReloadScreenSize, 0, true}},
      {"B", 'B', ssNone, {C::ReloadFitBigOnly, 0, true}},
      {"Space", vk::kSpace, ssNone, {C::NextFile, 0, true}},
      {"Backspace", vk::kBack, ssNone, {C::PreviousFile, 0, true}},
      {"Space with the left mouse button held", vk::kSpace, ssLeft, {}},
      {"Ctrl+Right", vk::kRight, ssCtrl, {C::NextFile, 0, true}},
      {"Ctrl+Left", vk::kLeft, ssCtrl, {C::PreviousFile, 0, true}},
      {"Right alone reaches the image box", vk::kRight, ssNone, {}},
      {"Ctrl+Shift+Right", vk::kRight, ssCtrl | ssShift, {}},
      {"Ctrl+B", 'B', ssCtrl, {C::BackgroundImage, 0, true}},
      {"Ctrl+F", 'F', ssCtrl, {}},
      {"Alt+X closes the Lister like Esc", 'X', ssAlt, {C::PostKeyToLister, vk::kEscape, false}},
      {"X", 'X', ssNone, {}},
      {"Ctrl+Alt+X", 'X', ssCtrl | ssAlt, {}},
      {"Alt+Left reaches the image box", vk::kLeft, ssAlt, {}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const TKeyAction got = FormKeyDownAction(c.key, c.shift);
    EXPECT_EQ(got.Command, c.expected.Command);
    EXPECT_EQ(got.PostKey, c.expected.PostKey);
    EXPECT_EQ(got.Consumed, c.expected.Consumed);
  }
}

TEST(FormMouseDown, MiddleButtonTogglesAStandAloneListerOnly) {
  struct Case {
    MouseButton button;
    bool topLevel;
    uint32_t showCmd;
    TListerShowChange expected;
  } const kCases[] = {
      {MouseButton::Middle, true, 3, TListerShowChange::Restore},   // maximised
      {MouseButton::Middle, true, 1, TListerShowChange::Maximize},  // normal
      {MouseButton::Middle, true, 2, TListerShowChange::Maximize},  // minimised
      {MouseButton::Middle, false, 3, TListerShowChange::None},     // embedded
      {MouseButton::Left, true, 1, TListerShowChange::None},
      {MouseButton::Right, true, 3, TListerShowChange::None},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << static_cast<int>(c.button) << " " << c.topLevel << " " << c.showCmd);
    EXPECT_EQ(FormMouseDownAction(c.button, c.topLevel, c.showCmd), c.expected);
  }
}

TEST(ImageBoxGesture, SwipesChangeTheFileOnlyWithoutScrollBars) {
  struct Case {
    int32_t id;
    bool scrollBar;
    TGestureAction expected;
  } const kCases[] = {
      {gesture::kSwipeLeft, false, {true, C::NextFile}},
      {gesture::kSwipeRight, false, {true, C::PreviousFile}},
      {gesture::kSwipeLeft, true, {true, C::None}},
      {gesture::kSwipeRight, true, {true, C::None}},
      {gesture::kZoom, false, {true, C::None}},
      {gesture::kPan, true, {true, C::None}},
      {3, false, {false, C::None}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.id << " " << c.scrollBar);
    EXPECT_EQ(ImageBoxGestureAction(c.id, c.scrollBar), c.expected);
  }
}

TEST(PopupMenu, DefaultSizeNeedsBothOpenSizesPositive) {
  struct Case {
    int32_t w, h;
    bool background;
    TPopupMenuState expected;
  } const kCases[] = {
      {640, 480, false, {true, false}},
      {0, 0, true, {false, true}},
      {-1, -1, false, {false, false}},
      {640, 0, false, {false, false}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.w << " x " << c.h);
    TSettings s;
    s.OpenWidth = c.w;
    s.OpenHeight = c.h;
    s.BackgroundImage = c.background;
    EXPECT_EQ(PopupMenuState(s), c.expected);
  }
}

}  // namespace
}  // namespace pictara
