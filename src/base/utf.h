// UTF-8 <-> UTF-16 conversion. Portable: the core keeps text in UTF-8 and converts only at the
// Win32 boundary.
//
// Invalid input never fails: an ill-formed UTF-8 sequence or an unpaired surrogate becomes
// U+FFFD. Empty input gives empty output.
#pragma once

#include <string>
#include <string_view>

namespace pictara {

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// Number of UTF-16 code units the UTF-8 text takes (the unit some length rules count in).
size_t Utf16Length(std::string_view text);

// Appends one code point (at most U+10FFFF) as UTF-8.
void AppendUtf8(std::string& out, char32_t cp);

}  // namespace pictara
