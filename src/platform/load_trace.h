// A trace of where the time of one load goes, for users and developers who wonder why opening a
// drawing feels slow. Off unless the environment variable PICTARA_TRACE is set: "1" (or any value
// without a folder separator) appends each load's table to "Pictara-trace.txt" in the temporary
// folder; a value with a separator names the file to append to. Release builds trace too.
//
// The outermost TLoadTrace on a thread collects the phases recorded on that thread while it lives
// and writes them when it ends; nested ones (a first load inside the window creation) add nothing.
// Loads on other threads (thumbnails) trace on their own.
#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace pictara {

struct TTracePhase {
  std::string Name;
  double Milliseconds = 0;
};

// The table as written: a heading line, one line per phase in the order first seen (a phase met
// twice sums up), what no phase covers as "(other)", and the total.
std::string FormatLoadTrace(std::string_view what, const std::vector<TTracePhase>& phases, double totalMs);

// The file the trace goes to, from the variable's value and the temporary folder (with its
// trailing separator); empty when tracing is off.
std::string LoadTraceFileFor(std::string_view variableValue, const std::string& tempFolder);

class TLoadTrace {
 public:
  explicit TLoadTrace(std::string what);
  ~TLoadTrace();
  TLoadTrace(const TLoadTrace&) = delete;
  TLoadTrace& operator=(const TLoadTrace&) = delete;

  // Adds time to a phase of this thread's load being traced; nothing when none is.
  static void Add(std::string_view phase, double milliseconds);
  static bool Active();

 private:
  bool outermost_ = false;
  std::string what_;
  std::chrono::steady_clock::time_point start_;
};

// Times the scope (or up to End) as one phase of the load being traced.
class TTraceScope {
 public:
  explicit TTraceScope(std::string_view phase)
      : phase_(phase), active_(TLoadTrace::Active()), start_(std::chrono::steady_clock::now()) {}
  ~TTraceScope() { End(); }
  TTraceScope(const TTraceScope&) = delete;
  TTraceScope& operator=(const TTraceScope&) = delete;
  void End() {
    if (!active_) return;
    active_ = false;
    TLoadTrace::Add(phase_, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_).count());
  }

 private:
  std::string_view phase_;
  bool active_;
  std::chrono::steady_clock::time_point start_;
};

// The value of PICTARA_TRACE; empty when unset.
std::string LoadTraceVariable();

}  // namespace pictara
