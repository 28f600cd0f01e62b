#include "render/thumbnail_win.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "render/thumbnail.h"

namespace pictara {

HBITMAP BitmapToDibSection(const Bitmap& bitmap) {
  if (bitmap.Empty() || bitmap.bits.size() < bitmap.Stride() * static_cast<size_t>(bitmap.height)) return nullptr;
  const size_t colours = BitsPerPixel(bitmap.pixelFormat) <= 8 ? bitmap.palette.size() : 0;
  std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + std::max<size_t>(colours, 1) * sizeof(RGBQUAD), 0);
  auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
  header->biSize = sizeof(BITMAPINFOHEADER);
  header->biWidth = bitmap.width;
  header->biHeight = bitmap.bottomUp ? bitmap.height : -bitmap.height;
  header->biPlanes = 1;
  header->biBitCount = static_cast<WORD>(BitsPerPixel(bitmap.pixelFormat));
  header->biCompression = BI_RGB;
  header->biClrUsed = static_cast<DWORD>(colours);
  auto* palette = reinterpret_cast<RGBQUAD*>(info.data() + sizeof(BITMAPINFOHEADER));
  for (size_t i = 0; i < colours; ++i)
    palette[i] = RGBQUAD{bitmap.palette[i].b, bitmap.palette[i].g, bitmap.palette[i].r, 0};
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &bits,
                                 nullptr, 0);
  if (!dib || !bits) {
    if (dib) DeleteObject(dib);
    return nullptr;
  }
  // Our rows are padded exactly as the section's.
  std::memcpy(bits, bitmap.bits.data(), bitmap.Stride() * static_cast<size_t>(bitmap.height));
  GdiFlush();
  return dib;
}

HBITMAP GetThumbnail(const std::string& FileName, Size RequestedSize, bool DontEnlarge) noexcept {
  try {
    std::optional<Bitmap> bitmap = MakeThumbnailBitmap(FileName, RequestedSize, DontEnlarge);
    return bitmap ? BitmapToDibSection(*bitmap) : nullptr;
  } catch (...) {
    return nullptr;
  }
}

}  // namespace pictara
