// ASCII-only letter case, for names whose comparison the system defines on the letters a to z
// (file extensions, INI keys, XML keywords). Other bytes compare exactly.
#pragma once

#include <string_view>

namespace pictara {

constexpr char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

constexpr bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

}  // namespace pictara
