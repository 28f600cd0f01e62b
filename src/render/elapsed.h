// Elapsed time as text for the status line.
#pragma once

#include <string>

namespace pictara {

// "nn:ss", with ".z" appended when (MsIfUnderSecond and Seconds < 1) or AlwaysMs, and "hh:" put in
// front when WithHours. nn, ss and hh are two digits; z is the milliseconds (0-999, rounded)
// without leading zeros. Only the time of day shows: a day or more wraps around, and without
// hours whole hours are dropped. Example: 2.345 with (true, true, false) gives "00:02.345".
std::string FormatElapsed(double Seconds, bool MsIfUnderSecond, bool AlwaysMs, bool WithHours);

}  // namespace pictara
