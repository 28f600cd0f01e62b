// The image inside the box: its drawing options and the pixel work that prepares a picture for
// the window side, which then only has to hand finished DIBs to GDI.
//
// The picture is drawn in one of two forms: 24-bit opaque, or 32-bit premultiplied
// blue-green-red-alpha drawn with its alpha over the background. Both are made once per picture
// (and per change of `transparent`), not per paint.
#pragma once

#include <cstdint>
#include <optional>

#include "imagebox/zoom_geometry.h"
#include "base/picture.h"
#include "settings/settings.h"

namespace pictara::imagebox {

struct ZoomImageOptions {
  bool center = false;
  bool proportional = false;
  bool transparent = false;  // honour a bitmap's transparent colour
  bool resample = false;
  int32_t resampleDelay = 300;  // milliseconds; 0 resamples at once
  TColor resampleBackColor = 0x00FFFFFF;
  bool drawBackground = false;
};

struct DisplayPicture {
  Bitmap bitmap;          // pf24bit, or pf32bit premultiplied (afPremultiplied) when hasAlpha
  bool hasAlpha = false;
};

// The picture in drawable form. A PNG image keeps its transparency (alpha channel, palette alpha,
// colour key); a bitmap keeps its alpha when it is 32-bit with defined or premultiplied alpha, and
// its transparent colour only with `transparent`. A 32-bit bitmap whose alpha is marked ignored is
// opaque: its fourth byte may hold anything. nullopt for no picture or when memory runs out.
std::optional<DisplayPicture> MakeDisplayPicture(const Picture& picture, bool transparent);

// A 24-bit copy of `display` with its transparent pixels flattened onto `back` (the colour under
// the picture in the smooth paint without tile). False when memory runs out.
bool FlattenOnto(const DisplayPicture& display, TColor back, Bitmap& out);

// The graphic's own transparency flag after the image passed `transparent` on to it: a PNG image
// is transparent when it can show through at all; a bitmap takes the flag as it is given.
bool GraphicIsTransparent(const Picture& picture, bool transparent);

// Largest picture, in pixels, that the smooth paint resamples at its displayed size. A deep zoom
// of a large picture would need a work bitmap of gigabytes; the quick paint stays instead.
inline constexpr int64_t kMaxResamplePixels = int64_t{4096} * 4096;
bool ResampleSizeAllowed(Size displayed);

// A picture displayed larger than that is resampled only where it is visible: the part of the
// picture under the visible span, widened by the filter's reach, resampled at the displayed
// scale. Along one axis: the source span [sourceStart, sourceEnd) and where its resampled
// pixels go, [targetStart, targetStart + targetSize), counted from the displayed picture's
// start. The whole extent gives the whole picture, so the result then equals a full resample;
// otherwise the part may sit up to half a pixel off the full one.
struct AxisPart {
  int32_t sourceStart = 0, sourceEnd = 0;
  int32_t targetStart = 0, targetSize = 0;
  friend bool operator==(const AxisPart&, const AxisPart&) = default;
};
AxisPart VisiblePart(int32_t natural, int32_t displayed, int32_t visibleStart, int32_t visibleEnd);

// A copy of the block [left, right) × [top, bottom) of a 24- or 32-bit bitmap (same pixel and
// alpha format, top-down). False when the block is empty, outside the bitmap, or memory runs out.
bool CropBitmap(const Bitmap& src, const Rect& block, Bitmap& out);

}  // namespace pictara::imagebox
