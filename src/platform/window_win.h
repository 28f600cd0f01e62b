// The one Win32 helper layer every window of the plug-in is written on: the plug-in's own module,
// UTF-8 <-> UTF-16 at the call, the shift state, RECT <-> Rect, DIB sections, window texts, and
// the window-class helper.
//
// Window classes
// --------------
// A window class is a WindowClass constant naming the class and its window procedure, which
// BoundWindowProc makes from a member function of the window's object. The helper
//   - registers the class once, with the plug-in's module (never the host program's), on the
//     first Create; UnregisterPluginWindowClasses, called by the library's detach, releases every
//     class registered so;
//   - binds the object given to Create on WM_NCCREATE (through lpCreateParams, into the window's
//     extra bytes: GWLP_USERDATA stays free for whoever subclasses the window) and unbinds it on
//     WM_NCDESTROY, after the handler has seen that message;
//   - catches every exception at the window procedure and hands it to the object's
//     OnWindowError, the one error route (nothing unwinds through the system's or the host's
//     message loop); the message then goes to the default procedure.
// Messages that arrive before WM_NCCREATE, and after WM_NCDESTROY, go to DefWindowProcW.
//
// A second window class is a few lines. For example a small control, in its _win.cpp:
//
//   class TLabelBox {
//    public:
//     bool Create(HWND parent, const Rect& bounds);
//     // Dispatches to named handlers; what a handler decides is a portable function.
//     LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
//       switch (message) {
//         case WM_PAINT: OnPaint(); return 0;
//         case WM_NCDESTROY: hwnd_ = nullptr; break;
//       }
//       return DefWindowProcW(window, message, wParam, lParam);
//     }
//     // The one error route (in the viewer: TfmSVG::ApplicationEvents1Exception).
//     void OnWindowError(const std::exception& e);
//
//    private:
//     void OnPaint();
//     HWND hwnd_ = nullptr;
//   };
//
//   const WindowClass kLabelBoxClass{L"PictaraLabelBox",
//                                    &BoundWindowProc<TLabelBox, &TLabelBox::OnMessage>};
//
//   bool TLabelBox::Create(HWND parent, const Rect& bounds) {
//     hwnd_ = kLabelBoxClass.Create(this, WS_CHILD | WS_VISIBLE, parent, bounds);
//     return hwnd_ != nullptr;
//   }
//
// One object may serve several classes (a form and its panels): give each class its own member
// handler and pass the same object to each Create; ObjectOf<T>(hwnd) finds it again.
#pragma once

#include <windows.h>

#include <cstdint>
#include <exception>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "base/geometry.h"
#include "base/picture.h"
#include "base/shift_state.h"

namespace pictara {

// ---- The plug-in's own module ------------------------------------------------------------------

// The module this code is linked into: the plug-in library (or a test program linking the code),
// never the host program. Window classes, resources and the module's file name use it.
HINSTANCE PluginModule();

// ---- UTF-16 at the call ------------------------------------------------------------------------

std::wstring Wide(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// ---- Windows and their texts ------------------------------------------------------------------

// True when the window has no parent window: a stand-alone window rather than one embedded in
// another.
bool IsTopLevelWindow(HWND window);

// The window's caption in UTF-8; nullopt when nothing can be read (no text or an error). At most
// maxChars - 1 characters are read.
std::optional<std::string> GetWindowTextUtf8(HWND window, int maxChars = 1024);

void SetWindowTextUtf8(HWND window, const std::string& text);

// ---- Input state ----------------------------------------------------------------------------------

// Modifier keys and mouse buttons held now, as the message being handled saw them.
ShiftState KeyboardShiftState();
// The state a wheel message reports in its wParam (Alt is read from the keyboard: the message does
// not carry it).
ShiftState WheelShiftState(WPARAM wParam);
// The button of a WM_xBUTTONDOWN / WM_xBUTTONUP message.
MouseButton MessageMouseButton(UINT message);

// ---- Geometry ---------------------------------------------------------------------------------------

inline RECT ToRECT(const Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }
inline Rect ToRect(const RECT& r) { return Rect{r.left, r.top, r.right, r.bottom}; }
// The client area of a window as a size (0 x 0 when the window has none).
Size ClientSize(HWND window);

// ---- Device-independent bitmaps --------------------------------------------------------------------

// The header of an uncompressed DIB of 24 or 32 bits: top-down unless bottomUp.
BITMAPINFO DibInfo(int32_t width, int32_t height, int bitsPerPixel, bool bottomUp = false);

// Draws a 24- or 32-bit bitmap at (x, y) in its own size.
void DrawBitmap(HDC dc, const Bitmap& bitmap, int x, int y);

// A DIB section selected into its own memory DC; released however its owner goes.
class DibSection {
 public:
  DibSection() = default;
  DibSection(const DibSection&) = delete;
  DibSection& operator=(const DibSection&) = delete;
  ~DibSection() { Reset(); }

  void Reset();
  // A blank DIB of 24 or 32 bits, top-down unless bottomUp. False (and empty) when the system
  // has no memory for it or the size is not positive.
  bool Create(int32_t width, int32_t height, int bitsPerPixel, bool bottomUp = false);
  // A DIB with the pixels of a 24- or 32-bit bitmap, in its row order.
  bool Assign(const Bitmap& bitmap);

  HDC dc() const { return dc_; }
  // The pixels for direct drawing; GDI's pending work is flushed first.
  uint8_t* Bits() const;
  size_t Stride() const;  // bytes per row
  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  bool valid() const { return dc_ != nullptr; }

 private:
  HBITMAP bitmap_ = nullptr;
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
  void* bits_ = nullptr;
  int32_t width_ = 0, height_ = 0;
  int bitsPerPixel_ = 0;
};

// ---- Window classes --------------------------------------------------------------------------------

class WindowClass {
 public:
  // `name` and `proc` must outlive the class (string literals and BoundWindowProc do). The class
  // gets one pointer of extra window bytes for the bound object, the arrow cursor and no
  // background brush (windows paint themselves).
  constexpr WindowClass(const wchar_t* name, WNDPROC proc, UINT style = 0) : name_(name), proc_(proc), style_(style) {}

  const wchar_t* Name() const { return name_; }
  // Registers the class with the plug-in's module unless done; true when it is registered.
  bool Register() const;
  // Creates a window of the class bound to `object`; bounds in the parent's client coordinates.
  // nullptr when the class cannot be registered or the window not made.
  HWND Create(void* object, DWORD style, HWND parent, const Rect& bounds, int controlId = 0,
              const wchar_t* text = L"", DWORD exStyle = 0) const;

 private:
  const wchar_t* name_;
  WNDPROC proc_;
  UINT style_;
};

// Releases every class the helper registered (the library's detach, when the process goes on).
void UnregisterPluginWindowClasses();

// The object bound to a window of a helper class; nullptr before WM_NCCREATE and after
// WM_NCDESTROY.
template <typename T>
T* ObjectOf(HWND window) {
  return reinterpret_cast<T*>(GetWindowLongPtrW(window, 0));
}

namespace window_detail {
// Binds on WM_NCCREATE, unbinds on WM_NCDESTROY (the object is still returned for that message).
void* BoundObject(HWND window, UINT message, LPARAM lParam);
// Calls route, swallowing whatever it throws: the error route itself must not unwind either.
template <typename Fn>
void RouteError(Fn&& route) noexcept {
  try {
    route();
  } catch (...) {
  }
}
}  // namespace window_detail

// The window procedure of a class whose windows are bound to a T: messages go to (object->*Handler),
// exceptions to object->OnWindowError.
template <typename T, LRESULT (T::*Handler)(HWND, UINT, WPARAM, LPARAM)>
LRESULT CALLBACK BoundWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  T* self = static_cast<T*>(window_detail::BoundObject(window, message, lParam));
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  try {
    return (self->*Handler)(window, message, wParam, lParam);
  } catch (const std::exception& e) {
    window_detail::RouteError([&] { self->OnWindowError(e); });
  } catch (...) {
    window_detail::RouteError([&] { self->OnWindowError(std::runtime_error("unknown error")); });
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace pictara
