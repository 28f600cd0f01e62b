// The exported Lister functions. Placeholder bodies until the viewer lands.
#include <windows.h>

extern "C" {

__declspec(dllexport) HWND __stdcall ListLoadW(HWND, const wchar_t*, int) { return nullptr; }
__declspec(dllexport) HWND __stdcall ListLoad(HWND, const char*, int) { return nullptr; }
__declspec(dllexport) int __stdcall ListLoadNextW(HWND, HWND, const wchar_t*, int) { return 1; }
__declspec(dllexport) int __stdcall ListLoadNext(HWND, HWND, const char*, int) { return 1; }
__declspec(dllexport) void __stdcall ListCloseWindow(HWND) {}
__declspec(dllexport) void __stdcall ListGetDetectString(char* s, int maxlen) {
  if (s && maxlen > 0) s[0] = 0;
}
__declspec(dllexport) HBITMAP __stdcall ListGetPreviewBitmapW(const wchar_t*, int, int, char*, int) {
  return nullptr;
}
__declspec(dllexport) HBITMAP __stdcall ListGetPreviewBitmap(const char*, int, int, char*, int) {
  return nullptr;
}
}
