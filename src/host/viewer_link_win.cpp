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
// frees them explicitly, while the process is still able to destroy windows. Link is null until
// the viewer is linked to its window.
struct TOwnedViewer {
  TfmSVG* Form;
  HWND Window;
  TViewerLink* Link;
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

// Frees the viewer (which destroys its window, unless that is gone already) and then its link.
void TearDown(HWND window, TViewerLink* link) noexcept {
  try {
    Disown(link->Form);
    // A window destroyed during a load has no procedure left to put back.
    if (IsWindow(window)) SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(link->OldWndProc));
    delete link->Form;
  } catch (...) {
  }
  // The slot is not cleared: the window no longer exists (or is on its way out).
  delete link;
}

// A close that arrived during a load started by the viewer itself (a reload or a navigation from
// its keys, menu or buttons) or while one of its commands had a dialog open is finished from a
// message loop, once every frame of the viewer has left the stack. A dialog's own loop runs the
// timer too: a viewer still under its dialog is looked at again later.
UINT_PTR gReapTimer = 0;
constexpr UINT kReapAgainMs = 50;

void CALLBACK ReapClosedViewers(HWND, UINT, UINT_PTR, DWORD) {
  KillTimer(nullptr, gReapTimer);
  gReapTimer = 0;
  const std::vector<TOwnedViewer> viewers = OwnedViewers();
  bool waiting = false;
  for (const TOwnedViewer& v : viewers) {
    if (!v.Link || !v.Form->CloseDeferred()) continue;
    if (v.Form->Loading()) waiting = true;
    else TearDown(v.Window, v.Link);
  }
  if (waiting) gReapTimer = SetTimer(nullptr, 0, kReapAgainMs, &ReapClosedViewers);
}

void DeferClose(TfmSVG& form) {
  form.DeferClose();
  if (!gReapTimer) gReapTimer = SetTimer(nullptr, 0, 0, &ReapClosedViewers);
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
    OwnedViewers().push_back({link->Form, window, link.get()});
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
  // Asked for by a message sent while the viewer's load waits for its converter: the viewer is
  // still on the stack, so it is freed once the load has returned.
  if (link->Form && link->Form->Loading()) {
    DeferClose(*link->Form);
    return;
  }
  TearDown(ListWin, link);
}

bool LoadNextIntoViewer(HWND ListWin, const std::string& FileName) noexcept {
  TViewerLink* link = ViewerLinkOf(ListWin);
  if (!link || !link->Form) return false;
  const bool loaded = link->Form->GlobalLoadNextImage(FileName);
  // Closed while the converter ran (the window may be gone by now): the viewer goes now.
  if (link->Form->CloseDeferred() && !link->Form->Loading()) {
    TearDown(ListWin, link);
    return false;
  }
  return loaded;
}

TViewerLink* ViewerLinkOf(HWND ListWin) {
  if (!ListWin || !IsWindow(ListWin)) return nullptr;
  return reinterpret_cast<TViewerLink*>(GetWindowLongPtrW(ListWin, GWLP_USERDATA));
}

size_t OwnedViewerCount() { return OwnedViewers().size(); }

void DestroyOwnedViewers() noexcept {
  if (gReapTimer) KillTimer(nullptr, gReapTimer);
  gReapTimer = 0;
  auto& viewers = OwnedViewers();
  while (!viewers.empty()) {
    TOwnedViewer v = viewers.back();
    if (v.Link) {
      TearDown(v.Window, v.Link);
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
