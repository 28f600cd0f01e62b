// Plane geometry in whole pixels, shared by every layer: a size, a rectangle, a point.
//
// A rectangle holds its edges; right and bottom lie just outside it, so an empty rectangle has
// Width() or Height() not above 0. The Win32 side converts to and from RECT in
// platform/window_win.h.
#pragma once

#include <cstdint>

namespace pictara {

// A width-height pair of pixel counts. Positive when both members are above 0; some callers read
// (0, 0) as "the natural size".
struct Size {
  int32_t width = 0;
  int32_t height = 0;
  bool IsPositive() const { return width > 0 && height > 0; }
  friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  static Rect FromBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
    return {left, top, left + width, top + height};
  }
  friend bool operator==(const Rect&, const Rect&) = default;
};

struct Point {
  int32_t x = 0, y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

}  // namespace pictara
