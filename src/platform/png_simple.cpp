#include "platform/png_simple.h"

#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/load_trace.h"

namespace pictara {

namespace {

uint32_t Be32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

bool IsType(const uint8_t* type, const char* name) { return std::memcmp(type, name, 4) == 0; }

bool HasPngSignature(std::string_view bytes) {
  static const uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
  return bytes.size() >= 8 && std::memcmp(bytes.data(), kSignature, 8) == 0;
}

// Undoes the filter of one row: `src` is the inflated row after its filter byte, `dst` receives
// the pixels, `previous` is the row above (none for the first row).
bool UnfilterRow(uint8_t filter, const uint8_t* src, uint8_t* dst, const uint8_t* previous, size_t stride,
                 int bpp) {
  switch (filter) {
    case 0:
      std::memcpy(dst, src, stride);
      return true;
    case 1:
      for (size_t i = 0; i < stride; ++i)
        dst[i] = static_cast<uint8_t>(src[i] + (i >= static_cast<size_t>(bpp) ? dst[i - bpp] : 0));
      return true;
    case 2:
      for (size_t i = 0; i < stride; ++i) dst[i] = static_cast<uint8_t>(src[i] + (previous ? previous[i] : 0));
      return true;
    case 3:
      for (size_t i = 0; i < stride; ++i) {
        const unsigned left = i >= static_cast<size_t>(bpp) ? dst[i - bpp] : 0;
        const unsigned up = previous ? previous[i] : 0;
        dst[i] = static_cast<uint8_t>(src[i] + ((left + up) >> 1));
      }
      return true;
    case 4:
      for (size_t i = 0; i < stride; ++i) {
        const int a = i >= static_cast<size_t>(bpp) ? dst[i - bpp] : 0;
        const int b = previous ? previous[i] : 0;
        const int c = previous && i >= static_cast<size_t>(bpp) ? previous[i - bpp] : 0;
        const int p = a + b - c;
        const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
        const int predictor = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
        dst[i] = static_cast<uint8_t>(src[i] + predictor);
      }
      return true;
    default:
      return false;
  }
}

// The most output one byte of deflate data can give (a run of 258 bytes coded in two bits), with
// room for the stream's header, end and checksum.
constexpr uint64_t kMaxInflateRatio = 1032;
constexpr uint64_t kInflateSlack = 1024;

int PngChannels(uint8_t type) {
  switch (type) {
    case 0: return 1;
    case 2: return 3;
    case 3: return 1;
    case 4: return 2;
    case 6: return 4;
    default: return 0;
  }
}

}  // namespace

bool PngDataCanFillPicture(std::string_view bytes) {
  const auto* d = reinterpret_cast<const uint8_t*>(bytes.data());
  if (bytes.size() < 8 + 25 || !HasPngSignature(bytes)) return true;
  if (Be32(d + 8) != 13 || !IsType(d + 12, "IHDR")) return true;
  const uint64_t width = Be32(d + 16), height = Be32(d + 20);
  const int channels = PngChannels(d[16 + 9]);
  const uint64_t depth = d[16 + 8];
  if (width == 0 || height == 0 || channels == 0 || depth == 0 || depth > 16) return true;
  // Image data as far as the file has it; a chunk cut short counts with what is there.
  uint64_t data = 0;
  size_t pos = 8;
  while (pos + 8 <= bytes.size()) {
    const uint64_t length = Be32(d + pos);
    const uint64_t present = std::min<uint64_t>(length, bytes.size() - pos - 8);
    if (IsType(d + pos + 4, "IDAT")) data += present;
    if (IsType(d + pos + 4, "IEND") || present < length) break;
    pos += 12 + static_cast<size_t>(length);
  }
  // Every row holds at least its pixels (interlaced passes only add filter bytes).
  const uint64_t rowBytes = (width * channels * depth + 7) / 8;
  const uint64_t most = data * kMaxInflateRatio + kInflateSlack;
  return rowBytes <= most / height;
}

bool PngChunksFitFile(std::string_view bytes) {
  const auto* d = reinterpret_cast<const uint8_t*>(bytes.data());
  if (!HasPngSignature(bytes)) return true;
  size_t pos = 8;
  while (pos + 8 <= bytes.size()) {
    const uint64_t length = Be32(d + pos);
    if (IsType(d + pos + 4, "IEND")) break;
    if (length > bytes.size() - pos - 8) return IsType(d + pos + 4, "IDAT");
    pos += 12 + static_cast<size_t>(length);
  }
  return true;
}

SimplePngResult DecodeSimplePng(std::string_view bytes, PngImage& image) {
  const auto* d = reinterpret_cast<const uint8_t*>(bytes.data());
  if (bytes.size() < 8 + 25 || !HasPngSignature(bytes)) return SimplePngResult::NotSimple;
  // IHDR comes first.
  if (Be32(d + 8) != 13 || !IsType(d + 12, "IHDR")) return SimplePngResult::NotSimple;
  const uint8_t* h = d + 16;
  const uint32_t width = Be32(h), height = Be32(h + 4);
  const uint8_t depth = h[8], type = h[9];
  if (depth != 8 || (type != 2 && type != 6) || h[10] != 0 || h[11] != 0 || h[12] != 0)
    return SimplePngResult::NotSimple;
  if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) return SimplePngResult::Damaged;
  if (!PngDataCanFillPicture(bytes)) return SimplePngResult::Damaged;

  // A colour key needs the full decoder; look through the chunks before decoding anything.
  size_t pos = 8;
  while (pos + 12 <= bytes.size()) {
    const uint32_t length = Be32(d + pos);
    if (length > bytes.size() - pos - 12) return SimplePngResult::Damaged;
    if (IsType(d + pos + 4, "tRNS")) return SimplePngResult::NotSimple;
    if (IsType(d + pos + 4, "IEND")) break;
    pos += 12 + static_cast<size_t>(length);
  }

  PngImage result;
  if (!result.Allocate(static_cast<int32_t>(width), static_cast<int32_t>(height),
                       type == 6 ? PngColorType::Rgba : PngColorType::Rgb, 8))
    return SimplePngResult::Damaged;
  const int bpp = type == 6 ? 4 : 3;
  // Inflated one row at a time into a buffer of one row and its filter byte, and unfiltered from
  // there straight into the picture: no copy of the whole inflated stream is ever held.
  const size_t stride = result.rowBytes;
  std::vector<uint8_t> row;
  try {
    row.resize(stride + 1);
  } catch (...) {
    return SimplePngResult::Damaged;
  }

  z_stream z{};
  if (inflateInit(&z) != Z_OK) return SimplePngResult::Damaged;
  const bool traced = TLoadTrace::Active();
  double inflateMs = 0;
  int32_t y = 0;
  size_t filled = 0;  // bytes of `row` inflated so far
  bool ended = false, ok = true;
  pos = 8;
  while (ok && !ended && pos + 12 <= bytes.size()) {
    const uint32_t length = Be32(d + pos);
    const uint8_t* chunkType = d + pos + 4;
    if (IsType(chunkType, "IEND")) break;
    if (IsType(chunkType, "IDAT")) {
      z.next_in = const_cast<Bytef*>(d + pos + 8);
      z.avail_in = length;
      while (z.avail_in > 0) {
        // With the picture complete, the rest of the stream (its end and checksum) must not give
        // a single byte more: one spare byte shows whether it does.
        const bool complete = y == result.height;
        uint8_t spare = 0;
        z.next_out = complete ? &spare : row.data() + filled;
        z.avail_out = static_cast<uInt>(complete ? 1 : row.size() - filled);
        const auto inflateStart = traced ? std::chrono::steady_clock::now() : std::chrono::steady_clock::time_point();
        const int r = inflate(&z, Z_NO_FLUSH);
        if (traced) inflateMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - inflateStart).count();
        if (complete) {
          if (z.avail_out == 0) ok = false;  // more data than the picture holds
        } else {
          filled = static_cast<size_t>(z.next_out - row.data());
          if (filled == row.size()) {
            if (!UnfilterRow(row[0], row.data() + 1, result.Row(y), y > 0 ? result.Row(y - 1) : nullptr, stride,
                             bpp))
              ok = false;
            ++y;
            filled = 0;
          }
        }
        if (!ok) break;
        if (r == Z_STREAM_END) {
          ended = true;
          break;
        }
        if (r != Z_OK && r != Z_BUF_ERROR) {
          ok = false;
          break;
        }
        if (r == Z_BUF_ERROR && z.avail_in > 0 && z.avail_out > 0) {
          ok = false;  // no progress although there is input and room
          break;
        }
      }
    }
    pos += 12 + static_cast<size_t>(length);
  }
  inflateEnd(&z);
  // zlib's share of the decode, for the load trace (counted within "raster decode" as well).
  if (traced) TLoadTrace::Add("inflate (within raster decode)", inflateMs);
  if (!ok || !ended || y != result.height || filled != 0) return SimplePngResult::Damaged;
  image = std::move(result);
  return SimplePngResult::Decoded;
}

}  // namespace pictara
