#include "render/file_icon_win.h"

#include <shellapi.h>

#include "platform/files.h"
#include "platform/window_win.h"

namespace pictara {

UniqueIcon GetFileIcon(const std::string& FileName, uint8_t SizeFlag) {
  if (!FileExists(FileName)) return nullptr;
  const std::wstring wide = Wide(FileName);
  SHFILEINFOW info{};
  if (SHGetFileInfoW(wide.c_str(), 0, &info, sizeof info,
                     SHGFI_ICON | SizeFlag) == 0)
    return nullptr;
  return UniqueIcon(info.hIcon);  // null when the shell gave none
}

}  // namespace pictara
