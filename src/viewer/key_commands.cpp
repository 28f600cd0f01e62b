#include "viewer/key_commands.h"

namespace pictara {

TKeyAction FormKeyDownAction(uint32_t key, ShiftState shift) {
  using C = TViewerCommand;
  const auto act = [](C command, bool consumed) { return TKeyAction{command, 0, consumed}; };
  if (shift == 0) {
    // Esc closes the Lister and the digits switch the host's view mode: both belong to the host.
    if (key == vk::kEscape || (key >= vk::k0 && key <= vk::k9)) return {C::PostKeyToLister, key, true};
    switch (key) {
      // Zoom is not consumed: the image box sees the key after the zoom step as well.
      case vk::kAdd: return act(C::ZoomIn, false);
      case vk::kSubtract: return act(C::ZoomOut, false);
      case vk::kF: return act(C::FitImage, true);
      case vk::kT: return act(C::BackgroundImage, true);
      case vk::kW: return act(C::ReloadWindowSize, true);
      case vk::kE: return act(C::ReloadOriginalSize, true);
      case vk::kS: return act(C::ReloadScreenSize, true);
      case vk::kB: return act(C::ReloadFitBigOnly, true);
      case vk::kSpace: return act(C::NextFile, true);
      case vk::kBack: return act(C::PreviousFile, true);
      default: break;
    }
  } else if (shift == ssCtrl) {
    switch (key) {
      case vk::kRight: return act(C::NextFile, true);
      case vk::kLeft: return act(C::PreviousFile, true);
      case vk::kB: return act(C::BackgroundImage, true);
      default: break;
    }
  } else if (shift == ssAlt && key == vk::kX) {
    // Alt+X closes the Lister like Esc; not consumed, so the focused control still sees it.
    return {C::PostKeyToLister, vk::kEscape, false};
  }
  return {};
}

TListerShowChange FormMouseDownAction(MouseButton button, bool listerIsTopLevel, uint32_t showCmd) {
  if (button != MouseButton::Middle || !listerIsTopLevel) return TListerShowChange::None;
  return (showCmd & 3) == 3 ? TListerShowChange::Restore : TListerShowChange::Maximize;
}

TGestureAction ImageBoxGestureAction(int32_t gestureId, bool scrollBarVisible) {
  switch (gestureId) {
    case gesture::kSwipeLeft:
    case gesture::kSwipeRight: {
      if (scrollBarVisible) return {true, TViewerCommand::None};
      return {true, gestureId == gesture::kSwipeLeft ? TViewerCommand::NextFile : TViewerCommand::PreviousFile};
    }
    case gesture::kZoom:
    case gesture::kPan: return {true, TViewerCommand::None};
    default: return {};
  }
}

int32_t SwipeGestureId(int32_t dx, int32_t dy, int32_t pixelsPerInch) {
  const int64_t sideways = dx < 0 ? -static_cast<int64_t>(dx) : dx;
  const int64_t upDown = dy < 0 ? -static_cast<int64_t>(dy) : dy;
  if (3 * sideways < pixelsPerInch || sideways <= 2 * upDown) return 0;
  return dx < 0 ? gesture::kSwipeLeft : gesture::kSwipeRight;
}

TPopupMenuState PopupMenuState(const TSettings& settings) {
  return {settings.OpenWidth > 0 && settings.OpenHeight > 0, settings.BackgroundImage};
}

}  // namespace pictara
