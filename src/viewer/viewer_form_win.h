// The viewer's window on Windows: the form (a child of the host's Lister window), ScrollBox1 with
// the image box, and the bottom bar with the two arrow buttons and the status panel.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "viewer/fm_svg.h"

namespace pictara {

// Window class of the form; the host finds viewer windows by it in tests and tools.
inline constexpr wchar_t kViewerFormClass[] = L"PictaraViewer";

// Control ids of the form's children (GetDlgCtrlID), for the window procedures that serve several
// of them and for tests that find a control.
enum TViewerControlId : int {
  idScrollBox1 = 1,
  idImgMain,
  idPanBottom,
  idPanButtons,
  idPanInfo,
  idSbtPrev,
  idSbtNext,
};

// Builds a viewer inside the Lister window ParentWnd and loads FileName (TfmSVG::CreateParented
// with the Win32 window). HandleResult is the form's window handle when the file is shown, else 0.
std::unique_ptr<TfmSVG> CreateParentedWin(HWND ParentWnd, const std::string& FileName,
                                          uintptr_t& HandleResult, bool DarkMode);

// The host is destroying the viewer's window together with its Lister window: freeing the viewer
// must not destroy it a second time.
void NoteViewerWindowDestroying(HWND viewerWindow);

}  // namespace pictara
