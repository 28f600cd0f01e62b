#include "render/thumbnail.h"

#include "platform/image_codec.h"
#include "render/raster.h"
#include "render/resample.h"
#include "settings/settings.h"

namespace pictara {

namespace {

// The converter's output file: deleted when the thumbnail is done with it, whatever happened.
class OutputFile {
 public:
  OutputFile(TConvertServices& services, std::string name) : services_(services), name_(std::move(name)) {}
  ~OutputFile() {
    DeleteConverterOutput(name_, services_);
  }
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  const std::string& Name() const { return name_; }

 private:
  TConvertServices& services_;
  std::string name_;
};

std::optional<Bitmap> FromPng(std::string bytes, Size requested) {
  std::optional<PngImage> png = DecodePng(bytes);
  bytes = std::string();  // the file's bytes are not needed once decoded
  if (!png) return std::nullopt;
  const bool fits = png->width <= requested.width && png->height <= requested.height;
  const Size natural{png->width, png->height};
  Bitmap bitmap = PngToBitmap(*png);
  png.reset();  // at most two copies of a large raster at a time
  if (fits) return bitmap;
  const Size target = FitSize(natural, requested);
  Bitmap small;
  // A drawing so thin that one side fits to 0 pixels has no usable thumbnail.
  if (!ResampleBitmap(bitmap, small, target.width, target.height, bitmap.pixelFormat == PixelFormat::pf32bit))
    return std::nullopt;
  return small;
}

}  // namespace

std::optional<Bitmap> ThumbnailFromRaster(std::string bytes, bool isBmp, Size RequestedSize) {
  try {
    if (isBmp) return ReadBmp(bytes);
    return FromPng(std::move(bytes), RequestedSize);
  } catch (...) {
    return std::nullopt;
  }
}

std::optional<Bitmap> MakeThumbnailBitmap(const std::string& FileName, Size RequestedSize, bool DontEnlarge,
                                          const TSettings& settings, TConvertServices& services) {
  try {
    int32_t naturalWidth = 0, naturalHeight = 0;
    OutputFile output(services,
                      ConvertSvg(services.LongName(FileName), RequestedSize, settings.UseImageMagick,
                                 settings.UseRSVGHelper, settings.UseInkscape, DontEnlarge, naturalWidth,
                                 naturalHeight, settings, services));
    if (output.Name().empty() || !services.FileExists(output.Name())) return std::nullopt;
    std::optional<std::string> bytes = ReadFileBytes(output.Name());
    if (!bytes || bytes->empty()) return std::nullopt;
    return ThumbnailFromRaster(std::move(*bytes), settings.UseImageMagick, RequestedSize);
  } catch (...) {
    // Any failure means no thumbnail; the host shows its own icon instead.
    return std::nullopt;
  }
}

std::optional<Bitmap> MakeThumbnailBitmap(const std::string& FileName, Size RequestedSize, bool DontEnlarge) {
  return MakeThumbnailBitmap(FileName, RequestedSize, DontEnlarge, Settings(), SystemConvertServices());
}

}  // namespace pictara
