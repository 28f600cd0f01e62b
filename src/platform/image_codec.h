// PNG and BMP codec of the operating system: libpng and a small BMP reader natively, the Windows
// Imaging Component on Windows. Both give the same PngImage / Bitmap for the same file.
//
// Failures are returned, never thrown: nullopt, and the decoder's message in *error when given.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/picture.h"

namespace pictara {

// Decodes a PNG keeping its colour type, bit depth, palette and tRNS (see PngImage). Interlaced
// images come out de-interlaced.
std::optional<PngImage> DecodePng(std::string_view bytes, std::string* error = nullptr);

// Encodes an 8-bit RGB or RGBA image (colour types 2 and 6) as a PNG file. Other kinds are refused.
std::optional<std::string> EncodePng(const PngImage& image, std::string* error = nullptr);

// Reads an uncompressed BMP (1, 4, 8, 24 or 32 bits; 32 bits with or without an alpha mask) with
// the pixel format it was stored in. 32-bit pixels keep their fourth byte; the alpha format is
// ignored, as in a plain DIB.
std::optional<Bitmap> ReadBmp(std::string_view bytes, std::string* error = nullptr);

// The same for files (names as files.h takes them).
std::optional<PngImage> DecodePngFile(const std::string& name, std::string* error = nullptr);
std::optional<Bitmap> ReadBmpFile(const std::string& name, std::string* error = nullptr);
bool WritePngFile(const std::string& name, const PngImage& image, std::string* error = nullptr);

}  // namespace pictara
