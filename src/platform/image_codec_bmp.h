// The BMP reader of the native build, kept portable so that its checks are tested everywhere.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/picture.h"

namespace pictara {

// See ReadBmp in image_codec.h.
std::optional<Bitmap> ReadBmpPortable(std::string_view bytes, std::string* error);

// False when an uncompressed BMP declares more rows of pixels than the file holds after its pixel
// offset: a lying header is refused before memory for the declared size is taken. True for
// anything else (not a BMP, compressed): the reader decides.
bool BmpPixelDataFits(std::string_view bytes);

}  // namespace pictara
