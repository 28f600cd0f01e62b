#include "render/file_icon_win.h"

#include <shellapi.h>

#include "platform/files.h"
#include "base/utf.h"

namespace pictara {

UniqueIcon GetFileIcon(const std::string& FileName, uint8_t SizeFlag) {
  if (!FileExists(FileName)) return nullptr;
  const std::u16string wide = Utf8ToUtf16(FileName);
  SHFILEINFOW info{};
  if (SHGetFileInfoW(reinterpret_cast<const wchar_t*>(wide.c_str()), 0, &info, sizeof info,
                     SHGFI_ICON | SizeFlag) == 0)
    return nullptr;
  return UniqueIcon(info.hIcon);  // null when the shell gave none
}

}  // namespace pictara
