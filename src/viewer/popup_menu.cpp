#include "viewer/popup_menu.h"

namespace pictara {

TReloadMode ReloadModeOfCommand(uint32_t command) {
  for (const TReloadModeItem& item : kReloadModeItems) {
    if (ReloadCommand(item.Mode) == command) return item.Mode;
  }
  return TReloadMode::None;
}

std::vector<TMenuItem> ReloadSubmenuItems(const TPopupMenuState& state, TReloadMode checked, bool shiftDown) {
  std::vector<TMenuItem> items;
  for (const TReloadModeItem& mode : kReloadModeItems) {
    if (mode.Mode == TReloadMode::DoubleScreenSize && !IsDoubleScreenSizeVisible(shiftDown, checked)) continue;
    TMenuItem item;
    item.Command = ReloadCommand(mode.Mode);
    item.Caption = mode.Caption;
    item.Shortcut = mode.Shortcut;
    item.Radio = true;
    item.Checked = mode.Mode == checked;
    item.Enabled = mode.Mode != TReloadMode::DefaultSize || state.DefaultSizeEnabled;
    items.push_back(std::move(item));
  }
  return items;
}

std::vector<TMenuItem> PopupMenuItems(const TPopupMenuState& state, TReloadMode checked, bool shiftDown) {
  const auto command = [](uint32_t id, const char* caption, const char* shortcut = "") {
    TMenuItem item;
    item.Command = id;
    item.Caption = caption;
    item.Shortcut = shortcut;
    return item;
  };
  TMenuItem separator;
  separator.Separator = true;
  std::vector<TMenuItem> items;
  items.push_back(command(mcCopyToClipboard, "Copy to Clipboard"));
  items.push_back(command(mcConvertFile, "Convert File..."));
  items.push_back(separator);
  TMenuItem reload = command(mcReloadImage, "Reload Image");
  reload.Items = ReloadSubmenuItems(state, checked, shiftDown);
  items.push_back(std::move(reload));
  items.push_back(command(mcFitImage, "Toggle Fit Image", "F"));
  items.push_back(command(mcBackgroundColor, "Background Color..."));
  TMenuItem background = command(mcBackgroundImage, "Background Image", "Ctrl+B");
  background.Checked = state.BackgroundImageChecked;
  items.push_back(std::move(background));
  items.push_back(command(mcImageBackgroundColor, "Image Background Color..."));
  items.push_back(command(mcSource, "Source..."));
  items.push_back(separator);
  items.push_back(command(mcClose, "Close"));
  return items;
}

}  // namespace pictara
