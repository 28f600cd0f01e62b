// Thumbnails for the host's thumbnail view: the drawing rendered by the converter at the requested
// size, loaded, and shrunk when it nevertheless came out larger. The Windows side that hands a
// bitmap handle to the host is thumbnail_win.h.
#pragma once

#include <optional>
#include <string>

#include "base/picture.h"
#include "render/convert.h"

namespace pictara {

struct TSettings;

// The thumbnail's raster, or nullopt on any failure (never throws). With UseImageMagick the BMP is
// returned as the converter wrote it; otherwise the PNG as a bitmap (32-bit premultiplied when it
// has transparency), fitted into RequestedSize with ResampleBitmap when larger. The converter's
// output file is deleted on every path.
std::optional<Bitmap> MakeThumbnailBitmap(const std::string& FileName, Size RequestedSize, bool DontEnlarge,
                                          const TSettings& settings, TConvertServices& services);

// The step after the converter: the raster file's bytes (a BMP from ImageMagick, else a PNG) as
// the thumbnail bitmap. nullopt when it does not decode or cannot be fitted.
std::optional<Bitmap> ThumbnailFromRaster(std::string bytes, bool isBmp, Size RequestedSize);

// The same with the process-wide settings and the real system.
std::optional<Bitmap> MakeThumbnailBitmap(const std::string& FileName, Size RequestedSize, bool DontEnlarge);

}  // namespace pictara
