// The source window: the text of a drawing in the read-only text view with XML highlighting and
// line numbers, and a strip of link-look labels above it for Word Wrap, Highlight, Format and
// Info. Modal to the viewer.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <string>

namespace pictara {

using TErrorRoute = std::function<void(const std::exception&)>;

// Opens the window for the file and returns when it has been closed. The owner's top-level window
// is disabled meanwhile and active again afterwards. A file that cannot be opened shows nothing;
// a text that cannot be loaded at all raises (before anything is shown). Errors of the window's
// commands while it is open go to onError (the viewer's exception report).
void ShowSourceWindow(const std::string& FileName, HWND owner, TErrorRoute onError);

}  // namespace pictara
