#include <windows.h>
#include <shellapi.h>

#include "platform/process.h"
#include "platform/window_win.h"

namespace pictara {

namespace {


int ShowCommand(TShowMode mode) {
  switch (mode) {
    case TShowMode::Normal: return SW_SHOWNORMAL;
    case TShowMode::Minimized: return SW_MINIMIZE;
    case TShowMode::Maximized: return SW_SHOWMAXIMIZED;
    case TShowMode::Hidden: return SW_HIDE;
  }
  return SW_HIDE;
}

}  // namespace

int32_t RunAndWait(const std::string& Program, const std::string& Parameters,
                   const std::string& Directory, TShowMode ShowMode, bool HighPriority,
                   uint32_t TimeoutMs) {
  const std::wstring program = Wide(Program);
  const std::wstring parameters = Wide(Parameters);
  const std::wstring directory = Wide(Directory);

  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  // SEE_MASK_FLAG_NO_UI as well: without it the shell answers a missing or unrunnable program
  // with a modal error box, which would block the host's thread (or a thumbnail request) until
  // someone clicks it away; a failed start is reported by the result alone.
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.hwnd = nullptr;
  info.lpVerb = nullptr;
  info.lpFile = program.c_str();
  info.lpParameters = parameters.c_str();
  info.lpDirectory = directory.c_str();
  info.nShow = ShowCommand(ShowMode);
  if (!ShellExecuteExW(&info)) return -1;
  // A document with an associated program may start nothing we can wait for.
  if (!info.hProcess) return -1;

  if (HighPriority) SetPriorityClass(info.hProcess, HIGH_PRIORITY_CLASS);
  WaitForSingleObject(info.hProcess, TimeoutMs > 0 ? TimeoutMs : INFINITE);
  // Never terminated: after the limit the program goes on by itself and reads as STILL_ACTIVE.
  DWORD code = static_cast<DWORD>(-1);
  if (!GetExitCodeProcess(info.hProcess, &code)) code = static_cast<DWORD>(-1);
  CloseHandle(info.hProcess);
  return static_cast<int32_t>(code);
}

}  // namespace pictara
