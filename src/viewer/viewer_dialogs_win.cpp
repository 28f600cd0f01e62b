#include "viewer/viewer_dialogs_win.h"

#include <commdlg.h>

#include <algorithm>
#include <array>
#include <stdexcept>

#include "platform/window_win.h"
#include "render/convert.h"
#include "source/source_window_win.h"
#include "viewer/colours.h"
#include "viewer/error_report.h"

namespace pictara {

namespace {

// The custom colours of the colour dialog live as long as the plug-in: a slot the command does not
// fill keeps what the user put there before.
COLORREF g_customColors[16] = {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF,
                               0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};

// While a system dialog runs modal over the viewer, the keyboard focus goes to it; afterwards it
// comes back to the control that had it, whichever way the dialog ended.
class TFocusRestore {
 public:
  TFocusRestore() : focused_(GetFocus()) {}
  ~TFocusRestore() {
    if (focused_ && IsWindow(focused_) && IsWindowVisible(focused_) && IsWindowEnabled(focused_)) SetFocus(focused_);
  }
  TFocusRestore(const TFocusRestore&) = delete;
  TFocusRestore& operator=(const TFocusRestore&) = delete;

 private:
  HWND focused_;
};

// "description|pattern|…" as the system's file dialogs take it: NUL between the parts, two at the end.
std::wstring DialogFilter(const std::string& filter) {
  std::wstring out = Wide(filter);
  for (wchar_t& c : out)
    if (c == L'|') c = L'\0';
  out.push_back(L'\0');
  out.push_back(L'\0');
  return out;
}

// Room for the longest name the system handles (32767 UTF-16 units with the long-name prefix).
constexpr DWORD kSaveNameChars = 32768;

}  // namespace

std::optional<TColor> TViewerDialogsWin::ExecuteColorDialog(TColor color, const std::vector<std::string>& customColors) {
  const std::array<std::optional<TColor>, 16> slots = CustomColorSlots(customColors);
  for (size_t i = 0; i < slots.size(); ++i)
    if (slots[i]) g_customColors[i] = ColorToRGB(*slots[i]);  // the follow value shows as black
  CHOOSECOLORW cc{};
  cc.lStructSize = sizeof(cc);
  cc.hwndOwner = owner_;
  cc.rgbResult = ColorToRGB(color);
  cc.lpCustColors = g_customColors;
  cc.Flags = CC_FULLOPEN | CC_RGBINIT | CC_ANYCOLOR;
  TFocusRestore focus;
  if (!ChooseColorW(&cc)) {
    // Cancel gives no error; a dialog that could not be shown at all is a failure of the command.
    if (CommDlgExtendedError() != 0) throw std::runtime_error("Cannot show the colour dialog");
    return std::nullopt;
  }
  return static_cast<TColor>(cc.rgbResult & 0x00FFFFFF);
}

std::optional<std::string> TViewerDialogsWin::ExecuteSaveDialog(const TSaveDialogSetup& setup) {
  std::wstring name(kSaveNameChars, L'\0');
  const std::wstring proposed = Wide(setup.FileName);
  if (proposed.size() < name.size()) std::copy(proposed.begin(), proposed.end(), name.begin());
  const std::wstring folder = Wide(setup.InitialDir);
  const std::wstring filter = DialogFilter(setup.Filter);
  const std::wstring ext = Wide(setup.DefaultExt);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner_;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = name.data();
  ofn.nMaxFile = kSaveNameChars;
  ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  ofn.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | (setup.OverwritePrompt ? OFN_OVERWRITEPROMPT : 0) |
              (setup.HideReadOnly ? OFN_HIDEREADONLY : 0) | (setup.EnableSizing ? OFN_ENABLESIZING : 0);
  TFocusRestore focus;
  if (!GetSaveFileNameW(&ofn)) {
    if (CommDlgExtendedError() != 0) throw std::runtime_error("Cannot show the save dialog");
    return std::nullopt;
  }
  // A name beyond the classic length limit reaches the file functions only in the long-name form.
  return AddLongPathPrefix(Narrow(name.c_str()));
}


void TViewerDialogsWin::ShowSourceWindow(const std::string& fileName) {
  // Errors of the window's commands get the viewer's report, over the source window.
  pictara::ShowSourceWindow(fileName, owner_, [](const std::exception& e) {
    const std::wstring text = Wide(ErrorReportText(e));
    const std::wstring caption = Wide(kErrorReportCaption);
    MessageBoxW(GetActiveWindow(), text.c_str(), caption.c_str(), MB_ICONWARNING);
  });
}

std::optional<std::string> PluginResourceBytes(const std::string& name) {
  HMODULE module = PluginModule();
  const std::wstring resName = Wide(name);
  HRSRC info = FindResourceW(module, resName.c_str(), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  if (!info) return std::nullopt;
  HGLOBAL handle = LoadResource(module, info);
  const DWORD size = SizeofResource(module, info);
  const void* data = handle ? LockResource(handle) : nullptr;
  if (!data || size == 0) return std::nullopt;
  return std::string(static_cast<const char*>(data), size);
}

}  // namespace pictara
