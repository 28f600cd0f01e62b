#include "viewer/reload_size.h"

namespace pictara {

TSize GetReloadSize(TReloadMode mode, const TReloadSizes& sizes, bool& DontResizeSmall) {
  DontResizeSmall = false;
  TSize size;
  switch (mode) {
    case TReloadMode::DefaultSize: size = sizes.SettingsOpenSize; break;
    case TReloadMode::OriginalSize:
      size = {0, 0};
      DontResizeSmall = true;
      break;
    case TReloadMode::ScreenSize: size = sizes.ScreenSize; break;
    case TReloadMode::DoubleScreenSize: size = {2 * sizes.ScreenSize.Width, 2 * sizes.ScreenSize.Height}; break;
    case TReloadMode::WindowSize: size = sizes.ClientSize; break;
    case TReloadMode::FitBigOnly:
      size = sizes.ClientSize;
      DontResizeSmall = true;
      break;
    case TReloadMode::None: size = sizes.ViewerOpenSize; break;
  }
  if (size.Width == -1 || size.Height == -1) size = sizes.ClientSize;
  return size;
}

TReloadMode ToggleReloadMode(TReloadMode checked, TReloadMode chosen) {
  return chosen == checked ? TReloadMode::None : chosen;
}

bool IsDoubleScreenSizeVisible(bool shiftDown, TReloadMode checked) {
  return shiftDown || checked == TReloadMode::DoubleScreenSize;
}

TSize FirstLoadSize(TSize settingsOpenSize, TSize clientSize) {
  return settingsOpenSize.Width == -1 || settingsOpenSize.Height == -1 ? clientSize : settingsOpenSize;
}

}  // namespace pictara
