#include "platform/process.h"

#include "base/ascii.h"

namespace pictara {

namespace {
thread_local uintptr_t gResponsiveWindow = 0;
}  // namespace

TResponsiveWaitScope::TResponsiveWaitScope(uintptr_t window) : previous_(gResponsiveWindow), window_(window) {
  gResponsiveWindow = window;
}
TResponsiveWaitScope::~TResponsiveWaitScope() { gResponsiveWindow = previous_; }
uintptr_t TResponsiveWaitScope::Current() { return gResponsiveWindow; }
void TResponsiveWaitScope::SetWindow(uintptr_t window) {
  // Only the innermost scope stands for the thread's window.
  if (gResponsiveWindow == window_) gResponsiveWindow = window;
  window_ = window;
}

bool IsDirectlyStartable(std::string_view Program) {
  if (Program.size() < 4) return false;
  const std::string_view ext = Program.substr(Program.size() - 4);
  return EqualsIgnoreAsciiCase(ext, ".exe") || EqualsIgnoreAsciiCase(ext, ".com");
}

int32_t RunAndWait(const std::string& Program, const std::string& Parameters,
                   const std::string& Directory, TShowMode ShowMode, bool HighPriority,
                   uint32_t TimeoutMs) {
  return RunAndWait(Program, Parameters, Directory, ShowMode, HighPriority, TimeoutMs, nullptr);
}

std::vector<std::string> SplitCommandLineTail(std::string_view tail) {
  std::vector<std::string> args;
  size_t i = 0;
  const size_t n = tail.size();
  auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
  while (true) {
    while (i < n && isBlank(tail[i])) ++i;
    if (i >= n) break;
    std::string arg;
    bool quoted = false;
    while (i < n && (quoted || !isBlank(tail[i]))) {
      if (tail[i] == '\\') {
        size_t slashes = 0;
        while (i < n && tail[i] == '\\') {
          ++slashes;
          ++i;
        }
        if (i < n && tail[i] == '"') {
          arg.append(slashes / 2, '\\');
          if (slashes % 2 == 1) {
            arg += '"';
            ++i;
          }
          // An even count leaves the quote to the grouping rule below.
        } else {
          arg.append(slashes, '\\');
        }
        continue;
      }
      if (tail[i] == '"') {
        if (quoted && i + 1 < n && tail[i + 1] == '"') {
          arg += '"';
          i += 2;
          continue;
        }
        quoted = !quoted;
        ++i;
        continue;
      }
      arg += tail[i++];
    }
    args.push_back(std::move(arg));
  }
  return args;
}

}  // namespace pictara
