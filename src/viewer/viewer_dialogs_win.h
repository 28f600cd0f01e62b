// The viewer's modal dialogs, its clipboard and its raw-data resources on Win32: the system's
// colour and save dialogs, the size dialog (size_dialog_win.cpp) on its portable model
// (size_dialog_model.h), and the clipboard (clipboard_win.cpp) as clipboard_copy.cpp drives it.
#pragma once

#include <windows.h>

#include <stdexcept>

#include "viewer/form_layout.h"
#include "viewer/viewer_ports.h"

namespace pictara {

// The clipboard cannot be opened (another program holds it) or cannot take the picture.
class EClipboardException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A colour setting as GDI draws it: system colours looked up, the rest without its high byte.
inline COLORREF ColorToRGB(TColor c) {
  return IsSystemColor(c) ? GetSysColor(static_cast<int>(c & 0xFF)) : static_cast<COLORREF>(c & 0x00FFFFFF);
}

// Window class of the size dialog; tests find the dialog by it.
inline constexpr wchar_t kSizeDialogClass[] = L"PictaraSizeDialog";

class TViewerDialogsWin final : public IViewerDialogs, public IClipboard {
 public:
  explicit TViewerDialogsWin(HWND owner = nullptr) : owner_(owner) {}
  void SetOwner(HWND owner) { owner_ = owner; }

  // IViewerDialogs
  std::optional<TColor> ExecuteColorDialog(TColor color, const std::vector<std::string>& customColors) override;
  std::optional<std::string> ExecuteSaveDialog(const TSaveDialogSetup& setup) override;
  bool ExecuteSizeDialog(TfmSize& dialog) override;
  void ShowSourceWindow(const std::string& fileName) override;

  // IClipboard
  void AssignBitmap(const Bitmap& bitmap) override;
  void Open() override;
  void Close() override;
  uint32_t RegisterFormat(const std::string& name) override;
  TClipboardDataResult AddData(uint32_t format, std::string_view bytes) override;

 private:
  HWND owner_;
};

// The bytes of the raw-data (RT_RCDATA) resource `name` of the plug-in library; nullopt when
// there is none.
std::optional<std::string> PluginResourceBytes(const std::string& name);

}  // namespace pictara
