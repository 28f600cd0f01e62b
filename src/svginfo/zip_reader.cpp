#include "svginfo/zip_reader.h"

#include <zlib.h>

#include <algorithm>

#include "platform/codepage.h"

namespace pictara {
namespace {

constexpr size_t kEndRecordSize = 22;
constexpr size_t kCentralHeaderSize = 46;
constexpr size_t kLocalHeaderSize = 30;
constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kFlagStrongEncryption = 0x0040;
constexpr uint16_t kFlagUtf8 = 0x0800;

uint16_t Read16(std::string_view b, size_t at) {
  return static_cast<uint16_t>(static_cast<unsigned char>(b[at]) |
                               static_cast<unsigned char>(b[at + 1]) << 8);
}

uint32_t Read32(std::string_view b, size_t at) {
  return static_cast<uint32_t>(Read16(b, at)) | static_cast<uint32_t>(Read16(b, at + 2)) << 16;
}

bool HasSignature(std::string_view b, size_t at, char c, char d) {
  return at + 4 <= b.size() && b[at] == 'P' && b[at + 1] == 'K' && b[at + 2] == c && b[at + 3] == d;
}

bool IsAscii(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Inflates raw deflate data. Gives nothing when the data is broken or would exceed `limit`
// bytes before the stream ends, unless stopping at `wanted` bytes was asked for.
std::optional<std::string> InflateRaw(std::string_view data, uint64_t wanted, uint64_t limit) {
  z_stream z{};
  if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return std::nullopt;
  std::string out;
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  char chunk[65536];
  int rc = Z_OK;
  bool ok = false;
  for (;;) {
    z.next_out = reinterpret_cast<Bytef*>(chunk);
    z.avail_out = sizeof chunk;
    rc = inflate(&z, Z_NO_FLUSH);
    const size_t got = sizeof chunk - z.avail_out;
    if (out.size() + got > limit) {
      if (wanted > 0 && wanted <= limit) {
        out.append(chunk, static_cast<size_t>(wanted - out.size()));
        ok = true;
      }
      break;
    }
    out.append(chunk, got);
    if (wanted > 0 && out.size() >= wanted) {
      out.resize(static_cast<size_t>(wanted));
      ok = true;
      break;
    }
    if (rc == Z_STREAM_END) {
      ok = true;
      break;
    }
    if (rc != Z_OK) break;  // Z_BUF_ERROR: the data ended before the stream did
  }
  inflateEnd(&z);
  if (!ok) return std::nullopt;
  return out;
}

}  // namespace

ZipArchive::ZipArchive(std::string_view bytes) : bytes_(bytes) {
  if (bytes.size() < kEndRecordSize) return;
  // The end record sits at the very end, after a comment of at most 65535 bytes.
  const size_t lowest = bytes.size() >= kEndRecordSize + 0xFFFF ? bytes.size() - kEndRecordSize - 0xFFFF : 0;
  size_t end = std::string_view::npos;
  for (size_t at = bytes.size() - kEndRecordSize + 1; at-- > lowest;) {
    if (HasSignature(bytes, at, 5, 6) && at + kEndRecordSize + Read16(bytes, at + 20) <= bytes.size()) {
      end = at;
      break;
    }
  }
  if (end == std::string_view::npos) {
    // An archive cut short still starts with one of its records; any other text that happens
    // to start with "PK" is not an archive.
    if (HasSignature(bytes, 0, 3, 4) || HasSignature(bytes, 0, 5, 6) || HasSignature(bytes, 0, 7, 8))
      status_ = Status::Broken;
    return;
  }
  status_ = Status::Broken;

  const uint16_t disk = Read16(bytes, end + 4);
  const uint16_t directoryDisk = Read16(bytes, end + 6);
  const uint16_t entriesHere = Read16(bytes, end + 8);
  const uint16_t entriesTotal = Read16(bytes, end + 10);
  const uint32_t directorySize = Read32(bytes, end + 12);
  const uint32_t directoryOffset = Read32(bytes, end + 16);
  if (disk != 0 || directoryDisk != 0 || entriesHere != entriesTotal) return;
  // ZIP64 marks its fields with all bits set and adds a locator before the end record.
  if (entriesTotal == 0xFFFF || directorySize == 0xFFFFFFFF || directoryOffset == 0xFFFFFFFF) return;
  if (end >= 20 && HasSignature(bytes, end - 20, 6, 7)) return;
  if (uint64_t{directoryOffset} + directorySize > end) return;

  const size_t directoryEnd = size_t{directoryOffset} + directorySize;
  size_t at = directoryOffset;
  std::vector<ZipEntry> entries;
  entries.reserve(entriesTotal);
  for (uint32_t i = 0; i < entriesTotal; ++i) {
    if (at + kCentralHeaderSize > directoryEnd || !HasSignature(bytes, at, 1, 2)) return;
    ZipEntry e;
    e.flags = Read16(bytes, at + 8);
    e.method = Read16(bytes, at + 10);
    e.crc32 = Read32(bytes, at + 16);
    e.compressedSize = Read32(bytes, at + 20);
    e.size = Read32(bytes, at + 24);
    const size_t nameLength = Read16(bytes, at + 28);
    const size_t extraLength = Read16(bytes, at + 30);
    const size_t commentLength = Read16(bytes, at + 32);
    e.localHeaderOffset = Read32(bytes, at + 42);
    const size_t next = at + kCentralHeaderSize + nameLength + extraLength + commentLength;
    if (next > directoryEnd) return;
    const std::string_view raw = bytes.substr(at + kCentralHeaderSize, nameLength);
    if ((e.flags & kFlagUtf8) || IsAscii(raw)) {
      e.name.assign(raw);
    } else {
      e.name = CodePageToUtf8(437, raw).value_or(std::string(raw));
    }
    entries.push_back(std::move(e));
    at = next;
  }
  directoryOffset_ = directoryOffset;
  entries_ = std::move(entries);
  status_ = Status::Ok;
}

std::optional<std::string> ZipArchive::Extract(const ZipEntry& e, uint64_t maxBytes) const {
  if (status_ != Status::Ok) return std::nullopt;
  if (e.flags & (kFlagEncrypted | kFlagStrongEncryption)) return std::nullopt;
  if (e.method != 0 && e.method != 8) return std::nullopt;
  if (e.size == 0xFFFFFFFF || e.compressedSize == 0xFFFFFFFF || e.localHeaderOffset == 0xFFFFFFFF)
    return std::nullopt;  // ZIP64
  // The local record and its data must lie wholly before the directory.
  const uint64_t local = e.localHeaderOffset;
  if (local + kLocalHeaderSize > directoryOffset_ || !HasSignature(bytes_, static_cast<size_t>(local), 3, 4))
    return std::nullopt;
  const uint64_t dataStart = local + kLocalHeaderSize + Read16(bytes_, static_cast<size_t>(local) + 26) +
                             Read16(bytes_, static_cast<size_t>(local) + 28);
  if (dataStart + e.compressedSize > directoryOffset_) return std::nullopt;
  const std::string_view data = bytes_.substr(static_cast<size_t>(dataStart), e.compressedSize);

  const bool whole = maxBytes == 0 || maxBytes >= e.size;
  if (whole && e.size > kMaxSvgTextBytes) return std::nullopt;
  const uint64_t wanted = whole ? 0 : maxBytes;

  std::optional<std::string> out;
  if (e.method == 0) {
    if (e.compressedSize != e.size) return std::nullopt;
    out = std::string(whole ? data : data.substr(0, static_cast<size_t>(maxBytes)));
  } else {
    // A stream that would give more than the directory says is lying: stop there.
    out = InflateRaw(data, wanted, e.size);
    if (!out) return std::nullopt;
  }
  if (!whole && out->size() < wanted) return std::nullopt;  // the data ended before its size
  if (whole) {
    if (out->size() != e.size) return std::nullopt;
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(out->data()),
                            static_cast<uInt>(out->size()));
    if (crc != e.crc32) return std::nullopt;
  }
  return out;
}

bool IsZipArchive(std::string_view bytes) { return ZipArchive(bytes).status() == ZipArchive::Status::Ok; }

std::string SvgEntryNameFor(std::string_view fileName) {
  const size_t slash = fileName.find_last_of("/\\");
  std::string_view base = slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
  const size_t dot = base.rfind('.');
  if (dot != std::string_view::npos) base = base.substr(0, dot);
  return std::string(base) + ".svg";
}

ZipSvgText ExtractSvgFromZip(std::string_view archive, std::string_view fileName, uint64_t maxBytes) {
  ZipSvgText result;
  const ZipArchive zip(archive);
  if (zip.status() == ZipArchive::Status::NotZip) return result;
  if (zip.status() == ZipArchive::Status::Broken) {
    result.result = ZipSvgText::Result::Broken;
    return result;
  }
  const std::string wanted = SvgEntryNameFor(fileName);
  for (const ZipEntry& e : zip.Entries()) {
    if (CompareTextIgnoreCase(e.name, wanted) != 0) continue;
    auto text = zip.Extract(e, maxBytes);
    if (!text) {
      result.result = ZipSvgText::Result::Broken;
      return result;
    }
    result.result = ZipSvgText::Result::Found;
    result.text = std::move(*text);
    return result;
  }
  result.result = ZipSvgText::Result::Missing;
  return result;
}

}  // namespace pictara
