// Loading the plug-in as the host does, and private copies of it with their own settings.
#include <filesystem>
#include <fstream>

#include "testbed/testbed.h"

namespace pictara::testbed {

std::wstring Widen(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

std::string Narrow(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n, nullptr, nullptr);
  return utf8;
}

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH * 4] = {};
  DWORD n = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
  std::wstring full(path, n);
  return full.substr(0, full.find_last_of(L"\\/") + 1);
}

std::wstring DefaultPluginPath() {
  return ProgramFolder() + (sizeof(void*) == 8 ? L"Pictara.wlx64" : L"Pictara.wlx");
}

Plugin::Plugin(const std::wstring& path) {
  module_ = LoadLibraryW(path.c_str());
  if (!module_) {
    missing_ = "LoadLibraryW failed for " + Narrow(path) + " (error " + std::to_string(GetLastError()) + ")";
    return;
  }
  auto resolve = [this](auto& fn, const char* name) {
    fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    if (!fn) missing_ += std::string(missing_.empty() ? "missing exports:" : "") + " " + name;
  };
  resolve(ListLoadW, "ListLoadW");
  resolve(ListLoad, "ListLoad");
  resolve(ListLoadNextW, "ListLoadNextW");
  resolve(ListLoadNext, "ListLoadNext");
  resolve(ListCloseWindow, "ListCloseWindow");
  resolve(ListGetDetectString, "ListGetDetectString");
  resolve(ListGetPreviewBitmapW, "ListGetPreviewBitmapW");
  resolve(ListGetPreviewBitmap, "ListGetPreviewBitmap");
}

Plugin::~Plugin() { Unload(); }

void Plugin::Unload() {
  if (module_) FreeLibrary(module_);
  module_ = nullptr;
}

std::wstring UnixPathToWindows(const std::string& unixPath) {
  // Wine's own translation when it is there; otherwise its default drive for "/".
  using ToDos = wchar_t*(CDECL*)(const char*);
  static auto toDos = reinterpret_cast<ToDos>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
  if (toDos) {
    if (wchar_t* dos = toDos(unixPath.c_str())) {
      std::wstring result(dos);
      HeapFree(GetProcessHeap(), 0, dos);
      return result;
    }
  }
  std::wstring path = L"Z:" + Widen(unixPath);
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

std::wstring FixturePath(const std::string& relative) {
#ifdef PICTARA_FIXTURES
  std::string root = PICTARA_FIXTURES;
#else
  std::string root;
#endif
  if (!root.empty() && root[0] == '/') return UnixPathToWindows(root + "/" + relative);
  std::wstring path = Widen(root + "/" + relative);
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

std::wstring NewTempFolder(const wchar_t* prefix) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  static unsigned counter = 0;
  for (;;) {
    std::wstring folder = std::wstring(temp) + prefix + std::to_wstring(GetCurrentProcessId()) + L"-" +
                          std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(++counter);
    if (CreateDirectoryW(folder.c_str(), nullptr)) return folder + L"\\";
    if (GetLastError() != ERROR_ALREADY_EXISTS) return std::wstring();
  }
}

void RemoveTree(const std::wstring& folder) {
  if (folder.empty()) return;
  std::error_code ec;
  std::filesystem::remove_all(std::filesystem::path(folder), ec);
}

PluginCopy::PluginCopy(const std::string& iniText) : folder_(NewTempFolder(L"pictara-plugin-")) {
  std::wstring source = DefaultPluginPath();
  CopyFileW(source.c_str(), PluginPath().c_str(), FALSE);
  if (!iniText.empty()) WriteFile(L"Pictara.ini", iniText);
}

PluginCopy::~PluginCopy() { RemoveTree(folder_); }

std::wstring PluginCopy::PluginPath() const {
  return folder_ + (sizeof(void*) == 8 ? L"Pictara.wlx64" : L"Pictara.wlx");
}

void PluginCopy::WriteFile(const std::wstring& name, const std::string& bytes) const {
  std::ofstream out(std::filesystem::path(folder_ + name), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace pictara::testbed
