// Code pages and comparison through the system: MultiByteToWideChar and CompareStringW.
#include <windows.h>

#include <climits>

#include "platform/codepage.h"
#include "base/utf.h"

namespace pictara {

std::optional<std::string> CodePageToUtf8(uint32_t codePage, std::string_view bytes) {
  if (!IsValidCodePage(codePage)) return std::nullopt;
  if (bytes.empty()) return std::string();
  if (bytes.size() > static_cast<size_t>(INT_MAX)) return std::nullopt;
  const int inLen = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(codePage, 0, bytes.data(), inLen, nullptr, 0);
  if (n <= 0) {
    // The system gives nothing for some lone bytes (a lead byte without its trail byte).
    return std::string("\xEF\xBF\xBD");
  }
  std::u16string wide(static_cast<size_t>(n), u'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), inLen, reinterpret_cast<wchar_t*>(wide.data()), n);
  return Utf16ToUtf8(wide);
}

std::optional<std::string> Utf8ToCodePage(uint32_t codePage, std::string_view utf8, bool* usedDefault) {
  if (usedDefault) *usedDefault = false;
  if (!IsValidCodePage(codePage)) return std::nullopt;
  const std::u16string wide = Utf8ToUtf16(utf8);
  if (wide.empty()) return std::string();
  if (wide.size() > static_cast<size_t>(INT_MAX)) return std::nullopt;
  const auto* w = reinterpret_cast<const wchar_t*>(wide.data());
  const int inLen = static_cast<int>(wide.size());
  // The system refuses the used-default flag for UTF-7/UTF-8 and the stateful code pages.
  const bool canFlag = codePage < 50000 && codePage != 42;
  BOOL defaulted = FALSE;
  const int n = WideCharToMultiByte(codePage, 0, w, inLen, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::nullopt;
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, w, inLen, out.data(), n, nullptr, canFlag ? &defaulted : nullptr);
  if (usedDefault) *usedDefault = defaulted != FALSE;
  return out;
}

bool IsMultiByteCodePage(uint32_t codePage) {
  CPINFO info{};
  return GetCPInfo(codePage, &info) && info.MaxCharSize > 1;
}

uint32_t SystemAnsiCodePage() { return GetACP(); }

int CompareTextIgnoreCase(std::string_view a, std::string_view b) {
  const std::u16string wa = Utf8ToUtf16(a);
  const std::u16string wb = Utf8ToUtf16(b);
  const int r = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE,
                               reinterpret_cast<const wchar_t*>(wa.c_str()), static_cast<int>(wa.size()),
                               reinterpret_cast<const wchar_t*>(wb.c_str()), static_cast<int>(wb.size()));
  if (r == CSTR_LESS_THAN) return -1;
  if (r == CSTR_GREATER_THAN) return 1;
  if (r == CSTR_EQUAL) return 0;
  return wa < wb ? -1 : wa == wb ? 0 : 1;  // the call failed: fall back to unit order
}

}  // namespace pictara
