// Which user input runs which viewer command: the keys the form sees before any control, the
// middle mouse button, touch swipes, and the state of the context menu when it opens. Pure
// mappings; the viewer carries the commands out.
#pragma once

#include <cstdint>

#include "base/shift_state.h"
#include "settings/settings.h"

namespace pictara {

// Virtual-key codes (the Windows values), named so as not to clash with the system's macros.
namespace vk {
constexpr uint32_t kBack = 0x08;
constexpr uint32_t kEscape = 0x1B;
constexpr uint32_t kSpace = 0x20;
constexpr uint32_t kLeft = 0x25;
constexpr uint32_t kRight = 0x27;
constexpr uint32_t k0 = 0x30;  // '0' to '9' on the main keyboard: 0x30 to 0x39
constexpr uint32_t k9 = 0x39;
constexpr uint32_t kB = 'B';
constexpr uint32_t kE = 'E';
constexpr uint32_t kF = 'F';
constexpr uint32_t kS = 'S';
constexpr uint32_t kT = 'T';
constexpr uint32_t kW = 'W';
constexpr uint32_t kX = 'X';
constexpr uint32_t kNumpad0 = 0x60;
constexpr uint32_t kAdd = 0x6B;       // + on the numeric keypad
constexpr uint32_t kSubtract = 0x6D;  // - on the numeric keypad
}  // namespace vk

enum class TViewerCommand {
  None,
  PostKeyToLister,     // post WM_KEYDOWN (TKeyAction::PostKey, lParam 0) to the Lister window
  ZoomIn,              // IncreaseImageScale(true) of the image box
  ZoomOut,             // IncreaseImageScale(false)
  FitImage,            // click mnFitImage
  BackgroundImage,     // click mnBackgroundImage
  ReloadWindowSize,    // click mnReloadWindowSize (toggling its check mark like a menu choice)
  ReloadOriginalSize,  // click mnReloadOriginalSize
  ReloadScreenSize,    // click mnReloadScreenSize
  ReloadFitBigOnly,    // click mnReloadFitBigOnly
  NextFile,            // click sbtNext
  PreviousFile,        // click sbtPrev
};

struct TKeyAction {
  TViewerCommand Command = TViewerCommand::None;
  uint32_t PostKey = 0;   // for PostKeyToLister
  bool Consumed = false;  // the key is set to 0: the focused control (the image box) never sees it
  friend bool operator==(const TKeyAction&, const TKeyAction&) = default;
};

// The form's key preview. Keys without a row reach the image box unchanged (arrows, Home, End,
// Page Up/Down and Alt+arrows scroll there); Ctrl+Left/Right are taken here for the previous and
// next file, so the image box never scrolls with them.
TKeyAction FormKeyDownAction(uint32_t key, ShiftState shift);

// What a mouse press on the form or the picture does to the Lister window: only the middle button
// acts, and only on a stand-alone Lister, toggling it between maximised and its normal size.
enum class TListerShowChange { None, Maximize, Restore };
// showCmd: the show state from the Lister window's placement (3: maximised).
TListerShowChange FormMouseDownAction(MouseButton button, bool listerIsTopLevel, uint32_t showCmd);

// Touch gestures on the image box, by the system's gesture identifier.
namespace gesture {
constexpr int32_t kSwipeLeft = 1;
constexpr int32_t kSwipeRight = 2;
constexpr int32_t kZoom = 259;
constexpr int32_t kPan = 260;
}  // namespace gesture

struct TGestureAction {
  bool Handled = false;
  TViewerCommand Command = TViewerCommand::None;
  friend bool operator==(const TGestureAction&, const TGestureAction&) = default;
};

// A swipe changes the file only when the whole picture is visible: with a scroll bar shown, the
// finger is moving the picture, not asking for another file.
TGestureAction ImageBoxGestureAction(int32_t gestureId, bool scrollBarVisible);

// A finished touch pan as a swipe: at least a third of an inch sideways and more than twice as far
// sideways as up or down gives kSwipeLeft (finger moved left) or kSwipeRight; anything else 0.
int32_t SwipeGestureId(int32_t dx, int32_t dy, int32_t pixelsPerInch);

// The context menu's state when it opens.
struct TPopupMenuState {
  bool DefaultSizeEnabled = false;  // "Default Size" needs both open sizes positive
  bool BackgroundImageChecked = false;
  friend bool operator==(const TPopupMenuState&, const TPopupMenuState&) = default;
};
TPopupMenuState PopupMenuState(const TSettings& settings);

}  // namespace pictara
