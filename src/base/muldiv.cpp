#include "base/muldiv.h"

#include <cstdint>

namespace pictara {

int32_t MulDiv(int32_t a, int32_t b, int32_t c) {
  if (c == 0) return -1;
  const int64_t product = static_cast<int64_t>(a) * b;
  // Work on magnitudes so that the rounding is symmetric: halves go away from zero either way.
  const bool negative = (product < 0) != (c < 0);
  const uint64_t num = product < 0 ? 0 - static_cast<uint64_t>(product) : static_cast<uint64_t>(product);
  const uint64_t den = c < 0 ? 0 - static_cast<uint64_t>(static_cast<int64_t>(c)) : static_cast<uint64_t>(c);
  const uint64_t q = (num + den / 2) / den;
  if (q > static_cast<uint64_t>(INT32_MAX)) return -1;
  const auto magnitude = static_cast<int32_t>(q);
  return negative ? -magnitude : magnitude;
}

}  // namespace pictara
