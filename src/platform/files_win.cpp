#include <windows.h>

#include "platform/files.h"
#include "platform/utf.h"

namespace pictara {

std::optional<std::string> ReadFileBytes(const std::string& name, int64_t maxBytes) {
  const std::u16string wide = Utf8ToUtf16(name);
  HANDLE h = CreateFileW(reinterpret_cast<const wchar_t*>(wide.c_str()), GENERIC_READ,
                         FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string data;
  char buf[65536];
  bool ok = true;
  for (;;) {
    DWORD want = sizeof buf;
    if (maxBytes > 0) {
      const auto left = static_cast<uint64_t>(maxBytes) - data.size();
      if (left == 0) break;
      if (left < want) want = static_cast<DWORD>(left);
    }
    DWORD got = 0;
    if (!ReadFile(h, buf, want, &got, nullptr)) {
      ok = false;
      break;
    }
    data.append(buf, got);
    if (got == 0) break;
  }
  CloseHandle(h);
  if (!ok) return std::nullopt;
  return data;
}

}  // namespace pictara
