// Windows: the plug-in library's own file name, and full paths through the system.
#include <windows.h>
#include <shlwapi.h>

#include "platform/module.h"
#include "platform/window_win.h"

namespace pictara {
std::string ModuleFolder() {
  HMODULE module = PluginModule();
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(module, name.data(), static_cast<DWORD>(name.size()));
    if (n == 0) return {};
    if (n < name.size()) {
      name.resize(n);
      break;
    }
    if (name.size() >= 32768) return {};  // longer than any Windows path
    name.resize(name.size() * 2);         // the name was cut off: try a larger buffer
  }
  const size_t slash = name.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::string() : Narrow(name.substr(0, slash + 1));
}

std::string ExpandPathInFolder(const std::string& folder, const std::string& path) {
  const std::wstring wideFolder = Wide(folder);
  std::wstring input = Wide(path);
  const bool madeCurrent = !folder.empty() && SetCurrentDirectoryW(wideFolder.c_str());
  if (!madeCurrent && !folder.empty() && PathIsRelativeW(input.c_str())) input = wideFolder + input;
  const DWORD size = GetFullPathNameW(input.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::wstring full(size, L'\0');
  const DWORD n = GetFullPathNameW(input.c_str(), size, full.data(), nullptr);
  if (n == 0 || n >= size) return path;
  full.resize(n);
  return Narrow(full);
}

}  // namespace pictara
