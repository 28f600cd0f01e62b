// Recording and answering message boxes so that tests of error reports do not block.
#include "testbed/testbed.h"

namespace pictara::testbed {

namespace {

MessageBoxWatcher* g_watcher = nullptr;

// Control ids of the system's message box: its text and its icon.
constexpr int kMessageTextId = 0xFFFF;
constexpr int kMessageIconId = 0x0440;

}  // namespace

MessageBoxWatcher::MessageBoxWatcher() {
  g_watcher = this;
  hook_ = SetWindowsHookExW(WH_CBT, CbtHook, nullptr, GetCurrentThreadId());
}

MessageBoxWatcher::~MessageBoxWatcher() {
  if (hook_) UnhookWindowsHookEx(hook_);
  g_watcher = nullptr;
}

LRESULT CALLBACK MessageBoxWatcher::CbtHook(int code, WPARAM wParam, LPARAM lParam) {
  HHOOK hook = g_watcher ? g_watcher->hook_ : nullptr;
  if (code == HCBT_ACTIVATE && g_watcher) {
    HWND dialog = reinterpret_cast<HWND>(wParam);
    wchar_t cls[32] = {};
    GetClassNameW(dialog, cls, 32);
    if (std::wstring(cls) == L"#32770") {
      Box box{};
      box.owner = GetWindow(dialog, GW_OWNER);
      wchar_t text[2048] = {};
      GetWindowTextW(dialog, text, 2048);
      box.caption = text;
      text[0] = 0;
      GetDlgItemTextW(dialog, kMessageTextId, text, 2048);
      box.text = text;
      box.icon = reinterpret_cast<HICON>(SendDlgItemMessageW(dialog, kMessageIconId, STM_GETICON, 0, 0));
      for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t childClass[32] = {};
        GetClassNameW(c, childClass, 32);
        if (_wcsicmp(childClass, L"Button") == 0 && (GetWindowLongPtrW(c, GWL_STYLE) & WS_VISIBLE)) ++box.visibleButtons;
      }
      g_watcher->boxes_.push_back(box);
      PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    }
  }
  return CallNextHookEx(hook, code, wParam, lParam);
}

}  // namespace pictara::testbed
