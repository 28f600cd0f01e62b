// The BMP reader of the native build, kept portable so that its checks are tested everywhere.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/picture.h"

namespace pictara {

// See ReadBmp in image_codec.h.
std::optional<Bitmap> ReadBmpPortable(std::string_view bytes, std::string* error);

}  // namespace pictara
