// The stand-in Lister window: top-level with the host's kind of caption, or embedded in an outer
// frame; it records what is posted to it and keeps the viewer at its client size.
#include <algorithm>

#include "testbed/testbed.h"

namespace pictara::testbed {

namespace {

constexpr wchar_t kListerClass[] = L"PictaraTestLister";
constexpr wchar_t kFrameClass[] = L"PictaraTestFrame";

std::vector<ListerWindow*>& LiveListers() {
  static std::vector<ListerWindow*> listers;
  return listers;
}

HHOOK g_hook = nullptr;

void RegisterClasses() {
  static bool done = false;
  if (done) return;
  HINSTANCE module = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.hInstance = module;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = kFrameClass;
  RegisterClassExW(&wc);
  done = true;
}

}  // namespace

LRESULT CALLBACK ListerWindow::GetMessageHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE) {
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    for (ListerWindow* lister : LiveListers())
      if (msg->hwnd && msg->hwnd == lister->lister_)
        lister->posted_.push_back({msg->hwnd, msg->message, msg->wParam, msg->lParam});
  }
  return CallNextHookEx(g_hook, code, wParam, lParam);
}

LRESULT CALLBACK ListerWindow::ListerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* self = reinterpret_cast<ListerWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self) {
    switch (message) {
      case WM_SIZE:
        if (self->resizeViewer_ && self->viewer_ && IsWindow(self->viewer_))
          MoveWindow(self->viewer_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        break;
      case WM_KEYDOWN:
        if (self->onKeyDown) self->onKeyDown(wParam);
        return 0;
      case WM_NCDESTROY:
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        if (self->lister_ == window) self->lister_ = nullptr;
        break;
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

ListerWindow::ListerWindow(const ListerOptions& options) : resizeViewer_(options.resizeViewer) {
  RegisterClasses();
  static bool listerClass = false;
  if (!listerClass) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpfnWndProc = ListerProc;
    wc.lpszClassName = kListerClass;
    RegisterClassExW(&wc);
    listerClass = true;
  }
  std::wstring caption = options.file.empty() ? L"Lister" : L"Lister - [" + options.file + L"]";
  DWORD scroll = (options.verticalScrollBar ? WS_VSCROLL : 0) | (options.horizontalScrollBar ? WS_HSCROLL : 0);
  HINSTANCE module = GetModuleHandleW(nullptr);
  if (options.embedded) {
    frame_ = CreateWindowExW(0, kFrameClass, L"Host frame", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, options.width,
                             options.height, nullptr, nullptr, module, nullptr);
    RECT client{};
    GetClientRect(frame_, &client);
    frameControl_ = CreateWindowExW(0, L"EDIT", L"focus here", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP, 0, 0,
                                    client.right, 24, frame_, nullptr, module, nullptr);
    lister_ = CreateWindowExW(0, kListerClass, caption.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | scroll, 0, 24,
                              client.right, client.bottom - 24, frame_, nullptr, module, this);
  } else {
    lister_ = CreateWindowExW(0, kListerClass, caption.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | scroll, 0, 0,
                              options.width, options.height, nullptr, nullptr, module, this);
  }
  if (options.verticalScrollBar) SetScrollRange(lister_, SB_VERT, 0, 100, FALSE);
  if (options.horizontalScrollBar) SetScrollRange(lister_, SB_HORZ, 0, 100, FALSE);

  if (LiveListers().empty()) g_hook = SetWindowsHookExW(WH_GETMESSAGE, GetMessageHook, nullptr, GetCurrentThreadId());
  LiveListers().push_back(this);

  if (options.visible) {
    ShowWindow(TopLevel(), SW_SHOW);
    SetForegroundWindow(TopLevel());
    SetFocus(frameControl_ ? frameControl_ : lister_);
    UpdateWindow(TopLevel());
  }
  PumpMessages();
}

ListerWindow::~ListerWindow() {
  Destroy();
  auto& listers = LiveListers();
  listers.erase(std::remove(listers.begin(), listers.end(), this), listers.end());
  if (listers.empty() && g_hook) {
    UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;
  }
}

void ListerWindow::Destroy() {
  HWND top = TopLevel();
  if (top && IsWindow(top)) DestroyWindow(top);
  frame_ = nullptr;
  frameControl_ = nullptr;
  lister_ = nullptr;
}

std::vector<HWND> ListerWindow::Children() const {
  std::vector<HWND> children;
  if (!lister_) return children;
  for (HWND c = GetWindow(lister_, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) children.push_back(c);
  return children;
}

std::vector<WPARAM> ListerWindow::PostedKeys() const {
  std::vector<WPARAM> keys;
  for (const PostedMessage& m : posted_)
    if (m.message == WM_KEYDOWN) keys.push_back(m.wParam);
  return keys;
}

std::wstring ListerWindow::Caption() const {
  wchar_t text[1024] = {};
  GetWindowTextW(lister_, text, 1024);
  return text;
}

void PumpMessages(int ms) {
  DWORD deadline = GetTickCount() + static_cast<DWORD>(ms);
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    int remaining = static_cast<int>(deadline - GetTickCount());
    if (ms <= 0 || remaining <= 0) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(remaining), QS_ALLINPUT);
  }
}

}  // namespace pictara::testbed
