// Drawing on a 32-bit pixel buffer (blue, green, red, unused), the box's double buffer: colour
// fills, the background tile and the quickly scaled picture. Done here rather than by the system's
// stretch and blend calls because a 5000-pixel picture must be drawn within a frame on every
// scroll step, and those calls are far slower than this on some systems (Wine among them).
#pragma once

#include <cstddef>
#include <cstdint>

#include "imagebox/zoom_geometry.h"
#include "base/picture.h"
#include "settings/settings.h"

namespace pictara::imagebox {

struct Surface {
  uint8_t* bits = nullptr;  // top row first
  int32_t width = 0;
  int32_t height = 0;
  size_t stride = 0;  // bytes from one row to the next
  uint8_t* Row(int32_t y) const { return bits + static_cast<size_t>(y) * stride; }
};

// Fills `rect` (clipped to `clip` and the surface) with a colour (0x00BBGGRR).
void FillRect(const Surface& s, const Rect& rect, TColor color, const Rect& clip);

// Draws `picture` (24-bit, or 32-bit premultiplied blended by its alpha when `alpha`) scaled into
// `dest`, nearest pixel, only where `dest` meets `clip` and the surface. `dest` may be far larger
// than the surface (a deep zoom): only the visible part costs anything.
void StretchDraw(const Surface& s, const Rect& dest, const Bitmap& picture, bool alpha,
                 const Rect& clip);

// Covers `rect` with copies of `tile` starting at its top-left corner (TilePositions), clipped to
// `clip`; the tile is blended when `alpha`. Nothing for an empty tile.
void DrawTiled(const Surface& s, const Rect& rect, const Bitmap& tile, bool alpha, const Rect& clip);

}  // namespace pictara::imagebox
