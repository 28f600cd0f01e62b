// Turning the converter's output file into the picture the viewer shows, and a 32-bit bitmap back
// into a PNG with alpha for the clipboard.
//
// Bitmaps made here from PNGs with transparency hold premultiplied blue-green-red-alpha pixels
// (no colour byte above its alpha, fully transparent pixels black) and are marked afDefined.
#pragma once

#include <stdexcept>
#include <string>

#include "base/picture.h"

namespace pictara {

// A picture file that cannot be decoded (damaged, truncated, unknown kind).
class ImageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The PNG kind of ImageError: PNG decoding and PNG conversions.
class PngError : public ImageError {
 public:
  using ImageError::ImageError;
};

// The PNG as a bitmap: partial transparency (alpha channel or palette alpha) gives 32 bits,
// premultiplied over transparent black, afDefined; anything else the pixel format that follows
// the PNG (1 -> 1 bit, 2 and 4 -> 4 bits, 8-bit palette -> 8 bits, grey and true colour -> 24 bits)
// with its palette, afIgnored, and a colour key as the transparent colour. Throws PngError when
// the memory cannot be had.
Bitmap PngToBitmap(const PngImage& png);

// Loads the converter's output: a ".png" file becomes a bitmap with InternalConvertPNGtoBitmap and
// stays a PNG image without it; a ".bmp" file is a bitmap as stored. Extensions match without
// regard to case. Throws PngError / ImageError with the decoder's message.
Picture LoadRasterResult(const std::string& FileName, bool InternalConvertPNGtoBitmap);

// A 32-bit bitmap as an 8-bit RGBA PNG image; premultiplied colour (afDefined, afPremultiplied)
// is divided back by its alpha. Throws PngError "Bitmap PixelFormat must be pf32bit" for any
// other bitmap.
PngImage BitmapToPngWithAlpha(const Bitmap& bitmap);

// Bits per pixel of a bitmap, the header's bit depth (bits per sample) of a PNG, 0 for nothing.
int GetImageBitsPerPixel(const Picture& picture);

}  // namespace pictara
