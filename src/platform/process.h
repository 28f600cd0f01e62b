// Starting an external program and waiting for it.
#pragma once

#include <cstdint>
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
int32_t RunAndWait(const std::string& Program, const std::string& Parameters,
                   const std::string& Directory, TShowMode ShowMode, bool HighPriority,
                   uint32_t TimeoutMs);

// Splits a command-line tail into arguments the way a Windows program's start-up code does, so a
// tail built for a Windows converter means the same to its Linux build: blanks and tabs separate;
// double quotes group (and may start or end inside an argument); 2n backslashes before a quote
// give n backslashes and the quote groups, 2n+1 give n backslashes and a literal quote; two
// quotes inside a group give a literal quote; other backslashes are literal.
std::vector<std::string> SplitCommandLineTail(std::string_view tail);

}  // namespace pictara
