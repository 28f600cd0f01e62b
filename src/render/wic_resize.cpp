#include "render/wic_resize.h"

namespace pictara {

int WicInterpolationMode(TWicResizeMode mode) {
  switch (mode) {
    case TWicResizeMode::wrmHighQualityCubic: return 4;
    case TWicResizeMode::wrmFant: return 3;
    case TWicResizeMode::wrmLinear: return 1;
    case TWicResizeMode::wrmCubic: return 2;
    case TWicResizeMode::wrmNearestNeighbor: return 0;
  }
  return 1;
}

int32_t ArrowGlyphSize(int32_t pixelsPerInch) {
  // Multiply, then divide with rounding (halves away from zero), as MulDiv does.
  const int64_t p = int64_t{16} * pixelsPerInch;
  return static_cast<int32_t>(p >= 0 ? (p + 48) / 96 : (p - 48) / 96);
}

}  // namespace pictara
