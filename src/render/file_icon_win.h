// The shell's icon for a file (Windows only).
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>

namespace pictara {

struct IconDeleter {
  void operator()(HICON icon) const { DestroyIcon(icon); }
};
// An icon the holder owns and frees.
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;

// The shell's icon for an existing file; SizeFlag is or-ed into the request (SHGFI_SMALLICON for
// the small one). Empty for a missing file or when the shell has no icon.
UniqueIcon GetFileIcon(const std::string& FileName, uint8_t SizeFlag);

}  // namespace pictara
