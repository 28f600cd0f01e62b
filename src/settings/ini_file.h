// The INI text format of the settings file: decoding, key lookup and in-place key updates.
//
//   [Section]
//   Key=Value
//   ; comment
//
// A byte-order mark selects UTF-8, UTF-16 LE or UTF-16 BE; without one the bytes are in the
// system's 8-bit code page. Lines end in CR LF or LF. Names and values are trimmed of blanks and
// tabs; section and key names match without regard to (ASCII) case; when a key or a section
// occurs twice, the first one counts. Values are taken as they stand (no quote removal).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pictara {

struct TIniEntry {
  std::string Key;
  std::string Value;
};

// A parsed INI file: the lookups the settings reader needs.
class TIniText {
 public:
  TIniText() = default;  // an empty file: every lookup fails
  // Decodes the raw file bytes (see the encoding rule above) and parses them.
  static TIniText FromFileBytes(std::string_view bytes);
  // Parses text that is already UTF-8.
  static TIniText FromUtf8(std::string_view text);

  // The value of the first `key` in the first section named `section`; nullopt when absent.
  std::optional<std::string> Value(std::string_view section, std::string_view key) const;

 private:
  struct Section {
    std::string Name;
    std::vector<TIniEntry> Entries;
  };
  std::vector<Section> sections_;
};

// Decodes the raw bytes of an INI file to UTF-8 by its byte-order mark (which is dropped), else
// from the system's 8-bit code page.
std::string DecodeIniBytes(std::string_view bytes);

// Returns `fileBytes` with each entry set in `section`: the first line of an existing key is
// replaced, a missing key is added after the section's last entry, a missing section is appended
// at the end. Everything else (other keys and sections, comments, blank lines, line ends, the
// encoding and its byte-order mark) is kept as it was.
std::string SetIniKeys(std::string_view fileBytes, std::string_view section, const std::vector<TIniEntry>& entries);

}  // namespace pictara
