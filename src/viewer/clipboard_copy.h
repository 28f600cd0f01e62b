// "Copy to Clipboard": what goes on the clipboard for the picture shown, and in which order. The
// clipboard itself is a port (IClipboard) that the Win32 window implements; the bytes and every
// decision are made here.
//
// Contents afterwards: always a 24-bit bitmap of the picture's natural size; with
// CopyPngToClipboard also the complete PNG file under the registered format "PNG", when the
// picture is a PNG image or a 32-bit bitmap (its alpha kept). A 24-bit bitmap, as loaded from a
// BMP result, gives the bitmap only, although the clipboard is opened a second time.
#pragma once

#include <optional>
#include <string>

#include "base/picture.h"
#include "viewer/viewer_ports.h"

namespace pictara {

inline constexpr char kPngClipboardFormat[] = "PNG";

// The bitmap for the clipboard: 24 bits, the picture's natural width and height, the picture
// drawn at (0, 0) onto a fresh bitmap without filling it first, so transparent pixels blend over
// the black a new bitmap holds. Throws ImageError when there is no picture or no memory.
Bitmap ClipboardBitmap(const Picture& picture);

// The PNG file for the "PNG" format: a 32-bit bitmap through BitmapToPngWithAlpha, a PNG image as
// it is (8-bit RGB and RGBA as they are; other kinds as 8-bit RGBA with their transparency);
// nullopt for anything else. Throws PngError when converting or encoding fails.
std::optional<std::string> ClipboardPngBytes(const Picture& picture);

// The command. The busy cursor shows only with copyPng and is reset on every path. Failures of
// drawing, converting, encoding or opening the clipboard propagate after the clipboard was
// closed again; no format id, no memory or a refused block leave the PNG out silently.
void CopyPictureToClipboard(const Picture& picture, bool copyPng, IClipboard& clipboard, ICursor& cursor);

}  // namespace pictara
