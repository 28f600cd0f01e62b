#include "render/elapsed.h"

#include <cmath>
#include <cstdio>

namespace pictara {

namespace {

constexpr double kSecondsPerDay = 86400.0;
constexpr int64_t kMsPerDay = 86400000;

std::string TwoDigits(int64_t value) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d", static_cast<int>(value));
  return buf;
}

}  // namespace

std::string FormatElapsed(double Seconds, bool MsIfUnderSecond, bool AlwaysMs, bool WithHours) {
  const bool withMs = (MsIfUnderSecond && Seconds < 1) || AlwaysMs;

  // The time is taken as a fraction of a day, so only the time of day is shown.
  const double days = Seconds * (1.0 / kSecondsPerDay);
  double fraction = std::fabs(days - std::trunc(days));
  if (!std::isfinite(fraction)) fraction = 0;
  int64_t ms = std::llround(fraction * static_cast<double>(kMsPerDay));
  if (ms >= kMsPerDay) ms -= kMsPerDay;  // rounding up to a whole day wraps to midnight

  const int64_t hours = ms / 3600000;
  const int64_t minutes = ms / 60000 % 60;
  const int64_t seconds = ms / 1000 % 60;
  const int64_t millis = ms % 1000;

  std::string text;
  if (WithHours) text = TwoDigits(hours) + ":";
  text += TwoDigits(minutes) + ":" + TwoDigits(seconds);
  if (withMs) text += "." + std::to_string(millis);
  return text;
}

}  // namespace pictara
