// The exported Lister functions and the library's start-up and unload. No C++ exception leaves
// this file: the host gets 0 from ListLoad*, 1 from ListLoadNext* and 0 from the preview functions.
#include <windows.h>

#include <cstring>
#include <string>

#include "host/viewer_link_win.h"
#include "platform/window_win.h"
#include "imagebox/zoom_image_box_win.h"
#include "base/utf.h"
#include "render/convert.h"
#include "render/temp_name.h"
#include "render/thumbnail_win.h"
#include "settings/settings.h"
#include "viewer/viewer_form_win.h"

namespace pictara {
namespace {

// The host offers us SVG and SVGZ files, in its detect-string syntax.
constexpr char kDetectString[] = R"(MULTIMEDIA & ext="SVG"|ext="SVGZ")";

// The host's flag word: only its dark-mode bit is read.
constexpr int kShowFlagDarkMode = 128;

std::string FromWide(const wchar_t* text) {
  return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text), wcslen(text)));
}

// A path in the system's ANSI code page, as the host's 8-bit functions pass it.
std::wstring FromAnsi(const char* text) {
  int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
  wide.resize(static_cast<size_t>(length) - 1);
  return wide;
}

// The thumbnail for the host's thumbnail view, which the host owns from then on.
HBITMAP PreviewBitmap(const std::string& fileName, int width, int height) {
  return GetThumbnail(fileName, Size{width, height}, Settings().DontResizeSmallThumbnail);
}

// Library notifications after start-up; process attach reads the settings once.
void PluginLibraryProc(DWORD reason) {
  if (reason != DLL_PROCESS_ATTACH) return;
  try {
    LoadSettings();
  } catch (...) {
    // The defaults stay; the host must be able to load the plug-in anyway.
  }
}

}  // namespace
}  // namespace pictara

using namespace pictara;

extern "C" {

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      SeedRandom();  // temporary file names
      DisableThreadLibraryCalls(module);
      PluginLibraryProc(DLL_PROCESS_ATTACH);
      break;
    case DLL_PROCESS_DETACH:
      // On FreeLibrary, viewers the host left open are destroyed while their windows can still be
      // destroyed; their window procedures live in this library. When the process ends, nothing
      // is left to clean up.
      if (reserved == nullptr) {
        DestroyOwnedViewers();
        UnregisterPluginWindowClasses();
      }
      // Late outputs of converters that have exited by now; also at process end, where another
      // thread may have died holding the list, so the sweep does not wait for it.
      DeleteLateOutputs(/*mayBlock=*/false);
      break;
    default:
      break;
  }
  return TRUE;
}

HWND __stdcall ListLoadW(HWND ParentWin, const wchar_t* FileToLoad, int ShowFlags) {
  try {
    if (!FileToLoad) return nullptr;
    return CreateViewerWindow(ParentWin, FromWide(FileToLoad), (ShowFlags & kShowFlagDarkMode) == kShowFlagDarkMode);
  } catch (...) {
    return nullptr;
  }
}

HWND __stdcall ListLoad(HWND ParentWin, const char* FileToLoad, int ShowFlags) {
  try {
    if (!FileToLoad) return nullptr;
    std::wstring wide = FromAnsi(FileToLoad);
    return ListLoadW(ParentWin, wide.c_str(), ShowFlags);
  } catch (...) {
    return nullptr;
  }
}

int __stdcall ListLoadNextW(HWND /*ParentWin*/, HWND ListWin, const wchar_t* FileToLoad, int /*ShowFlags*/) {
  try {
    if (!FileToLoad) return 1;
    return LoadNextIntoViewer(ListWin, FromWide(FileToLoad)) ? 0 : 1;
  } catch (...) {
    return 1;
  }
}

int __stdcall ListLoadNext(HWND ParentWin, HWND ListWin, const char* FileToLoad, int ShowFlags) {
  try {
    if (!FileToLoad) return 1;
    std::wstring wide = FromAnsi(FileToLoad);
    return ListLoadNextW(ParentWin, ListWin, wide.c_str(), ShowFlags);
  } catch (...) {
    return 1;
  }
}

void __stdcall ListCloseWindow(HWND ListWin) { CloseViewerWindow(ListWin); }

void __stdcall ListGetDetectString(char* DetectString, int maxlen) {
  if (!DetectString || maxlen <= 0) return;
  size_t count = std::min<size_t>(static_cast<size_t>(maxlen) - 1, sizeof(kDetectString) - 1);
  std::memcpy(DetectString, kDetectString, count);
  DetectString[count] = '\0';
}

HBITMAP __stdcall ListGetPreviewBitmapW(const wchar_t* FileToLoad, int width, int height, char* /*contentbuf*/,
                                        int /*contentbuflen*/) {
  try {
    // With thumbnails switched off the file is not even looked at.
    if (!Settings().ShowThumbnailsInTC || !FileToLoad) return nullptr;
    return PreviewBitmap(FromWide(FileToLoad), width, height);
  } catch (...) {
    return nullptr;
  }
}

HBITMAP __stdcall ListGetPreviewBitmap(const char* FileToLoad, int width, int height, char* contentbuf,
                                       int contentbuflen) {
  try {
    if (!FileToLoad) return nullptr;
    std::wstring wide = FromAnsi(FileToLoad);
    return ListGetPreviewBitmapW(wide.c_str(), width, height, contentbuf, contentbuflen);
  } catch (...) {
    return nullptr;
  }
}

}  // extern "C"
