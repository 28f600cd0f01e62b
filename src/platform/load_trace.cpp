#include "platform/load_trace.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <utility>

#include "platform/files.h"

namespace pictara {

namespace {

// A trace file left switched on for months stays readable: the oldest loads give way.
constexpr size_t kTraceFileLimit = 1 << 20;

// The phases of the load being traced on this thread; none when no trace is collecting. A plain
// pointer: a thread-local object with a destructor would leave a clean-up call into this library
// for every host thread that ever converted, run after the library may have been unloaded.
thread_local std::vector<TTracePhase>* gPhases = nullptr;

std::string Milliseconds(double ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f ms", ms);
  return text;
}

}  // namespace

std::string FormatLoadTrace(std::string_view what, const std::vector<TTracePhase>& phases, double totalMs) {
  std::vector<TTracePhase> table;
  double covered = 0;
  for (const TTracePhase& p : phases) {
    covered += p.Milliseconds;
    auto it = std::find_if(table.begin(), table.end(), [&](const TTracePhase& t) { return t.Name == p.Name; });
    if (it == table.end()) table.push_back(p);
    else it->Milliseconds += p.Milliseconds;
  }
  std::string text = "Pictara load: " + std::string(what) + "\n";
  for (const TTracePhase& p : table) text += "  " + p.Name + ": " + Milliseconds(p.Milliseconds) + "\n";
  const double other = totalMs - covered;
  text += "  (other): " + Milliseconds(other > 0 ? other : 0) + "\n";
  text += "  total: " + Milliseconds(totalMs) + "\n";
  return text;
}

std::string LoadTraceFileFor(std::string_view value, const std::string& tempFolder) {
  if (value.empty() || value == "0") return {};
  if (value.find('\\') != std::string_view::npos || value.find('/') != std::string_view::npos)
    return std::string(value);
  return tempFolder + "Pictara-trace.txt";
}

TLoadTrace::TLoadTrace(std::string what) : start_(std::chrono::steady_clock::now()) {
  if (gPhases || LoadTraceVariable().empty()) return;
  outermost_ = true;
  what_ = std::move(what);
  gPhases = new std::vector<TTracePhase>();
}

TLoadTrace::~TLoadTrace() {
  if (!outermost_) return;
  std::unique_ptr<std::vector<TTracePhase>> phases(std::exchange(gPhases, nullptr));
  try {
    const double total = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_).count();
    const std::string file = LoadTraceFileFor(LoadTraceVariable(), TempFolder());
    if (file.empty()) return;
    std::string text = ReadFileBytes(file).value_or(std::string());
    if (text.size() > kTraceFileLimit) text.erase(0, text.size() - kTraceFileLimit / 2);
    text += FormatLoadTrace(what_, *phases, total);
    WriteFileBytes(file, text);
  } catch (...) {
    // A trace that cannot be written must not spoil the load it describes.
  }
}

void TLoadTrace::Add(std::string_view phase, double milliseconds) {
  if (gPhases) gPhases->push_back({std::string(phase), milliseconds});
}

bool TLoadTrace::Active() { return gPhases != nullptr; }

}  // namespace pictara
