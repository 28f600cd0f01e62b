// What the form's window side decides on its own behalf, without a window: how the arrow buttons
// draw (glyph keyed to the button face, or the triangle shown until the glyphs are there), the
// busy-cursor count, and which window owns the error box and gets the focus back after it.
#pragma once

#include <array>
#include <cstdint>

#include "base/geometry.h"
#include "base/picture.h"
#include "settings/settings.h"

namespace pictara {

// A glyph's colour at its bottom-left corner is its transparent colour, as for speed buttons:
// those pixels take the button face `face` (0x00BBGGRR). The result is 32-bit with alpha ignored
// (0); false when the glyph cannot be converted.
bool KeyGlyphToFace(const Bitmap& glyph, TColor face, Bitmap& out);

// The plain triangle of an arrow button inside `button` (client coordinates), pointing left for
// the previous-file button; moved by one pixel right and down while pressed.
std::array<Point, 3> ArrowTriangle(const Rect& button, bool pointsLeft, bool pressed);

// Where a glyph of `glyph` size goes in `button`, centred and moved by one pixel while pressed.
Point GlyphPosition(const Rect& button, Size glyph, bool pressed);

// The busy cursor is shown while any command of any viewer is running: busy calls nest, and an
// unmatched "not busy" never makes the count negative.
int32_t NextBusyDepth(int32_t depth, bool busy);

// The error box's owner and the focus after it. Window ids are opaque numbers (0: none).
struct TErrorBoxWindows {
  uintptr_t form = 0;             // the viewer's form
  uintptr_t active = 0;           // the active window
  bool activeIsPluginWindow = false;  // the active window belongs to the plug-in (a dialog of it)
  uintptr_t focused = 0;          // the focused window
};
struct TErrorBoxPlan {
  uintptr_t owner = 0;          // the form, or the plug-in's other active window
  uintptr_t refocusWindow = 0;  // given the focus back after the box (0: none)
  // The focused control of the owner, given the focus back last; the window side checks that it
  // is focused or a child of the owner (`focusedInOwner`).
  uintptr_t refocusControl = 0;
  friend bool operator==(const TErrorBoxPlan&, const TErrorBoxPlan&) = default;
};
// focusedInOwner: the focused window is the owner or one of its children (asked of the system
// once the owner is known; see ErrorBoxOwner).
uintptr_t ErrorBoxOwner(const TErrorBoxWindows& w);
TErrorBoxPlan PlanErrorBox(const TErrorBoxWindows& w, bool focusedInOwner);

}  // namespace pictara
