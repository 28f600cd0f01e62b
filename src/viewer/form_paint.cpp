#include "viewer/form_paint.h"

namespace pictara {

bool KeyGlyphToFace(const Bitmap& glyph, TColor face, Bitmap& out) {
  out = glyph;
  if (out.Empty()) return false;
  if (out.pixelFormat != PixelFormat::pf32bit && !out.ConvertTo(PixelFormat::pf32bit)) return false;
  const uint8_t fb = static_cast<uint8_t>(face >> 16), fg = static_cast<uint8_t>(face >> 8),
                fr = static_cast<uint8_t>(face);
  const uint8_t* key = out.Row(out.height - 1);
  const uint8_t kb = key[0], kg = key[1], kr = key[2];
  for (int32_t row = 0; row < out.height; ++row) {
    uint8_t* p = out.Row(row);
    for (int32_t col = 0; col < out.width; ++col, p += 4) {
      if (p[0] == kb && p[1] == kg && p[2] == kr) {
        p[0] = fb;
        p[1] = fg;
        p[2] = fr;
      }
      p[3] = 0;
    }
  }
  out.alphaFormat = AlphaFormat::afIgnored;
  return true;
}

std::array<Point, 3> ArrowTriangle(const Rect& r, bool pointsLeft, bool pressed) {
  const int32_t size = r.Height() / 4;
  const int32_t cx = (r.left + r.right) / 2 + (pressed ? 1 : 0);
  const int32_t cy = (r.top + r.bottom) / 2 + (pressed ? 1 : 0);
  const int32_t dir = pointsLeft ? -1 : 1;
  return {Point{cx + dir * size, cy}, Point{cx - dir * size / 2, cy - size}, Point{cx - dir * size / 2, cy + size}};
}

Point GlyphPosition(const Rect& r, Size glyph, bool pressed) {
  return {(r.left + r.right - glyph.width) / 2 + (pressed ? 1 : 0),
          (r.top + r.bottom - glyph.height) / 2 + (pressed ? 1 : 0)};
}

int32_t NextBusyDepth(int32_t depth, bool busy) {
  const int32_t next = depth + (busy ? 1 : -1);
  return next < 0 ? 0 : next;
}

uintptr_t ErrorBoxOwner(const TErrorBoxWindows& w) {
  return w.active && w.active != w.form && w.activeIsPluginWindow ? w.active : w.form;
}

TErrorBoxPlan PlanErrorBox(const TErrorBoxWindows& w, bool focusedInOwner) {
  TErrorBoxPlan plan;
  plan.owner = ErrorBoxOwner(w);
  plan.refocusWindow = plan.owner != w.form ? plan.owner : 0;
  plan.refocusControl = w.focused && focusedInOwner ? w.focused : 0;
  return plan;
}

}  // namespace pictara
