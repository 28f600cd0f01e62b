// Opening a drawing's text: plain, gzip-compressed or packed in a ZIP archive.
#include <zlib.h>

#include "platform/files.h"
#include "svginfo/svg_info.h"
#include "svginfo/zip_reader.h"

namespace pictara {
namespace {

// A compressed file larger than this cannot hold text within kMaxSvgTextBytes in any sensible
// way; reading stops there so that memory stays bounded.
constexpr int64_t kMaxCompressedFileBytes = int64_t{512} << 20;

// Inflates a gzip (or zlib) stream, the header recognised by zlib. With maxBytes > 0 it stops
// once that many bytes are out; otherwise the whole stream must end cleanly within the cap.
std::optional<std::string> Gunzip(std::string_view data, uint64_t maxBytes) {
  z_stream z{};
  if (inflateInit2(&z, 15 + 32) != Z_OK) return std::nullopt;
  std::string out;
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  char chunk[65536];
  bool ok = false;
  for (;;) {
    z.next_out = reinterpret_cast<Bytef*>(chunk);
    z.avail_out = sizeof chunk;
    const int rc = inflate(&z, Z_NO_FLUSH);
    const size_t got = sizeof chunk - z.avail_out;
    if (maxBytes > 0 && maxBytes <= kMaxSvgTextBytes && out.size() + got >= maxBytes) {
      out.append(chunk, static_cast<size_t>(maxBytes - out.size()));
      ok = true;
      break;
    }
    if (out.size() + got > kMaxSvgTextBytes) break;  // a decompression bomb, or simply too much
    out.append(chunk, got);
    if (rc == Z_STREAM_END) {
      ok = true;
      break;
    }
    if (rc != Z_OK) break;  // broken data, or the file ends before the stream does
  }
  inflateEnd(&z);
  if (!ok) return std::nullopt;
  return out;
}

}  // namespace

std::optional<std::string> OpenSvgStream(const std::string& fileName, int64_t maxBytes) {
  try {
    const uint64_t limit = maxBytes > 0 ? static_cast<uint64_t>(maxBytes) : 0;
    const std::optional<std::string> head = ReadFileBytes(fileName, 3);
    if (!head) return std::nullopt;
    unsigned char h[3] = {0, 0, 0};
    for (size_t i = 0; i < head->size() && i < 3; ++i) h[i] = static_cast<unsigned char>((*head)[i]);

    if (h[0] == 0x1F && h[1] == 0x8B && h[2] == 0x08) {
      const std::optional<std::string> data = ReadFileBytes(fileName, kMaxCompressedFileBytes);
      if (!data) return std::nullopt;
      return Gunzip(*data, limit);
    }
    if (h[0] == 'P' && h[1] == 'K') {
      std::optional<std::string> data = ReadFileBytes(fileName, kMaxCompressedFileBytes);
      if (!data) return std::nullopt;
      ZipSvgText packed = ExtractSvgFromZip(*data, fileName, limit);
      switch (packed.result) {
        case ZipSvgText::Result::Found: return std::move(packed.text);
        case ZipSvgText::Result::Missing:
        case ZipSvgText::Result::Broken: return std::nullopt;
        case ZipSvgText::Result::NotZip: break;  // "PK" by chance: the file is its own text
      }
      if (limit > 0 && data->size() > limit) data->resize(static_cast<size_t>(limit));
      return data;
    }
    return ReadFileBytes(fileName, maxBytes > 0 ? maxBytes : 0);
  } catch (...) {
    return std::nullopt;  // out of memory for a huge file: as unreadable
  }
}

}  // namespace pictara
