#include "render/wic_resize.h"

#include "base/muldiv.h"

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

int32_t ArrowGlyphSize(int32_t pixelsPerInch) { return MulDiv(16, pixelsPerInch, 96); }

}  // namespace pictara
