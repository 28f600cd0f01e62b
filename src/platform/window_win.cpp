#include "platform/window_win.h"

#include <vector>

#include "base/utf.h"

namespace pictara {

bool IsTopLevelWindow(HWND window) { return GetParent(window) == nullptr; }

std::optional<std::string> GetWindowTextUtf8(HWND window, int maxChars) {
  if (maxChars <= 1) return std::nullopt;
  std::vector<wchar_t> buffer(static_cast<size_t>(maxChars), L'\0');
  int length = GetWindowTextW(window, buffer.data(), maxChars);
  if (length <= 0) return std::nullopt;
  return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(buffer.data()), static_cast<size_t>(length)));
}

void SetWindowTextUtf8(HWND window, const std::string& text) {
  std::u16string wide = Utf8ToUtf16(text);
  SetWindowTextW(window, reinterpret_cast<const wchar_t*>(wide.c_str()));
}

}  // namespace pictara
