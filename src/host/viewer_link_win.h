// Ties a viewer window handed to the host to the viewer object behind it, and owns every open
// viewer as a last resort so that unloading the library never leaves a window of ours behind.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "viewer/fm_svg.h"

namespace pictara {

// One per viewer window, its address in the window's GWLP_USERDATA slot.
struct TViewerLink {
  WNDPROC OldWndProc = nullptr;  // the procedure the viewer window had before subclassing
  TfmSVG* Form = nullptr;        // the viewer that owns the window
};

// Builds a viewer for FileName inside the Lister window ParentWin; its window handle, or nullptr
// when the file is not shown (nothing is left behind then). Never raises.
HWND CreateViewerWindow(HWND ParentWin, const std::string& FileName, bool DarkMode) noexcept;

// Turns the destruction of a viewer window from outside (the host destroys its Lister window)
// into the same teardown as CloseViewerWindow; every other message goes to the old procedure.
LRESULT CALLBACK ViewerWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Frees the viewer of ListWin (which destroys its window) and then its link. A window without a
// link is left alone. Teardown errors are swallowed. During a load of the viewer the teardown is
// deferred until the load has returned (LoadNextIntoViewer, or the host's message loop).
void CloseViewerWindow(HWND ListWin) noexcept;

// Shows FileName in the viewer of ListWin (GlobalLoadNextImage); false when it is not shown or
// ListWin has no viewer. A close that arrived during the load frees the viewer and its link before
// this returns, and the load counts as failed.
bool LoadNextIntoViewer(HWND ListWin, const std::string& FileName) noexcept;

// The link of a viewer window, nullptr for any other window.
TViewerLink* ViewerLinkOf(HWND ListWin);

// The plug-in's application object: viewers it still owns, and their destruction at unload.
size_t OwnedViewerCount();
void DestroyOwnedViewers() noexcept;

}  // namespace pictara
