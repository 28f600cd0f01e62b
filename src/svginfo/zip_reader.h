// A small, bounds-checked reader for ZIP archives: central directory, stored and deflated
// entries, CRC checked. What it cannot read safely it refuses: encrypted entries, ZIP64, other
// compression methods, archives spread over several disks, records that lie about their sizes
// or overlap the directory. Every offset is checked against the bytes before it is used.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pictara {

// No compressed drawing is inflated beyond this many bytes of text: a few kilobytes of gzip or
// ZIP data can claim gigabytes. Files whose text is larger count as broken.
inline constexpr uint64_t kMaxSvgTextBytes = uint64_t{256} << 20;  // 256 MiB

struct ZipEntry {
  std::string name;  // UTF-8 (names without the UTF-8 flag are read as code page 437)
  uint16_t flags = 0;
  uint16_t method = 0;
  uint32_t crc32 = 0;
  uint32_t compressedSize = 0;
  uint32_t size = 0;
  uint32_t localHeaderOffset = 0;
};

class ZipArchive {
 public:
  enum class Status { NotZip, Broken, Ok };

  // Reads the central directory of `bytes`, which must outlive the archive object.
  // NotZip: neither an end-of-directory record nor a ZIP record at the start; Broken: an
  // archive whose directory cannot be read (cut short, lying, ZIP64, several disks).
  explicit ZipArchive(std::string_view bytes);

  Status status() const { return status_; }
  const std::vector<ZipEntry>& Entries() const { return entries_; }

  // The entry's bytes. maxBytes > 0: at most that many (the rest is not inflated, so the CRC is
  // checked only when the whole entry fits). nullopt for an entry we cannot or may not read.
  std::optional<std::string> Extract(const ZipEntry& entry, uint64_t maxBytes = 0) const;

 private:
  std::string_view bytes_;
  uint64_t directoryOffset_ = 0;
  Status status_ = Status::NotZip;
  std::vector<ZipEntry> entries_;
};

// True when the bytes are a ZIP archive whose directory can be read.
bool IsZipArchive(std::string_view bytes);

// The entry a ZIP-packed drawing is looked up by: the file's own name (no folder) with its
// extension changed to ".svg". "C:\art\logo.svgz" gives "logo.svg".
std::string SvgEntryNameFor(std::string_view fileName);

struct ZipSvgText {
  enum class Result { NotZip, Found, Missing, Broken };
  Result result = Result::NotZip;
  std::string text;  // with Found
};

// Looks up the drawing packed in a ZIP archive: the first entry (in directory order) whose name
// equals SvgEntryNameFor(fileName) without regard to letter case; entries in folders never
// match. maxBytes as for ZipArchive::Extract.
ZipSvgText ExtractSvgFromZip(std::string_view archive, std::string_view fileName, uint64_t maxBytes = 0);

}  // namespace pictara
