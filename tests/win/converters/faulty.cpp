// Converters that write harmful output, built as one program (fault-convert.exe); what it does is
// chosen by its first options (set through RSVGAdditionalCmd / ImageMagicAdditionalCmd, which come
// before the plug-in's own arguments):
//   --write truncated-png : a real 200 x 100 PNG cut off in the middle of its image data
//   --write huge-png      : a PNG whose header claims 100000 x 100000 pixels, with data for 100 rows
//   --write lying-bmp     : a BMP whose header claims 100000 x 100000 pixels, with 1 KB of pixels
//   --hold-open MS        : writes a whole PNG, then exits while a child process keeps the file
//                           open (not shared) for MS milliseconds more
//   --hang                : never exits, writes nothing
// The output is the argument after "-o" (rsvg-convert) or else the last one (ImageMagick).
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

#include "unit/platform/image_codec_cases.h"

namespace {

using pictara::testing::MakePng;
using pictara::testing::ZeroRows;

std::wstring Argument(int argc, wchar_t** argv, const wchar_t* option) {
  for (int i = 1; i + 1 < argc; ++i)
    if (wcscmp(argv[i], option) == 0) return argv[i + 1];
  return {};
}

bool HasFlag(int argc, wchar_t** argv, const wchar_t* flag) {
  for (int i = 1; i < argc; ++i)
    if (wcscmp(argv[i], flag) == 0) return true;
  return false;
}

std::string Bytes(const std::wstring& kind) {
  if (kind == L"truncated-png") {
    const std::string whole = MakePng(200, 100, 6, ZeroRows(800, 100));
    return whole.substr(0, whole.size() / 2);
  }
  if (kind == L"huge-png") return MakePng(100000, 100000, 6, ZeroRows(400000, 100));
  if (kind == L"lying-bmp") {
    std::string bmp(54 + 1024, '\0');
    auto put32 = [&](size_t at, uint32_t v) {
      for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<char>(v >> (8 * i));
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, static_cast<uint32_t>(bmp.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, 100000);
    put32(22, 100000);
    bmp[26] = 1;   // planes
    bmp[28] = 32;  // bits per pixel
    return bmp;
  }
  return MakePng(200, 100, 6, ZeroRows(800, 100));
}

bool Write(HANDLE h, const std::string& data) {
  DWORD wrote = 0;
  return WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &wrote, nullptr) && wrote == data.size();
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  const std::wstring held = Argument(argc, argv, L"--child-holds");
  if (!held.empty()) {
    // The child: the inherited handle stays open while it sleeps.
    Sleep(static_cast<DWORD>(_wtoi(held.c_str())));
    return 0;
  }
  if (HasFlag(argc, argv, L"--hang")) {
    Sleep(INFINITE);
    return 0;
  }
  std::wstring output = Argument(argc, argv, L"-o");
  if (output.empty() && argc > 1) output = argv[argc - 1];
  if (output.empty()) return 1;

  const std::wstring holdMs = Argument(argc, argv, L"--hold-open");
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE h = CreateFileW(output.c_str(), GENERIC_WRITE, 0, holdMs.empty() ? nullptr : &inherit, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 1;
  Write(h, Bytes(Argument(argc, argv, L"--write")));
  if (!holdMs.empty()) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --child-holds " + holdMs;
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
      CloseHandle(pi.hThread);
      CloseHandle(pi.hProcess);
    }
  }
  CloseHandle(h);  // the child's copy of the handle stays open
  return 0;
}
