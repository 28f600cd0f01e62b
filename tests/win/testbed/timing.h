// What the Windows timing programs share: a clock in milliseconds, quantiles of timings, and the
// number of rounds (BENCH_ROUNDS, or the program's own default).
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace pictara::testbed {

inline double NowMs() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / frequency;
}

// The q-quantile of the values, linear between neighbours; 0 for none.
inline double Quantile(std::vector<double> v, double q) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const double at = q * static_cast<double>(v.size() - 1);
  const size_t below = static_cast<size_t>(at);
  const size_t above = std::min(below + 1, v.size() - 1);
  return v[below] + (v[above] - v[below]) * (at - static_cast<double>(below));
}
inline double Median(const std::vector<double>& v) { return Quantile(v, 0.5); }

inline int BenchRounds(int fallback) {
  const char* value = std::getenv("BENCH_ROUNDS");
  const int n = value ? std::atoi(value) : 0;
  return n > 0 ? n : fallback;
}

}  // namespace pictara::testbed
