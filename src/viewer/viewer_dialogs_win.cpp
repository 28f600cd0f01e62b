#include "viewer/viewer_dialogs_win.h"

#include <stdexcept>

#include "platform/window_win.h"
#include "source/source_window_win.h"
#include "viewer/error_report.h"

namespace pictara {

namespace {

[[noreturn]] void NotAvailable(const char* what) { throw std::runtime_error(std::string(what) + " is not available yet"); }

}  // namespace

std::optional<TColor> TViewerDialogsWin::ExecuteColorDialog(TColor, const std::vector<std::string>&) {
  NotAvailable("The colour dialog");
}

std::optional<std::string> TViewerDialogsWin::ExecuteSaveDialog(const TSaveDialogSetup&) {
  NotAvailable("The save dialog");
}

bool TViewerDialogsWin::ExecuteSizeDialog(TfmSize&) { NotAvailable("The size dialog"); }

void TViewerDialogsWin::ShowSourceWindow(const std::string& fileName) {
  // Errors of the window's commands get the viewer's report, over the source window.
  pictara::ShowSourceWindow(fileName, owner_, [](const std::exception& e) {
    const std::wstring text = Wide(ErrorReportText(e));
    const std::wstring caption = Wide(kErrorReportCaption);
    MessageBoxW(GetActiveWindow(), text.c_str(), caption.c_str(), MB_ICONWARNING);
  });
}

void TViewerDialogsWin::AssignBitmap(const Bitmap&) { NotAvailable("The clipboard"); }

void TViewerDialogsWin::Open() { NotAvailable("The clipboard"); }

void TViewerDialogsWin::Close() {}

uint32_t TViewerDialogsWin::RegisterFormat(const std::string&) { return 0; }

TClipboardDataResult TViewerDialogsWin::AddData(uint32_t, std::string_view) { return TClipboardDataResult::Refused; }

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
