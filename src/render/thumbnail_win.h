// The thumbnail handed to the host, and bitmaps as device-independent sections (Windows only).
#pragma once

#include <windows.h>

#include <string>

#include "base/picture.h"
#include "render/convert.h"

namespace pictara {

// A new DIB section holding the bitmap's pixels, palette and row order; null on failure. The
// caller owns the handle.
HBITMAP BitmapToDibSection(const Bitmap& bitmap);

// The thumbnail of an SVG/SVGZ file as a DIB section the host takes over, or null on any failure
// (no message, no exception). Uses the process-wide settings.
HBITMAP GetThumbnail(const std::string& FileName, Size RequestedSize, bool DontEnlarge) noexcept;

}  // namespace pictara
