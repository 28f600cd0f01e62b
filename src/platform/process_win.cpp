#include <windows.h>
#include <shellapi.h>

#include <algorithm>

#include "platform/load_trace.h"
#include "platform/process.h"
#include "platform/window_win.h"

namespace pictara {

namespace {

// How often a responsive wait looks at the Esc key when no message wakes it: a press is seldom
// shorter than this.
constexpr DWORD kEscapePollMs = 30;
// How long an ended converter is given to go away before it is left to the late-output list.
constexpr DWORD kEndedExitMs = 5000;
// Paint messages handled per wake-up: a window that never validates cannot keep the wait busy.
constexpr int kPaintsPerWake = 64;
// How long the converter runs alone before the work beside it (the viewer's windows) begins. A
// new process's start-up and window creation both go through the system's window and process
// server; under Wine that is one server thread, so windows made at once slowed the converter's
// start by about their own cost. Made after this head start they overlap the converter's drawing
// instead (timed: a small drawing's load 5 to 10 points closer to the converter alone). A
// converter done sooner ends the head start; its windows are then made after it.
constexpr DWORD kConverterHeadStartMs = 25;


int ShowCommand(TShowMode mode) {
  switch (mode) {
    case TShowMode::Normal: return SW_SHOWNORMAL;
    case TShowMode::Minimized: return SW_MINIMIZE;
    case TShowMode::Maximized: return SW_SHOWMAXIMIZED;
    case TShowMode::Hidden: return SW_HIDE;
  }
  return SW_HIDE;
}

class TWinRunningProcess final : public TRunningProcess {
 public:
  explicit TWinRunningProcess(HANDLE process) : process_(process) {}
  ~TWinRunningProcess() override { CloseHandle(process_); }
  bool HasExited() override { return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; }

 private:
  HANDLE process_;
};

// The program started by the system itself, the command line built as the shell builds it (the
// quoted program name, then the tail), the show state in the start-up record and the priority
// class from the first instruction. The process handle, or none when the system refuses.
HANDLE StartDirectly(const std::wstring& program, const std::wstring& parameters,
                     const std::wstring& directory, int show, bool highPriority) {
  std::wstring commandLine = L"\"" + program + L"\"";
  if (!parameters.empty() && parameters.front() != L' ') commandLine += L' ';
  commandLine += parameters;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(show);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                      highPriority ? HIGH_PRIORITY_CLASS : 0, nullptr,
                      directory.empty() ? nullptr : directory.c_str(), &startup, &info))
    return nullptr;
  CloseHandle(info.hThread);
  return info.hProcess;
}

HANDLE StartThroughShell(const std::wstring& program, const std::wstring& parameters,
                         const std::wstring& directory, int show, bool highPriority) {
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
  info.nShow = show;
  if (!ShellExecuteExW(&info)) return nullptr;
  // A document with an associated program may start nothing we can wait for.
  if (!info.hProcess) return nullptr;
  if (highPriority) SetPriorityClass(info.hProcess, HIGH_PRIORITY_CLASS);
  return info.hProcess;
}

bool IsEscapeKeyMessage(const MSG& m) {
  return ((m.message == WM_KEYDOWN || m.message == WM_KEYUP) && m.wParam == VK_ESCAPE) ||
         (m.message == WM_CHAR && m.wParam == 0x1B);
}

bool InsideWindow(HWND window, HWND root) {
  return window && (window == root || IsChild(root, window));
}

// Esc pressed for `root`: the first key-down waiting in the queue is an Esc for one of its windows
// (taken out, so that it reaches neither the viewer nor the host afterwards), or Esc is held down
// while `root` is the active window. The queue is read for presses too short for the poll; the key
// state for a press behind other keys still waiting.
bool EscapePressed(HWND root) {
  MSG m;
  if (PeekMessageW(&m, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE | PM_NOYIELD) &&
      m.wParam == VK_ESCAPE && InsideWindow(m.hwnd, root)) {
    PeekMessageW(&m, m.hwnd, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE | PM_NOYIELD);
    return true;
  }
  return GetForegroundWindow() == root && (GetAsyncKeyState(VK_ESCAPE) & 0x8000) != 0;
}

// The rest of the Esc press that gave up (its character and release, when already queued first).
void DropEscapeKeys(HWND root) {
  MSG m;
  while (PeekMessageW(&m, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE | PM_NOYIELD) &&
         IsEscapeKeyMessage(m) && InsideWindow(m.hwnd, root))
    PeekMessageW(&m, m.hwnd, m.message, m.message, PM_REMOVE | PM_NOYIELD);
}

enum class TWaitEnd { Exited, TimedOut, Escaped, WindowGone };

// Waits for the process while this thread's windows keep painting and messages sent from other
// threads are answered (the system does that inside PeekMessage); input, timers and posted
// messages stay queued for the host's own loop.
TWaitEnd WaitResponsively(HANDLE process, HWND window, uint32_t timeoutMs) {
  const HWND root = GetAncestor(window, GA_ROOT);
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    DWORD slice = kEscapePollMs;
    if (timeoutMs > 0) {
      const ULONGLONG now = GetTickCount64();
      if (now >= deadline) return WaitForSingleObject(process, 0) == WAIT_OBJECT_0 ? TWaitEnd::Exited : TWaitEnd::TimedOut;
      slice = static_cast<DWORD>(std::min<ULONGLONG>(slice, deadline - now));
    }
    const DWORD woke = MsgWaitForMultipleObjectsEx(1, &process, slice, QS_PAINT | QS_SENDMESSAGE | QS_KEY, 0);
    if (woke == WAIT_OBJECT_0) return TWaitEnd::Exited;
    if (woke == WAIT_FAILED) {
      WaitForSingleObject(process, timeoutMs > 0 ? static_cast<DWORD>(deadline - std::min(deadline, GetTickCount64())) : INFINITE);
      return WaitForSingleObject(process, 0) == WAIT_OBJECT_0 ? TWaitEnd::Exited : TWaitEnd::TimedOut;
    }
    MSG m;
    PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    for (int i = 0; i < kPaintsPerWake && PeekMessageW(&m, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE | PM_QS_PAINT); ++i)
      DispatchMessageW(&m);
    if (EscapePressed(root)) {
      DropEscapeKeys(root);
      return TWaitEnd::Escaped;
    }
    // A message answered above closed the viewer: nobody is left to show the result.
    if (!IsWindow(window)) return TWaitEnd::WindowGone;
  }
}

// A responsive wait serves only the thread that owns the viewer's window (the host's window
// thread); any other caller blocks as before.
bool WaitsResponsively(const TRunControl* control) {
  if (!control || control->ResponsiveWindow == 0) return false;
  const HWND window = reinterpret_cast<HWND>(control->ResponsiveWindow);
  return IsWindow(window) && GetWindowThreadProcessId(GetAncestor(window, GA_ROOT), nullptr) == GetCurrentThreadId();
}

}  // namespace

int32_t RunAndWait(const std::string& Program, const std::string& Parameters,
                   const std::string& Directory, TShowMode ShowMode, bool HighPriority,
                   uint32_t TimeoutMs, TRunControl* Control) {
  const std::wstring program = Wide(Program);
  const std::wstring parameters = Wide(Parameters);
  const std::wstring directory = Wide(Directory);
  const int show = ShowCommand(ShowMode);

  TTraceScope start("process start");
  HANDLE process = nullptr;
  if (IsDirectlyStartable(Program)) process = StartDirectly(program, parameters, directory, show, HighPriority);
  if (!process) process = StartThroughShell(program, parameters, directory, show, HighPriority);
  if (!process) return -1;
  start.End();

  if (Control && Control->WhileRunning) {
    TTraceScope headStart("converter run");
    WaitForSingleObject(process, kConverterHeadStartMs);
    headStart.End();
    try {
      Control->WhileRunning(*Control);
    } catch (...) {
      Control->Cancelled = true;
      TerminateProcess(process, 1);
      if (WaitForSingleObject(process, kEndedExitMs) == WAIT_OBJECT_0) CloseHandle(process);
      else Control->Abandoned = std::make_unique<TWinRunningProcess>(process);
      throw;
    }
  }

  TTraceScope run("converter run");
  bool keepRunning = false;
  if (WaitsResponsively(Control)) {
    switch (WaitResponsively(process, reinterpret_cast<HWND>(Control->ResponsiveWindow), TimeoutMs)) {
      case TWaitEnd::Exited: break;
      case TWaitEnd::TimedOut: keepRunning = true; break;
      case TWaitEnd::Escaped:
      case TWaitEnd::WindowGone:
        // Ours to end: the user gave up the conversion it was started for, or closed its window.
        Control->Cancelled = true;
        TerminateProcess(process, 1);
        keepRunning = WaitForSingleObject(process, kEndedExitMs) != WAIT_OBJECT_0;
        break;
    }
  } else {
    keepRunning = WaitForSingleObject(process, TimeoutMs > 0 ? TimeoutMs : INFINITE) == WAIT_TIMEOUT;
  }
  // Never terminated on time-out: the program goes on by itself and reads as STILL_ACTIVE.
  DWORD code = static_cast<DWORD>(-1);
  if (!GetExitCodeProcess(process, &code)) code = static_cast<DWORD>(-1);
  if (keepRunning && Control) {
    Control->Abandoned = std::make_unique<TWinRunningProcess>(process);
  } else {
    CloseHandle(process);
  }
  return static_cast<int32_t>(code);
}

}  // namespace pictara
