#include <windows.h>

#include "platform/load_trace.h"
#include "base/utf.h"

namespace pictara {

std::string LoadTraceVariable() {
  // Read from the process's environment each time (not the C runtime's copy made at start-up),
  // so a value set by the host, or by a test before it loads the plug-in, counts.
  wchar_t value[1024];
  const DWORD n = GetEnvironmentVariableW(L"PICTARA_TRACE", value, 1024);
  if (n == 0 || n >= 1024) return {};
  return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(value), n));
}

}  // namespace pictara
