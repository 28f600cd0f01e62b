// Starting an external program and waiting for it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pictara {

// How the program's window is shown; the order matches the system's show commands
// SW_SHOWNORMAL, SW_MINIMIZE, SW_SHOWMAXIMIZED, SW_HIDE.
enum class TShowMode { Normal, Minimized, Maximized, Hidden };

// What RunAndWait returns when the time limit passed before the program ended (the system's
// still-running exit code).
inline constexpr int32_t kStillActive = 259;

// Runs Program with the command-line tail Parameters (one string, handed to the system unchanged;
// quoting is the caller's business) in the working folder Directory, optionally at high priority,
// and waits for it: TimeoutMs milliseconds, or without limit when 0. The program is never
// terminated: when the limit passes it keeps running and kStillActive is returned. Otherwise the
// program's exit code (Linux: 128 + signal number when a signal ended it), or -1 when the program
// could not be started.
//
// Windows: a program whose name ends in ".exe" or ".com" is started directly (CreateProcessW, the
// command line being the quoted program name and the tail, high priority from its first
// instruction); anything else (".bat", ".cmd", a document), or a program the system refuses to
// start directly (one that needs elevation), goes through the shell as before.
int32_t RunAndWait(const std::string& Program, const std::string& Parameters,
                   const std::string& Directory, TShowMode ShowMode, bool HighPriority,
                   uint32_t TimeoutMs);

// A started program that was left running: whether it has ended by now.
class TRunningProcess {
 public:
  virtual ~TRunningProcess() = default;
  virtual bool HasExited() = 0;
};

// More than the plain blocking wait, and what became of the run.
struct TRunControl {
  // Windows: a window of the calling thread (a viewer inside the Lister), as a number. The wait
  // then keeps the thread's windows painting and answers messages sent from other threads, but
  // dispatches no input, timer or posted message; Esc pressed while the window's top-level window
  // is active ends the program. 0, or a window of another thread: the plain blocking wait.
  uintptr_t ResponsiveWindow = 0;
  // Set when Esc ended the program; it has exited, or is among `Abandoned` when it would not.
  bool Cancelled = false;
  // Set when the time limit passed (or an ended program would not go): the program, still running.
  std::unique_ptr<TRunningProcess> Abandoned;
  // Called once the program has started, before the wait: the caller's own work that does not
  // need the program's result runs meanwhile. It may set ResponsiveWindow (a window it has just
  // made). When it throws, the program is ended (Cancelled, or Abandoned if it would not go) and
  // the exception passes on to the caller.
  std::function<void(TRunControl&)> WhileRunning;
};

int32_t RunAndWait(const std::string& Program, const std::string& Parameters,
                   const std::string& Directory, TShowMode ShowMode, bool HighPriority,
                   uint32_t TimeoutMs, TRunControl* Control);

// Whether the system can start the program itself rather than through the shell: the name ends
// in ".exe" or ".com", in any letter case.
bool IsDirectlyStartable(std::string_view Program);

// While alive, conversions on this thread wait for the sake of `window` (TRunControl): the viewer
// sets it around its loads; thumbnail requests, made on other threads, never see it.
class TResponsiveWaitScope {
 public:
  explicit TResponsiveWaitScope(uintptr_t window);
  ~TResponsiveWaitScope();
  TResponsiveWaitScope(const TResponsiveWaitScope&) = delete;
  TResponsiveWaitScope& operator=(const TResponsiveWaitScope&) = delete;
  // The window of the innermost scope on this thread; 0 when none.
  static uintptr_t Current();
  // The window is made later than the scope (while the converter runs): from now on this one.
  void SetWindow(uintptr_t window);

 private:
  uintptr_t previous_;
  uintptr_t window_;
};

// Splits a command-line tail into arguments the way a Windows program's start-up code does, so a
// tail built for a Windows converter means the same to its Linux build: blanks and tabs separate;
// double quotes group (and may start or end inside an argument); 2n backslashes before a quote
// give n backslashes and the quote groups, 2n+1 give n backslashes and a literal quote; two
// quotes inside a group give a literal quote; other backslashes are literal.
std::vector<std::string> SplitCommandLineTail(std::string_view tail);

}  // namespace pictara
