// A converter placed where the plug-in expects one (rsvg\rsvg-convert.exe,
// ImageMagick_x64\convert.exe): runs the Linux program PICTARA_LINUX_PROGRAM through Wine with
// the same arguments, Windows file names translated to Linux ones, and waits for it. So the code
// under test starts a real converter exactly as it would on Windows.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace {

using SpawnFn = LONG(__cdecl*)(char* const* argv, int wait);
using UnixNameFn = char*(__cdecl*)(const wchar_t* dosName);

std::string Utf8(const wchar_t* text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n - 1 : 0, '\0');
  if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
  return out;
}

// Drive names and network or long names; everything else (options, sizes) passes as it is.
bool IsWindowsPath(const wchar_t* arg) {
  return (arg[0] && arg[1] == L':' && (arg[2] == L'\\' || arg[2] == L'/')) ||
         (arg[0] == L'\\' && arg[1] == L'\\');
}

}  // namespace

int main() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
  const auto spawn = reinterpret_cast<SpawnFn>(
      reinterpret_cast<void*>(GetProcAddress(ntdll, "__wine_unix_spawnvp")));
  const auto unixName =
      reinterpret_cast<UnixNameFn>(
      reinterpret_cast<void*>(GetProcAddress(kernel32, "wine_get_unix_file_name")));
  if (!spawn || !unixName) return 90;  // not running under Wine

  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv) return 91;
  std::vector<std::string> args{PICTARA_LINUX_PROGRAM};
  for (int i = 1; i < argc; ++i) {
    if (IsWindowsPath(argv[i])) {
      char* name = unixName(argv[i]);
      if (!name) return 92;
      args.emplace_back(name);
      HeapFree(GetProcessHeap(), 0, name);
    } else {
      args.push_back(Utf8(argv[i]));
    }
  }
  LocalFree(argv);

  std::vector<char*> unixArgv;
  for (std::string& a : args) unixArgv.push_back(a.data());
  unixArgv.push_back(nullptr);
  return spawn(unixArgv.data(), 1) == 0 ? 0 : 1;
}
