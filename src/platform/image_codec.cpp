// File entry points of the codec, the same on every system.
#include "platform/files.h"
#include "platform/image_codec.h"

namespace pictara {

std::optional<PngImage> DecodePngFile(const std::string& name, std::string* error) {
  std::optional<std::string> bytes = ReadFileBytes(name);
  if (!bytes) {
    if (error) *error = "Cannot read " + name;
    return std::nullopt;
  }
  return DecodePng(*bytes, error);
}

std::optional<Bitmap> ReadBmpFile(const std::string& name, std::string* error) {
  std::optional<std::string> bytes = ReadFileBytes(name);
  if (!bytes) {
    if (error) *error = "Cannot read " + name;
    return std::nullopt;
  }
  return ReadBmp(*bytes, error);
}

}  // namespace pictara
