// Scaling through the Windows Imaging Component, and the plug-in's own images from its resources.
#pragma once

#include <windows.h>
#include <wincodec.h>

#include <string>

#include "platform/image_codec_wic_win.h"
#include "base/picture.h"
#include "render/wic_resize.h"

namespace pictara {

// A new image that is `image` seen through the system's bitmap scaler at width × height with the
// mode's interpolation. Throws ImageError when the scaler cannot be made. Call with COM set up
// (wic::ComScope).
wic::ComPtr<IWICBitmapSource> WicScale(IWICImagingFactory* factory, IWICBitmapSource* image, int32_t width,
                                       int32_t height, TWicResizeMode mode);

// The raw-data (RT_RCDATA) resource `name` of `module`, decoded and, unless it already has that
// size, scaled with WicScale to width × height. A 32-bit result has its alpha format set to
// ignored; images without alpha come out 24-bit. Throws ImageError for a missing resource or an
// image that does not decode.
Bitmap LoadResourceBitmap(HMODULE module, const std::string& name, int32_t width, int32_t height,
                          TWicResizeMode mode);

// The same from the module this code is linked into (the plug-in library).
Bitmap LoadResourceBitmap(const std::string& name, int32_t width, int32_t height, TWicResizeMode mode);

}  // namespace pictara
