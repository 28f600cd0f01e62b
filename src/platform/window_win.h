// Small window services of the system for the Win32 side: UTF-8 window texts, the parent test.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace pictara {

// True when the window has no parent window: a stand-alone window rather than one embedded in
// another.
bool IsTopLevelWindow(HWND window);

// The window's caption in UTF-8; nullopt when nothing can be read (no text or an error). At most
// maxChars - 1 characters are read.
std::optional<std::string> GetWindowTextUtf8(HWND window, int maxChars = 1024);

void SetWindowTextUtf8(HWND window, const std::string& text);

}  // namespace pictara
