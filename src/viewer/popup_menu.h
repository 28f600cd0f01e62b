// The viewer's context menu as data: items in order with captions, shown shortcuts, check marks
// and enabled/visible state. The window builds its menu from this list and hands the chosen
// command back to the viewer, so the menu's content and rules are tested without a window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "viewer/key_commands.h"
#include "viewer/reload_size.h"

namespace pictara {

// Command ids of the menu items; a reload item is kReloadCommandBase + its TReloadMode.
enum TMenuCommand : uint32_t {
  mcNone = 0,
  mcFitImage = 1,
  mcClose = 2,
  mcReloadImage = 3,  // the submenu itself
  mcCopyToClipboard = 4,
  mcConvertFile = 5,
  mcBackgroundColor = 6,
  mcBackgroundImage = 7,
  mcImageBackgroundColor = 8,
  mcSource = 9,
  kReloadCommandBase = 16,
};

constexpr uint32_t ReloadCommand(TReloadMode mode) { return kReloadCommandBase + static_cast<uint32_t>(mode); }
// The reload mode of a command id, TReloadMode::None for any other id.
TReloadMode ReloadModeOfCommand(uint32_t command);

struct TMenuItem {
  uint32_t Command = mcNone;
  std::string Caption;   // empty for a separator
  std::string Shortcut;  // shown beside the caption; the key itself is handled by the form
  bool Separator = false;
  bool Enabled = true;
  bool Checked = false;
  bool Radio = false;    // drawn as a radio item (the reload modes)
  std::vector<TMenuItem> Items;  // a submenu
  friend bool operator==(const TMenuItem&, const TMenuItem&) = default;
};

// The six reload modes, as the submenu shows them when it opens: "Screen Double Size" only while
// Shift is held or when it is the checked mode; "Default Size" only enabled with a positive
// default size.
std::vector<TMenuItem> ReloadSubmenuItems(const TPopupMenuState& state, TReloadMode checked, bool shiftDown);

// The whole context menu: "Copy to Clipboard", "Convert File...", a separator, "Reload Image"
// with its submenu, "Toggle Fit Image" (F), "Background Color...", "Background Image" (Ctrl+B,
// checked while the setting is on), "Image Background Color...", "Source...", a separator and
// "Close".
std::vector<TMenuItem> PopupMenuItems(const TPopupMenuState& state, TReloadMode checked, bool shiftDown);

}  // namespace pictara
