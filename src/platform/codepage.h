// Text services of the operating system: code-page conversion and locale-aware comparison.
// Windows: MultiByteToWideChar / CompareStringW. Linux: iconv and the C library.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pictara {

// Converts bytes in the given Windows code page (1252, 1251, 932, 65001, ...) to UTF-8.
// nullopt when the system does not know the code page. Bytes the code page does not define
// become U+FFFD (on Windows: whatever the system substitutes).
std::optional<std::string> CodePageToUtf8(uint32_t codePage, std::string_view bytes);

// Converts UTF-8 text to the given Windows code page. A character the code page cannot hold
// becomes its default character ('?') and sets *usedDefault (when given). nullopt when the
// system does not know the code page.
std::optional<std::string> Utf8ToCodePage(uint32_t codePage, std::string_view utf8, bool* usedDefault);

// True for a code page in which a character may take more than one byte (932, 936, 949, 950,
// GB18030, the ISO-2022 forms, UTF-7, ...): its text must be converted in whole sequences.
bool IsMultiByteCodePage(uint32_t codePage);

// The system's 8-bit ("ANSI") code page: GetACP() on Windows, 1252 elsewhere.
uint32_t SystemAnsiCodePage();

// Locale-aware comparison of two UTF-8 texts without regard to letter case; <0, 0 or >0.
int CompareTextIgnoreCase(std::string_view a, std::string_view b);

}  // namespace pictara
