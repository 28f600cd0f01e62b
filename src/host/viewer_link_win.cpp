#include "host/viewer_link_win.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/load_trace.h"
#include "platform/window_win.h"
#include "viewer/viewer_form_win.h"

namespace pictara {

namespace {

// Owner of last resort of every open viewer. Plain pointers on purpose: the library's unload code
// frees them explicitly, while the process is still able to destroy windows.
struct TOwnedViewer {
  TfmSVG* Form;
  HWND Window;
};

std::vector<TOwnedViewer>& OwnedViewers() {
  static std::vector<TOwnedViewer>* viewers = new std::vector<TOwnedViewer>();
  return *viewers;
}

void Disown(TfmSVG* form) {
  auto& viewers = OwnedViewers();
  viewers.erase(std::remove_if(viewers.begin(), viewers.end(), [form](const TOwnedViewer& v) { return v.Form == form; }),
                viewers.end());
}

}  // namespace

HWND CreateViewerWindow(HWND ParentWin, const std::string& FileName, bool DarkMode) noexcept {
  try {
    TLoadTrace trace("viewer " + FileName);
    uintptr_t handleResult = 0;
    std::unique_ptr<TfmSVG> form = CreateParentedWin(ParentWin, FileName, handleResult, DarkMode);
    if (handleResult == 0) return nullptr;  // the viewer and its window go with `form`
    HWND window = reinterpret_cast<HWND>(handleResult);
    TTraceScope showing("show and link");
    ShowWindow(window, SW_SHOW);

    // Everything that can fail is done before the viewer changes hands.
    auto link = std::make_unique<TViewerLink>();
    OwnedViewers().reserve(OwnedViewers().size() + 1);

    link->Form = form.release();
    OwnedViewers().push_back({link->Form, window});
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(link.get()));
    link->OldWndProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ViewerWndProc)));
    link.release();

    // A stand-alone Lister hands the keyboard to the viewer once the host is done with this call;
    // an embedded one keeps the focus where its owner put it.
    if (IsTopLevelWindow(ParentWin)) PostMessageW(window, WM_SETFOCUS, 0, 0);
    return window;
  } catch (...) {
    return nullptr;
  }
}

LRESULT CALLBACK ViewerWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  TViewerLink* link = ViewerLinkOf(window);
  if (!link) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_DESTROY) {
    // Only a destruction from outside arrives here: CloseViewerWindow puts the old procedure
    // back before it destroys the window.
    NoteViewerWindowDestroying(window);
    CloseViewerWindow(window);
    return 0;
  }
  return CallWindowProcW(link->OldWndProc, window, message, wParam, lParam);
}

void CloseViewerWindow(HWND ListWin) noexcept {
  TViewerLink* link = ViewerLinkOf(ListWin);
  if (!link) return;
  try {
    Disown(link->Form);
    SetWindowLongPtrW(ListWin, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(link->OldWndProc));
    delete link->Form;
  } catch (...) {
  }
  // The slot is not cleared: the window no longer exists (or is on its way out).
  delete link;
}

TViewerLink* ViewerLinkOf(HWND ListWin) {
  if (!ListWin || !IsWindow(ListWin)) return nullptr;
  return reinterpret_cast<TViewerLink*>(GetWindowLongPtrW(ListWin, GWLP_USERDATA));
}

size_t OwnedViewerCount() { return OwnedViewers().size(); }

void DestroyOwnedViewers() noexcept {
  auto& viewers = OwnedViewers();
  while (!viewers.empty()) {
    TOwnedViewer v = viewers.back();
    if (ViewerLinkOf(v.Window)) {
      CloseViewerWindow(v.Window);
    } else {
      viewers.pop_back();
      try {
        delete v.Form;
      } catch (...) {
      }
    }
  }
}

}  // namespace pictara
