// Converters that misbehave, built as three programs from this one file:
//   slow-convert.exe   [--write-output] --wait-for FILE [--then-copy PNG] ... : optionally writes
//                      a small output file first, then runs until FILE exists (at most a minute);
//                      with --then-copy it then writes PNG's bytes as its output; exit code 0
//   empty-convert.exe  ... -o OUT : leaves a zero-length OUT; exit code 0
//   crash-convert.exe  ... : dies of an access violation without writing anything
// The output is the argument after "-o", as in the plug-in's rsvg-convert command lines.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

namespace {

std::wstring Argument(int argc, wchar_t** argv, const wchar_t* option) {
  for (int i = 1; i + 1 < argc; ++i)
    if (wcscmp(argv[i], option) == 0) return argv[i + 1];
  return {};
}

[[maybe_unused]] bool HasFlag(int argc, wchar_t** argv, const wchar_t* flag) {
  for (int i = 1; i < argc; ++i)
    if (wcscmp(argv[i], flag) == 0) return true;
  return false;
}

[[maybe_unused]] bool WriteBytes(const std::wstring& name, const char* data, DWORD size) {
  HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD wrote = 0;
  ::WriteFile(h, data, size, &wrote, nullptr);
  CloseHandle(h);
  return true;
}

[[maybe_unused]] LONG WINAPI EndQuietly(EXCEPTION_POINTERS*) { return EXCEPTION_EXECUTE_HANDLER; }

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  const std::wstring output = Argument(argc, argv, L"-o");
#if defined(PICTARA_SLOW)
  if (HasFlag(argc, argv, L"--write-output") && !output.empty()) WriteBytes(output, "partial", 7);
  const std::wstring go = Argument(argc, argv, L"--wait-for");
  for (int i = 0; i < 1200 && !go.empty(); ++i) {
    if (GetFileAttributesW(go.c_str()) != INVALID_FILE_ATTRIBUTES) break;
    Sleep(50);
  }
  const std::wstring picture = Argument(argc, argv, L"--then-copy");
  if (!picture.empty() && !output.empty()) CopyFileW(picture.c_str(), output.c_str(), FALSE);
  return 0;
#elif defined(PICTARA_EMPTY)
  if (!output.empty()) WriteBytes(output, "", 0);
  return 0;
#elif defined(PICTARA_CRASH)
  // No crash dialog or debugger: the test machine has nobody to click it away. The process still
  // ends the way a crashed one does, with the exception's code.
  SetErrorMode(SEM_NOGPFAULTERRORBOX | SEM_FAILCRITICALERRORS);
  SetUnhandledExceptionFilter(EndQuietly);
  volatile int* nowhere = nullptr;
  *nowhere = 1;
  return 0;
#endif
}
