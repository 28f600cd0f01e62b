// The viewer's clipboard on Win32: the 24-bit bitmap as the standard bitmap format, and data
// blocks under registered formats. What goes there and in which order is clipboard_copy.cpp.
#include <windows.h>

#include <cstring>
#include <stdexcept>

#include "platform/window_win.h"
#include "viewer/viewer_dialogs_win.h"

namespace pictara {

namespace {

// Another program may hold the clipboard for a moment (a clipboard viewer reading what was just
// placed): a few short tries before giving up.
constexpr int kOpenAttempts = 5;
constexpr DWORD kOpenRetryMs = 20;

void OpenClipboardOrThrow(HWND owner) {
  for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
    if (OpenClipboard(owner)) return;
    Sleep(kOpenRetryMs);
  }
  throw EClipboardException("Cannot open clipboard");
}

// A 24-bit device-independent bitmap with the pixels of `bitmap`, for the clipboard to own.
HBITMAP ClipboardDib(const Bitmap& bitmap) {
  if (bitmap.Empty() || bitmap.pixelFormat != PixelFormat::pf24bit) return nullptr;
  BITMAPINFO info = DibInfo(bitmap.width, bitmap.height, 24, /*bottomUp=*/true);
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!dib || !bits) {
    if (dib) DeleteObject(dib);
    return nullptr;
  }
  const size_t stride = bitmap.Stride();
  auto* out = static_cast<uint8_t*>(bits);
  for (int32_t y = 0; y < bitmap.height; ++y)
    std::memcpy(out + static_cast<size_t>(bitmap.height - 1 - y) * stride, bitmap.Row(y), stride);
  GdiFlush();
  return dib;
}

}  // namespace

void TViewerDialogsWin::AssignBitmap(const Bitmap& bitmap) {
  HBITMAP dib = ClipboardDib(bitmap);
  if (!dib) throw EClipboardException("Out of system resources");
  try {
    OpenClipboardOrThrow(owner_);
  } catch (...) {
    DeleteObject(dib);
    throw;
  }
  EmptyClipboard();
  const bool placed = SetClipboardData(CF_BITMAP, dib) != nullptr;
  CloseClipboard();
  if (!placed) {
    DeleteObject(dib);
    throw EClipboardException("Cannot place the picture on the clipboard");
  }
}

void TViewerDialogsWin::Open() { OpenClipboardOrThrow(owner_); }

void TViewerDialogsWin::Close() { CloseClipboard(); }

uint32_t TViewerDialogsWin::RegisterFormat(const std::string& name) {
  return RegisterClipboardFormatW(Wide(name).c_str());
}

TClipboardDataResult TViewerDialogsWin::AddData(uint32_t format, std::string_view bytes) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, bytes.size());
  if (!block) return TClipboardDataResult::NoMemory;
  void* data = GlobalLock(block);
  if (!data) {
    GlobalFree(block);
    return TClipboardDataResult::NoLock;
  }
  std::memcpy(data, bytes.data(), bytes.size());
  const bool accepted = SetClipboardData(format, block) != nullptr;
  GlobalUnlock(block);
  if (!accepted) {
    GlobalFree(block);
    return TClipboardDataResult::Refused;
  }
  return TClipboardDataResult::Placed;
}

}  // namespace pictara
