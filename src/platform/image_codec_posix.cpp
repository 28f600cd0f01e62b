// libpng for PNG; BMP through the portable reader (image_codec_bmp.cpp).
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/image_codec_bmp.h"
#include "platform/files.h"
#include "platform/image_codec.h"
#include "platform/png_simple.h"

namespace pictara {

namespace {

struct ReadState {
  std::string_view bytes;
  size_t pos = 0;
  std::string message;
};

void OnPngError(png_structp png, png_const_charp msg) {
  auto* state = static_cast<ReadState*>(png_get_error_ptr(png));
  if (state) state->message = msg ? msg : "PNG error";
  png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

constexpr png_alloc_size_t kMostChunkMemory = 8u << 20;

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count) {
  auto* state = static_cast<ReadState*>(png_get_io_ptr(png));
  if (count > state->bytes.size() - state->pos) png_error(png, "Unexpected end of PNG data");
  std::memcpy(out, state->bytes.data() + state->pos, count);
  state->pos += count;
}

void SetError(std::string* error, const std::string& message) {
  if (error) *error = message;
}

// Decoding happens between setjmp and libpng's longjmp; it keeps no C++ objects with destructors
// alive across the jump (the image is owned by the caller's frame).
bool DecodeInto(png_structp png, png_infop info, PngImage& image) {
  if (setjmp(png_jmpbuf(png))) return false;
  const ReadState& state = *static_cast<ReadState*>(png_get_error_ptr(png));
  png_set_read_fn(png, png_get_error_ptr(png), ReadFromMemory);
  // Pictures of any size the format allows; memory is checked in Allocate.
  png_set_user_limits(png, 0x7fffffff, 0x7fffffff);
  // What libpng inflates from a compressed chunk (a colour profile, a text) is held to 8 MB, or
  // the file's size when that is more (chunk lengths past the file were refused before).
  png_set_chunk_malloc_max(png, std::max<png_alloc_size_t>(kMostChunkMemory, state.bytes.size()));
  png_read_info(png, info);
  png_uint_32 w = 0, h = 0;
  int depth = 0, type = 0, interlace = 0;
  png_get_IHDR(png, info, &w, &h, &depth, &type, &interlace, nullptr, nullptr);
  if (w > 0x7fffffff || h > 0x7fffffff) png_error(png, "Image too large");
  if (!image.Allocate(static_cast<int32_t>(w), static_cast<int32_t>(h),
                      static_cast<PngColorType>(type), depth))
    png_error(png, "Out of memory for PNG image");
  if (type == PNG_COLOR_TYPE_PALETTE) {
    png_colorp colours = nullptr;
    int count = 0;
    if (png_get_PLTE(png, info, &colours, &count) & PNG_INFO_PLTE) {
      image.palette.resize(static_cast<size_t>(count));
      for (int i = 0; i < count; ++i)
        image.palette[i] = Rgba{colours[i].red, colours[i].green, colours[i].blue, 255};
    }
  }
  if (png_get_valid(png, info, PNG_INFO_tRNS)) {
    png_bytep alpha = nullptr;
    int count = 0;
    png_color_16p key = nullptr;
    png_get_tRNS(png, info, &alpha, &count, &key);
    if (type == PNG_COLOR_TYPE_PALETTE) {
      for (int i = 0; i < count && i < static_cast<int>(image.palette.size()); ++i)
        image.palette[i].a = alpha[i];
    } else if (key) {
      image.colorKey = PngColorKey{key->gray, key->red, key->green, key->blue};
    }
  }
  int passes = interlace != PNG_INTERLACE_NONE ? png_set_interlace_handling(png) : 1;
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != image.rowBytes) png_error(png, "Unexpected PNG row size");
  // Rows go straight into the image's buffer: no allocation while libpng may jump.
  for (int pass = 0; pass < passes; ++pass)
    for (png_uint_32 y = 0; y < h; ++y) png_read_row(png, image.Row(static_cast<int32_t>(y)), nullptr);
  png_read_end(png, nullptr);
  return true;
}

struct WriteState {
  std::string out;
};

void WriteToString(png_structp png, png_bytep data, png_size_t count) {
  auto* state = static_cast<WriteState*>(png_get_io_ptr(png));
  state->out.append(reinterpret_cast<const char*>(data), count);
}

void FlushNothing(png_structp) {}

bool EncodeInto(png_structp png, png_infop info, const PngImage& image, WriteState& state) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, &state, WriteToString, FlushNothing);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height),
               8, static_cast<int>(image.colorType), PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int32_t y = 0; y < image.height; ++y)
    png_write_row(png, const_cast<png_bytep>(image.Row(y)));
  png_write_end(png, info);
  return true;
}

}  // namespace

std::optional<PngImage> DecodePng(std::string_view bytes, std::string* error) {
  if (bytes.size() < 8 || png_sig_cmp(reinterpret_cast<png_const_bytep>(bytes.data()), 0, 8) != 0) {
    SetError(error, "Not a PNG file");
    return std::nullopt;
  }
  if (!PngDataCanFillPicture(bytes)) {
    SetError(error, "Invalid PNG file: less image data than its size needs");
    return std::nullopt;
  }
  if (!PngChunksFitFile(bytes)) {
    SetError(error, "Invalid PNG file: a chunk runs past the end of the file");
    return std::nullopt;
  }
  ReadState state{bytes, 0, {}};
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, OnPngError, OnPngWarning);
  if (!png) {
    SetError(error, "Out of memory");
    return std::nullopt;
  }
  png_infop info = png_create_info_struct(png);
  auto image = std::make_unique<PngImage>();
  bool ok = info && DecodeInto(png, info, *image);
  png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
  if (!ok) {
    SetError(error, state.message.empty() ? "Invalid PNG file" : state.message);
    return std::nullopt;
  }
  return std::move(*image);
}

std::optional<std::string> EncodePng(const PngImage& image, std::string* error) {
  if (image.bitDepth != 8 ||
      (image.colorType != PngColorType::Rgb && image.colorType != PngColorType::Rgba) ||
      image.width <= 0 || image.height <= 0 ||
      image.pixels.size() < image.rowBytes * static_cast<size_t>(image.height)) {
    SetError(error, "Only 8-bit RGB and RGBA images can be written");
    return std::nullopt;
  }
  ReadState messages;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &messages, OnPngError, OnPngWarning);
  if (!png) {
    SetError(error, "Out of memory");
    return std::nullopt;
  }
  png_infop info = png_create_info_struct(png);
  auto state = std::make_unique<WriteState>();
  bool ok = info && EncodeInto(png, info, image, *state);
  png_destroy_write_struct(&png, info ? &info : nullptr);
  if (!ok) {
    SetError(error, messages.message.empty() ? "PNG encoding failed" : messages.message);
    return std::nullopt;
  }
  return std::move(state->out);
}

std::optional<Bitmap> ReadBmp(std::string_view bytes, std::string* error) {
  return ReadBmpPortable(bytes, error);
}

bool WritePngFile(const std::string& name, const PngImage& image, std::string* error) {
  std::optional<std::string> data = EncodePng(image, error);
  if (!data) return false;
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(name.c_str(), "wb"), std::fclose);
  if (!f || std::fwrite(data->data(), 1, data->size(), f.get()) != data->size()) {
    SetError(error, "Cannot write " + name);
    return false;
  }
  if (std::fclose(f.release()) != 0) {
    SetError(error, "Cannot write " + name);
    return false;
  }
  return true;
}

}  // namespace pictara
