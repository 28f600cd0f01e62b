// The viewer's modal dialogs, its clipboard and its raw-data resources on Win32. The colour, save
// and size dialogs, the clipboard and the source window are still to be built on the portable
// models (colours.h, convert_file.h, size_dialog_model.h, clipboard_copy.h): until then their
// commands report that they are not available.
#pragma once

#include <windows.h>

#include "viewer/viewer_ports.h"

namespace pictara {

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
