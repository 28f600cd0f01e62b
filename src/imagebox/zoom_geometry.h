// Zoom, fit, centring and scrolling of the image box as pure arithmetic: numbers in, numbers out.
//
// Two coordinate spaces meet here and get their own types so they cannot be mixed by accident:
// ClientPoint is a point in the box's client area (what the window system reports), PicturePoint a
// point in the displayed picture (origin at the picture's top-left corner, in displayed pixels).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "base/geometry.h"

namespace pictara::imagebox {

struct ClientPoint {
  int32_t x = 0, y = 0;
  friend bool operator==(const ClientPoint&, const ClientPoint&) = default;
};

struct PicturePoint {
  int32_t x = 0, y = 0;
  friend bool operator==(const PicturePoint&, const PicturePoint&) = default;
};

// Zoom percentages stepped through by IncreaseImageScale, ascending. Fine steps below 100 % where
// each step is a large share of the picture, coarser ones above where the user wants to get close
// quickly; 1600 % is the deepest zoom a step can reach.
inline constexpr std::array<int32_t, 33> ZoomSteps = {
    1,   2,   4,   7,   10,  15,  20,  25,  30,  40,  50,  60,  70,   80,   90,   100,  125,
    150, 175, 200, 250, 300, 350, 400, 450, 500, 600, 700, 800, 1000, 1200, 1400, 1600};

// Largest value ImageScale accepts.
inline constexpr int32_t MaxImageScale = 32766;

// The next table value beyond `scale` in the given direction, or `scale` itself when the table
// has none (at or beyond either end). `scale` need not be a table value.
int32_t NextZoomStep(int32_t scale, bool increase);

// Scroll distance of Page Up / Page Down (client height) and Home / End (client width): nearly a
// whole page, but never less than two thirds of it so a tiny client still moves.
int32_t PageStep(int32_t extent);

// Round(scale × extent / 100), halves to even. Computed in 64 bits (the product of a large scale and
// a large picture does not fit 32) and capped at the largest 32-bit value.
int32_t ScaledExtent(int32_t scale, int32_t extent);

struct FitOptions {
  bool onlyBig = true;
  bool forceWidth = false;
  bool forceHeight = false;
};

struct FitResult {
  Size displayed;
  int32_t scale = 100;  // the scale the fit computes; the previous scale when it computes none
};

// Displayed size of a picture fitted into the client area. `previousScale` is kept when the fit
// decides no scale (an extent not above 0, or a forced dimension that already fits).
FitResult FitImage(Size picture, Size client, const FitOptions& options, int32_t previousScale);

// Where a displayed picture sits in the client area: centred when smaller and `center` is on,
// otherwise at the top-left corner.
ClientPoint CenterOffset(Size displayed, Size client, bool center);

// The point of the displayed picture under the client centre, as fractions of its displayed size.
// `imageStart` is the picture's current client position along the axis, `position` the scroll
// position, `displayed` its current displayed extent (0: no picture yet, the answer is 0).
double RelativeCentre(int32_t client, int32_t imageStart, int32_t position, int32_t displayed);

// Scroll position that puts the fraction `relative` of a new displayed extent back under the
// client centre; 0 when the picture is centred (offset ≠ 0).
int32_t KeepPosition(double relative, int32_t displayed, int32_t client, int32_t offset);

// Scroll position limits: 0 … range − client extent.
int32_t ClampPosition(int32_t position, int32_t range, int32_t client);

// Scroll-bar requests, numbered as the window system numbers them.
enum ScrollCode : int {
  kScrollLineUp = 0,
  kScrollLineDown = 1,
  kScrollPageUp = 2,
  kScrollPageDown = 3,
  kScrollThumbPosition = 4,
  kScrollThumbTrack = 5,
  kScrollTop = 6,
  kScrollBottom = 7,
  kScrollEnd = 8,
};

// Where a scroll-bar request moves the bar (not yet clamped), or nullopt when it moves nothing.
// Lines move as far as an arrow key, pages as far as Page Up / Page Down; the thumb is followed
// live while it is dragged.
std::optional<int32_t> ScrollBarTarget(int code, int32_t position, int32_t range, int32_t extent,
                                       int32_t trackPosition);

// ---- Image painting decisions ----------------------------------------------------------------

struct DisplayOptions {
  bool stretch = false;
  bool proportional = false;
  bool center = false;
};

// Where the picture goes inside the image control's client area.
Rect ComputeDisplayRect(Size picture, Size client, const DisplayOptions& options);

enum class PaintPath {
  Stretched,          // quick scaled draw only
  StretchedThenTimer, // quick scaled draw now, resampled one when the timer fires
  Resampled,          // resampled draw at once
};

struct PaintInputs {
  bool resample = false;
  bool hasGraphic = false;
  Size picture;       // natural size
  Rect display;       // ComputeDisplayRect
  int32_t resampleDelay = 300;
};

// Which paint runs. Every paint of a resampling image stops its timer first; the answer says whether
// it is started again.
PaintPath ChoosePaintPath(const PaintInputs& in);

// Top-left corners of the tiles that cover `rect`, row by row, starting at its top-left corner. One
// more column and row than fit whole so the edges are covered (the drawing is clipped to `rect`).
// Empty when the tile has no area. With `clip`, only the tiles that reach into it: a zoomed picture
// can be far larger than the part on screen.
std::vector<ClientPoint> TilePositions(const Rect& rect, Size tile,
                                       const std::optional<Rect>& clip = std::nullopt);

// The image control needs nothing painted beneath it when its graphic is not transparent and the
// display rectangle covers the whole control.
bool IsImageOpaque(bool hasGraphic, bool graphicTransparent, const Rect& display, Size control);

}  // namespace pictara::imagebox
