// The system scaler's modes and the sizes of the button glyphs; the Windows side is in
// wic_resize_win.h.
#pragma once

#include <cstdint>

namespace pictara {

// In this order; each maps to the imaging component's interpolation mode.
enum class TWicResizeMode : uint8_t { wrmHighQualityCubic, wrmFant, wrmLinear, wrmCubic, wrmNearestNeighbor };

// The imaging component's value (WICBitmapInterpolationMode) of a mode.
int WicInterpolationMode(TWicResizeMode mode);

// Side of the square arrow glyphs at a screen density: 16 × ppi / 96, rounded.
int32_t ArrowGlyphSize(int32_t pixelsPerInch);

}  // namespace pictara
