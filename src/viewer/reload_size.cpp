#include "viewer/reload_size.h"

namespace pictara {

Size GetReloadSize(TReloadMode mode, const TReloadSizes& sizes, bool& DontResizeSmall) {
  DontResizeSmall = false;
  Size size;
  switch (mode) {
    case TReloadMode::DefaultSize: size = sizes.SettingsOpenSize; break;
    case TReloadMode::OriginalSize:
      size = {0, 0};
      DontResizeSmall = true;
      break;
    case TReloadMode::ScreenSize: size = sizes.ScreenSize; break;
    case TReloadMode::DoubleScreenSize: size = {2 * sizes.ScreenSize.width, 2 * sizes.ScreenSize.height}; break;
    case TReloadMode::WindowSize: size = sizes.ClientSize; break;
    case TReloadMode::FitBigOnly:
      size = sizes.ClientSize;
      DontResizeSmall = true;
      break;
    case TReloadMode::None: size = sizes.ViewerOpenSize; break;
  }
  if (size.width == -1 || size.height == -1) size = sizes.ClientSize;
  return size;
}

TReloadMode ToggleReloadMode(TReloadMode checked, TReloadMode chosen) {
  return chosen == checked ? TReloadMode::None : chosen;
}

bool IsDoubleScreenSizeVisible(bool shiftDown, TReloadMode checked) {
  return shiftDown || checked == TReloadMode::DoubleScreenSize;
}

Size FirstLoadSize(Size settingsOpenSize, Size clientSize) {
  return settingsOpenSize.width == -1 || settingsOpenSize.height == -1 ? clientSize : settingsOpenSize;
}

}  // namespace pictara
