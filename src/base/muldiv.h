// The system's multiply-divide, portable: the status percentage and relative sizes are rounded
// exactly as the Windows function rounds them.
#pragma once

#include <cstdint>

namespace pictara {

// a * b / c with the 64-bit product rounded to the nearest integer, halves away from zero, as
// the Windows multiply-divide does. -1 when c is 0 or the result's magnitude is above 2^31 - 1.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);

}  // namespace pictara
