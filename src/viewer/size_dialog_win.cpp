// TfmSize on Win32: a modal tool window over the viewer, built from the scaled design layout. Every
// value shown comes from the portable model (size_dialog_model.h) and every user action goes back
// to it; the window only moves texts and positions between the controls and the model.
#include <windows.h>
#include <commctrl.h>

#include <exception>
#include <stdexcept>
#include <vector>

#include "platform/window_win.h"
#include "viewer/viewer_dialogs_win.h"

namespace pictara {

namespace {

constexpr int kFirstControlId = 100;

int ControlIdOf(TSizeDialogControlId id) {
  switch (id) {
    case TSizeDialogControlId::Button1: return IDOK;
    case TSizeDialogControlId::Button2: return IDCANCEL;
    default: return kFirstControlId + static_cast<int>(id);
  }
}

class TSizeDialogWindow {
 public:
  TSizeDialogWindow(TfmSize& model, HWND viewer) : model_(model), viewer_(viewer) {}
  ~TSizeDialogWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
    if (font_) DeleteObject(font_);
  }
  TSizeDialogWindow(const TSizeDialogWindow&) = delete;
  TSizeDialogWindow& operator=(const TSizeDialogWindow&) = delete;

  bool Execute();

  LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // An error inside the dialog ends it; the command that opened it reports the error once.
  void OnWindowError(const std::exception&) {
    if (!error_) error_ = std::current_exception();
    done_ = true;
  }

 private:
  void Build();
  HWND Control(TSizeDialogControlId id) const { return GetDlgItem(hwnd_, ControlIdOf(id)); }
  // The edits and spin controls show the model's positions.
  void ShowPositions();
  void OnCommand(int id, int code, HWND control);
  std::string ControlText(TSizeDialogControlId id) const {
    return GetWindowTextUtf8(Control(id), 64).value_or("");
  }

  TfmSize& model_;
  HWND viewer_;
  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;
  HWND lastFocus_ = nullptr;
  bool done_ = false;
  bool ok_ = false;
  bool showing_ = false;  // texts set by program are not the user typing
  std::exception_ptr error_;
};

const WindowClass kSizeDialogWindowClass{kSizeDialogClass,
                                         &BoundWindowProc<TSizeDialogWindow, &TSizeDialogWindow::OnMessage>};

void TSizeDialogWindow::Build() {
  HDC screen = GetDC(nullptr);
  const int ppi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  const TSizeDialogLayout layout = ScaledSizeDialogLayout(ppi);

  // A fixed-size tool window, centred on the screen and owned by the viewer's top-level window,
  // so that it stays above it.
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  const DWORD exStyle = WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  RECT frame{0, 0, layout.ClientSize.width, layout.ClientSize.height};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int w = frame.right - frame.left, h = frame.bottom - frame.top;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
  HWND owner = viewer_ ? GetAncestor(viewer_, GA_ROOT) : nullptr;
  hwnd_ = kSizeDialogWindowClass.Create(this, style, owner, Rect{x, y, x + w, y + h}, 0,
                                        Wide(model_.Caption()).c_str(), exStyle);
  if (!hwnd_) throw std::runtime_error("Cannot create the size dialog");

  LOGFONTW lf{};
  lf.lfHeight = -layout.FontHeight;
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  wcscpy_s(lf.lfFaceName, L"Tahoma");
  font_ = CreateFontIndirectW(&lf);

  // Created in tab order, which is also the order the keyboard and screen readers walk.
  for (const TSizeDialogControl& c : layout.Controls) {
    const wchar_t* cls = L"STATIC";
    DWORD cstyle = WS_CHILD | WS_VISIBLE;
    DWORD cex = 0;
    std::string text = c.Text;
    Rect bounds = c.Bounds;
    switch (c.Kind) {
      case TSizeDialogControlKind::Label:
        cstyle |= SS_LEFT | SS_NOPREFIX;
        if (c.Id == TSizeDialogControlId::lblInfo) text = model_.lblInfo();
        break;
      case TSizeDialogControlKind::Edit:
        cls = L"EDIT";
        cstyle |= WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT;
        cex = WS_EX_CLIENTEDGE;
        text = c.Id == TSizeDialogControlId::edWidth ? model_.edWidthText() : model_.edHeightText();
        break;
      case TSizeDialogControlKind::SpinButton:
        cls = UPDOWN_CLASSW;
        cstyle |= UDS_SETBUDDYINT | UDS_NOTHOUSANDS | UDS_ARROWKEYS;
        text.clear();
        break;
      case TSizeDialogControlKind::Button:
        cls = L"BUTTON";
        cstyle |= WS_TABSTOP | (c.Id == TSizeDialogControlId::Button1 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        break;
      case TSizeDialogControlKind::DropDownList:
        cls = L"COMBOBOX";
        cstyle |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
        text.clear();
        break;
    }
    // The first control of a group of tab stops starts it, so that arrow keys stay inside.
    if (cstyle & WS_TABSTOP) cstyle |= WS_GROUP;
    HWND child = CreateWindowExW(cex, cls, Wide(text).c_str(), cstyle, bounds.left, bounds.top, bounds.Width(),
                                 bounds.Height(), hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlIdOf(c.Id))),
                                 PluginModule(), nullptr);
    if (!child) throw std::runtime_error("Cannot create a control of the size dialog");
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  }

  for (auto [spin, edit] : {std::pair{TSizeDialogControlId::udWidth, TSizeDialogControlId::edWidth},
                            std::pair{TSizeDialogControlId::udHeight, TSizeDialogControlId::edHeight}}) {
    SendMessageW(Control(spin), UDM_SETBUDDY, reinterpret_cast<WPARAM>(Control(edit)), 0);
    SendMessageW(Control(spin), UDM_SETRANGE32, kSizeDialogMin, kSizeDialogMax);
  }

  HWND combo = Control(TSizeDialogControlId::comboSizes);
  for (const std::string& row : model_.comboSizes())
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(row).c_str()));
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(model_.ItemIndex()), 0);
  // The list drops down with the designed number of rows.
  RECT comboRect{};
  GetWindowRect(combo, &comboRect);
  const int closedHeight = comboRect.bottom - comboRect.top;
  const int rowHeight = static_cast<int>(SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0));
  for (const TSizeDialogControl& c : layout.Controls) {
    if (c.Id != TSizeDialogControlId::comboSizes) continue;
    SetWindowPos(combo, nullptr, 0, 0, c.Bounds.Width(), closedHeight + kSizeDialogVisibleRows * rowHeight + 2,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ShowPositions();
}

void TSizeDialogWindow::ShowPositions() {
  showing_ = true;
  SetWindowTextUtf8(Control(TSizeDialogControlId::edWidth), model_.edWidthText());
  SetWindowTextUtf8(Control(TSizeDialogControlId::edHeight), model_.edHeightText());
  SendMessageW(Control(TSizeDialogControlId::udWidth), UDM_SETPOS32, 0, model_.udWidthPosition());
  SendMessageW(Control(TSizeDialogControlId::udHeight), UDM_SETPOS32, 0, model_.udHeightPosition());
  showing_ = false;
}

void TSizeDialogWindow::OnCommand(int id, int code, HWND) {
  const int edWidth = ControlIdOf(TSizeDialogControlId::edWidth);
  const int edHeight = ControlIdOf(TSizeDialogControlId::edHeight);
  if (id == IDOK && code == BN_CLICKED) {
    ok_ = true;
    done_ = true;
  } else if (id == IDCANCEL) {  // the button, Esc and the close box
    done_ = true;
  } else if (id == ControlIdOf(TSizeDialogControlId::btResizeSwapSizes) && code == BN_CLICKED) {
    model_.btResizeSwapSizesClick();
    ShowPositions();
  } else if (id == ControlIdOf(TSizeDialogControlId::comboSizes) && code == CBN_SELCHANGE) {
    const LRESULT index = SendMessageW(Control(TSizeDialogControlId::comboSizes), CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return;
    model_.comboSizesChange(static_cast<int32_t>(index));
    ShowPositions();
  } else if ((id == edWidth || id == edHeight) && code == EN_CHANGE && !showing_) {
    if (id == edWidth) model_.edWidthChange(ControlText(TSizeDialogControlId::edWidth));
    else model_.edHeightChange(ControlText(TSizeDialogControlId::edHeight));
  } else if ((id == edWidth || id == edHeight) && code == EN_KILLFOCUS) {
    // What was typed and could not be taken gives way to the value that will be used.
    ShowPositions();
  }
}

LRESULT TSizeDialogWindow::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return 0;
    case DM_GETDEFID:
      return MAKELRESULT(IDOK, DC_HASDEFID);
    case WM_CLOSE:
      done_ = true;
      return 0;
    case WM_ACTIVATE:
      // The focus leaves with the activation and comes back to the same control.
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(window, focus)) lastFocus_ = focus;
      } else if (lastFocus_ && IsWindow(lastFocus_)) {
        SetFocus(lastFocus_);
        return 0;
      }
      break;
    case WM_ERASEBKGND: {
      RECT r{};
      GetClientRect(window, &r);
      FillRect(reinterpret_cast<HDC>(wParam), &r, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    case WM_CTLCOLORSTATIC:
      SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_NCDESTROY:
      hwnd_ = nullptr;
      done_ = true;
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

bool TSizeDialogWindow::Execute() {
  HWND previousFocus = GetFocus();
  Build();
  HWND owner = GetWindow(hwnd_, GW_OWNER);
  // Modal: the viewer and its Lister take no input until the dialog closes.
  const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  ShowWindow(hwnd_, SW_SHOW);
  HWND first = Control(TSizeDialogControlId::edWidth);
  SetFocus(first);
  SendMessageW(first, EM_SETSEL, 0, -1);
  lastFocus_ = first;

  MSG msg;
  bool quit = false;
  while (!done_) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      quit = got == 0;
      break;
    }
    if (hwnd_ && IsDialogMessageW(hwnd_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (quit) PostQuitMessage(static_cast<int>(msg.wParam));  // the program's loop must see it too

  // The owner takes the activation back before the dialog goes, so the viewer keeps the focus.
  if (ownerWasEnabled) EnableWindow(owner, TRUE);
  if (hwnd_) {
    DestroyWindow(hwnd_);
    hwnd_ = nullptr;
  }
  if (previousFocus && IsWindow(previousFocus) && IsWindowVisible(previousFocus) && IsWindowEnabled(previousFocus))
    SetFocus(previousFocus);
  if (error_) std::rethrow_exception(error_);
  return ok_;
}

}  // namespace

bool TViewerDialogsWin::ExecuteSizeDialog(TfmSize& dialog) {
  INITCOMMONCONTROLSEX init{sizeof(init), ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&init);
  TSizeDialogWindow window(dialog, owner_);
  return window.Execute();
}

}  // namespace pictara
