// What the image box window paints, decided without a window: the smooth paint's plan, the bands
// of the box colour around an opaque picture, the picture's place in box coordinates, the hit test
// over the picture, wheel steps, the mouse capture and the area the box lays out in. The Win32 control
// (zoom_image_box_win.cpp) asks these and carries out the answers.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "base/geometry.h"
#include "base/shift_state.h"
#include "imagebox/zoom_geometry.h"

namespace pictara::imagebox {

// How the smooth picture is made.
enum class SmoothMethod {
  // The picture resampled with its alpha and laid over the background (tile or colour).
  ResampleOverBackground,
  // Enlarging without a tile: flattened onto the back colour, then resampled (the system's
  // halftone stretch only replicates or shifts pixels when enlarging).
  ResampleFlattened,
  // Shrinking without a tile: flattened onto the back colour, then the system's area-averaging
  // (halftone) stretch.
  HalftoneFlattened,
};

struct SmoothPaintInputs {
  Size picture;          // the drawable picture's pixel size
  Rect display;          // where the whole picture is displayed (box coordinates)
  Rect clip;             // what is being painted (box coordinates)
  bool drawBackground = false;
};

struct SmoothPaintPlan {
  Rect part;    // what the smooth bitmap covers, relative to the display rectangle
  Rect block;   // the block of the picture it is made from
  Rect target;  // where the smooth bitmap goes (box coordinates)
  bool wholePicture = true;  // block is the whole picture
  SmoothMethod method = SmoothMethod::ResampleOverBackground;
  friend bool operator==(const SmoothPaintPlan&, const SmoothPaintPlan&) = default;
};

// The whole picture at its displayed size, or, for a display too large to resample whole, the
// visible part of it. nullopt when there is nothing to resample (no picture, an empty display,
// nothing of it visible, a visible part still too large): the quick paint stays.
std::optional<SmoothPaintPlan> PlanSmoothPaint(const SmoothPaintInputs& in);

// What the finished smooth bitmap was made from: while it stays equal, a repaint (after a mere
// scroll) copies the bitmap instead of making it again.
struct SmoothPaintKey {
  Size displayed;
  Rect part;
  Rect block;
  bool tiled = false;
  uint32_t backColor = 0;
  uint64_t tileGeneration = 0;
  friend bool operator==(const SmoothPaintKey&, const SmoothPaintKey&) = default;
};

// The four bands of the client area around the image's bounds (above, below, left, right), which
// the box colour fills when the picture paints everything under itself. Bands may be empty.
std::array<Rect, 4> BandsAround(const Rect& bounds, Size client);

// The display rectangle (relative to the image's bounds) in box coordinates.
Rect DisplayInBox(const Rect& displayInImage, const Rect& imageBounds);

// True when a client point is over the picture: inside the image's bounds and inside the client
// area (the bounds may reach beyond it).
bool IsOverImage(ClientPoint p, const Rect& imageBounds, Size client);

// Wheel deltas add up until they make whole notches (`notch`, 120 on Windows): small deltas of a
// fine wheel or a touchpad are kept, not lost. Steps > 0 turn up (away from the user).
struct WheelSteps {
  int32_t steps = 0;
  int32_t rest = 0;
  friend bool operator==(const WheelSteps&, const WheelSteps&) = default;
};
WheelSteps TakeWheelSteps(int32_t rest, int32_t delta, int32_t notch = 120);

// Where the box's mouse messages go. The box takes the capture at every press, so a drag goes on
// outside it. A left press on the picture starts a drag of the picture: until the left button is
// released (or the capture is lost to another window), moves and that release go to the picture
// wherever the mouse is; otherwise the picture sees only what happens over it. The capture is
// given back when a release leaves no button down; losing it mid-drag ends the drag as a release
// would, so the view does not keep panning with the button up.
enum class MouseEvent { Press, Move, Release, CaptureLost };
struct MouseInput {
  MouseEvent event = MouseEvent::Move;
  MouseButton button = MouseButton::Left;  // Press and Release
  bool overImage = false;                  // Press, Move and Release
  bool buttonsStillDown = false;           // Release: another button is still held
  bool lostToItself = false;               // CaptureLost: the box took the capture again
};
struct MouseRoute {
  bool toImage = false;         // the picture's handler runs (for CaptureLost: a left release)
  bool dragging = false;        // a left drag of the picture goes on afterwards
  bool takeCapture = false;
  bool releaseCapture = false;
  friend bool operator==(const MouseRoute&, const MouseRoute&) = default;
};
MouseRoute RouteMouse(bool dragging, const MouseInput& input);

// The area the box lays out in: the client area plus the scroll bars the window shows now, since
// the portable box decides the bars itself.
Size BoxArea(Size client, bool vertBarShown, bool horzBarShown, int32_t vertBarWidth, int32_t horzBarHeight);

}  // namespace pictara::imagebox
