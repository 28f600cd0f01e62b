#include "platform/window_win.h"

#include <cstring>
#include <cwchar>
#include <mutex>
#include <vector>

#include "base/utf.h"

// The image base of the module this code is linked into (set by the linker).
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace pictara {

HINSTANCE PluginModule() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

std::wstring Wide(std::string_view utf8) {
  const std::u16string w = Utf8ToUtf16(utf8);
  return std::wstring(w.begin(), w.end());
}

std::string Narrow(std::wstring_view utf16) {
  return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(utf16.data()), utf16.size()));
}

bool IsTopLevelWindow(HWND window) { return GetParent(window) == nullptr; }

std::optional<std::string> GetWindowTextUtf8(HWND window, int maxChars) {
  if (maxChars <= 1) return std::nullopt;
  std::vector<wchar_t> buffer(static_cast<size_t>(maxChars), L'\0');
  int length = GetWindowTextW(window, buffer.data(), maxChars);
  if (length <= 0) return std::nullopt;
  return Narrow(std::wstring_view(buffer.data(), static_cast<size_t>(length)));
}

void SetWindowTextUtf8(HWND window, const std::string& text) { SetWindowTextW(window, Wide(text).c_str()); }

ShiftState KeyboardShiftState() {
  ShiftState s = ssNone;
  if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  if (GetKeyState(VK_LBUTTON) < 0) s |= ssLeft;
  if (GetKeyState(VK_RBUTTON) < 0) s |= ssRight;
  if (GetKeyState(VK_MBUTTON) < 0) s |= ssMiddle;
  return s;
}

ShiftState WheelShiftState(WPARAM wParam) {
  ShiftState s = ssNone;
  const WORD keys = GET_KEYSTATE_WPARAM(wParam);
  if (keys & MK_SHIFT) s |= ssShift;
  if (keys & MK_CONTROL) s |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  if (keys & MK_LBUTTON) s |= ssLeft;
  if (keys & MK_RBUTTON) s |= ssRight;
  if (keys & MK_MBUTTON) s |= ssMiddle;
  return s;
}

MouseButton MessageMouseButton(UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK: return MouseButton::Left;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK: return MouseButton::Right;
    default: return MouseButton::Middle;
  }
}

Size ClientSize(HWND window) {
  RECT r{};
  if (!window || !GetClientRect(window, &r)) return {};
  return {r.right - r.left, r.bottom - r.top};
}

// ---- DIBs ------------------------------------------------------------------------------------------

BITMAPINFO DibInfo(int32_t width, int32_t height, int bitsPerPixel, bool bottomUp) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = bottomUp ? height : -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel);
  bi.bmiHeader.biCompression = BI_RGB;
  return bi;
}

void DrawBitmap(HDC dc, const Bitmap& bitmap, int x, int y) {
  if (bitmap.pixelFormat != PixelFormat::pf24bit && bitmap.pixelFormat != PixelFormat::pf32bit) return;
  const BITMAPINFO bi = DibInfo(bitmap.width, bitmap.height, BitsPerPixel(bitmap.pixelFormat), bitmap.bottomUp);
  SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(bitmap.width), static_cast<DWORD>(bitmap.height), 0, 0, 0,
                    static_cast<UINT>(bitmap.height), bitmap.bits.data(), &bi, DIB_RGB_COLORS);
}

void DibSection::Reset() {
  if (dc_) {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  if (bitmap_) DeleteObject(bitmap_);
  dc_ = nullptr;
  bitmap_ = nullptr;
  old_ = nullptr;
  bits_ = nullptr;
  width_ = height_ = 0;
  bitsPerPixel_ = 0;
}

bool DibSection::Create(int32_t width, int32_t height, int bitsPerPixel, bool bottomUp) {
  Reset();
  if (width <= 0 || height <= 0) return false;
  const BITMAPINFO bi = DibInfo(width, height, bitsPerPixel, bottomUp);
  bitmap_ = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits_, nullptr, 0);
  if (!bitmap_) return false;
  dc_ = CreateCompatibleDC(nullptr);
  if (!dc_) {
    Reset();
    return false;
  }
  old_ = SelectObject(dc_, bitmap_);
  width_ = width;
  height_ = height;
  bitsPerPixel_ = bitsPerPixel;
  return true;
}

bool DibSection::Assign(const Bitmap& b) {
  if (b.pixelFormat != PixelFormat::pf24bit && b.pixelFormat != PixelFormat::pf32bit) return false;
  if (!Create(b.width, b.height, BitsPerPixel(b.pixelFormat), b.bottomUp)) return false;
  GdiFlush();
  std::memcpy(bits_, b.bits.data(), b.bits.size());
  return true;
}

uint8_t* DibSection::Bits() const {
  GdiFlush();
  return static_cast<uint8_t*>(bits_);
}

size_t DibSection::Stride() const {
  // DIB rows are padded to whole 32-bit words.
  return (static_cast<size_t>(width_) * static_cast<size_t>(bitsPerPixel_) + 31) / 32 * 4;
}

// ---- Window classes ----------------------------------------------------------------------------------

namespace {

std::mutex g_classesLock;
std::vector<const wchar_t*> g_registeredClasses;

}  // namespace

bool WindowClass::Register() const {
  const std::lock_guard<std::mutex> lock(g_classesLock);
  for (const wchar_t* name : g_registeredClasses)
    if (std::wcscmp(name, name_) == 0) return true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = style_;
  wc.lpfnWndProc = proc_;
  wc.cbWndExtra = sizeof(void*);
  wc.hInstance = PluginModule();
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = name_;
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  g_registeredClasses.push_back(name_);
  return true;
}

HWND WindowClass::Create(void* object, DWORD style, HWND parent, const Rect& bounds, int controlId,
                         const wchar_t* text, DWORD exStyle) const {
  if (!Register()) return nullptr;
  return CreateWindowExW(exStyle, name_, text, style, bounds.left, bounds.top, bounds.Width(), bounds.Height(),
                         parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), PluginModule(),
                         object);
}

void UnregisterPluginWindowClasses() {
  const std::lock_guard<std::mutex> lock(g_classesLock);
  for (const wchar_t* name : g_registeredClasses) UnregisterClassW(name, PluginModule());
  g_registeredClasses.clear();
}

namespace window_detail {

void* BoundObject(HWND window, UINT message, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  void* object = reinterpret_cast<void*>(GetWindowLongPtrW(window, 0));
  if (message == WM_NCDESTROY) SetWindowLongPtrW(window, 0, 0);
  return object;
}

}  // namespace window_detail

}  // namespace pictara
