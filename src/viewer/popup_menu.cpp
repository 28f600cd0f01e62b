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
  std::vector<TMenuItem> items;
  TMenuItem reload;
  reload.Command = mcReloadImage;
  reload.Caption = "Reload Image";
  reload.Items = ReloadSubmenuItems(state, checked, shiftDown);
  items.push_back(std::move(reload));
  TMenuItem fit;
  fit.Command = mcFitImage;
  fit.Caption = "Toggle Fit Image";
  fit.Shortcut = "F";
  items.push_back(std::move(fit));
  TMenuItem separator;
  separator.Separator = true;
  items.push_back(std::move(separator));
  TMenuItem close;
  close.Command = mcClose;
  close.Caption = "Close";
  items.push_back(std::move(close));
  return items;
}

}  // namespace pictara
