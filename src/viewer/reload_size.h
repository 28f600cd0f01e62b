// The sizes the viewer asks the converter for: the six reload modes of the context menu (one
// radio group), the first load of a viewer, and the rule that a reload or a navigation step
// changes the requested size and the do-not-enlarge option only for that one load.
#pragma once

#include <cstdint>

#include "render/convert.h"

namespace pictara {

// The radio items of "Reload Image"; None when no item is checked.
enum class TReloadMode { None, DefaultSize, OriginalSize, ScreenSize, DoubleScreenSize, WindowSize, FitBigOnly };

struct TReloadModeItem {
  TReloadMode Mode;
  const char* Name;      // the menu item
  const char* Caption;
  const char* Shortcut;  // shown in the menu only; the key itself is handled by the form
};

// The submenu in its order.
inline constexpr TReloadModeItem kReloadModeItems[] = {
    {TReloadMode::DefaultSize, "mnReloadDefaultSize", "Default Size", ""},
    {TReloadMode::OriginalSize, "mnReloadOriginalSize", "Original Size", "E"},
    {TReloadMode::ScreenSize, "mnReloadScreenSize", "Screen Size", "S"},
    {TReloadMode::DoubleScreenSize, "mnReloadDoubleScreenSize", "Screen Double Size", ""},
    {TReloadMode::WindowSize, "mnReloadWindowSize", "Window Size", "W"},
    {TReloadMode::FitBigOnly, "mnReloadFitBigOnly", "Fit Big", "B"},
};

// The sizes a reload size is chosen from.
struct TReloadSizes {
  Size SettingsOpenSize;  // the settings OpenWidth, OpenHeight
  Size ViewerOpenSize;    // the viewer's own OpenWidth, OpenHeight
  Size ScreenSize;        // the primary screen
  Size ClientSize;        // the client area of ScrollBox1
};

// The size a load in `mode` requests:
//   Default Size      the settings' open size          Screen Size         the screen
//   Original Size     (0, 0): the drawing's own size   Screen Double Size  twice the screen
//   Window Size       the scroll box's client area     Fit Big             the client area
//   no mode           the viewer's own open size
// A width or height of -1 in the result means the client area. DontResizeSmall is set for the
// load: on for Original Size and Fit Big (never enlarge), off otherwise.
Size GetReloadSize(TReloadMode mode, const TReloadSizes& sizes, bool& DontResizeSmall);

// The checked mode after the user chose `chosen`: choosing the checked item again unchecks it, so
// that later navigation goes back to the viewer's own size; any other choice checks it alone.
TReloadMode ToggleReloadMode(TReloadMode checked, TReloadMode chosen);

// "Screen Double Size" is offered only while Shift is held when the submenu opens, or when it is
// the checked mode (so a checked item can always be unchecked).
bool IsDoubleScreenSizeVisible(bool shiftDown, TReloadMode checked);

// The size of a viewer's first load from the settings' open size: the scroll box's client area
// when either member is -1, else the setting itself. The viewer keeps the setting (with its -1)
// as its own open size afterwards.
Size FirstLoadSize(Size settingsOpenSize, Size clientSize);

// Holds a field's value and puts it back when the scope ends, also when an exception leaves it.
// A reload sets the viewer's requested size and do-not-enlarge option for one load only.
template <class T>
class TRestoreOnExit {
 public:
  explicit TRestoreOnExit(T& field) : field_(field), saved_(field) {}
  ~TRestoreOnExit() { field_ = saved_; }
  TRestoreOnExit(const TRestoreOnExit&) = delete;
  TRestoreOnExit& operator=(const TRestoreOnExit&) = delete;

 private:
  T& field_;
  T saved_;
};

}  // namespace pictara
