#include "source/source_window_win.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <stdexcept>

#include "platform/window_win.h"
#include <shellapi.h>

#include "render/file_icon_win.h"
#include "source/document_report.h"
#include "source/source_text.h"
#include "source/xml_highlighter.h"
#include "svginfo/svg_info.h"
#include "textview/text_view_win.h"

namespace pictara {

namespace {

constexpr COLORREF kLinkColour = 0xA00000;

enum : int { idWordWrap = 101, idHighlight, idFormat, idInfo, idLines, idText, idCbWordWrap, idBtHighlight, idBtInfo };

// The hourglass until the end of the scope, however it ends.
class TWaitCursor {
 public:
  TWaitCursor() : old_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
  ~TWaitCursor() { SetCursor(old_ ? old_ : LoadCursorW(nullptr, IDC_ARROW)); }
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;

 private:
  HCURSOR old_;
};

int ScreenPixelsPerInch() {
  HDC screen = GetDC(nullptr);
  const int ppi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return ppi;
}

}  // namespace

class TfrmSource {
 public:
  explicit TfrmSource(TErrorRoute onError) : onError_(std::move(onError)) {}
  ~TfrmSource() {
    if (hwnd_) DestroyWindow(hwnd_);
    if (font_) DeleteObject(font_);
    if (linkFont_) DeleteObject(linkFont_);
  }
  TfrmSource(const TfrmSource&) = delete;
  TfrmSource& operator=(const TfrmSource&) = delete;

  void FormCreate();
  // Steps 2 to 4: false when the file cannot be opened.
  bool LoadFile(const std::string& fileName);
  void FormShow();
  void ShowModal(HWND owner);

  LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnLabelMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void OnWindowError(const std::exception& e) {
    if (onError_) onError_(e);
  }

 private:
  HWND MakeLabel(const wchar_t* caption, int id, int left);
  void Relayout();
  void SetLinesCaption();
  bool FormKeyPress(wchar_t key);
  void Close() { closed_ = true; }
  void Command(int id);
  void lblWordWrapClick();
  void cbWordWrapClick();
  void btHighlightClick();
  void lblFormatClick();
  void btInfoClick();
  void PaintLabel(HWND label);

  TErrorRoute onError_;
  std::string FFileName;
  HWND hwnd_ = nullptr;
  HWND lblWordWrap = nullptr, lblHighlight = nullptr, lblFormat = nullptr, lblInfo = nullptr, lblLines = nullptr;
  HWND cbWordWrap = nullptr, btHighlight = nullptr, btInfo = nullptr;
  TTextViewWin memoSQL;
  TXmlHighlighter XmlHighlighter;
  TSourceLayout layout_;
  HFONT font_ = nullptr, linkFont_ = nullptr;
  UniqueIcon icon_;
  bool destroying_ = false;
  bool closed_ = false;
};

namespace {
const WindowClass kSourceFormClass{L"PictaraSourceWindow", &BoundWindowProc<TfrmSource, &TfrmSource::OnMessage>};
const WindowClass kLinkLabelClass{L"PictaraLinkLabel", &BoundWindowProc<TfrmSource, &TfrmSource::OnLabelMessage>};
}  // namespace

void TfrmSource::FormCreate() {
  layout_ = SourceWindowLayout(ScreenPixelsPerInch());
  LOGFONTW lf{};
  lf.lfHeight = layout_.fontHeight;
  lf.lfCharSet = DEFAULT_CHARSET;
  wcscpy_s(lf.lfFaceName, L"Tahoma");
  font_ = CreateFontIndirectW(&lf);
  lf.lfUnderline = TRUE;
  linkFont_ = CreateFontIndirectW(&lf);

  // The client area of the design, centred on the screen.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX | WS_CLIPCHILDREN;
  RECT frame{0, 0, layout_.clientWidth, layout_.clientHeight};
  AdjustWindowRectEx(&frame, style, FALSE, WS_EX_CONTROLPARENT);
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int w = frame.right - frame.left, h = frame.bottom - frame.top;
  const int x = work.left + std::max(0, static_cast<int>((work.right - work.left - w) / 2));
  const int y = work.top + std::max(0, static_cast<int>((work.bottom - work.top - h) / 2));
  hwnd_ = kSourceFormClass.Create(this, style, nullptr, Rect::FromBounds(x, y, w, h), 0, L"Source",
                                  WS_EX_CONTROLPARENT);
  if (!hwnd_) throw std::runtime_error("The source window cannot be created.");

  lblWordWrap = MakeLabel(L"Word Wrap", idWordWrap, layout_.labelLeft[0]);
  lblHighlight = MakeLabel(L"Highlight", idHighlight, layout_.labelLeft[1]);
  lblFormat = MakeLabel(L"Format", idFormat, layout_.labelLeft[2]);
  lblInfo = MakeLabel(L"Info", idInfo, layout_.labelLeft[3]);
  lblLines = CreateWindowExW(0, L"STATIC", L"0 lines", WS_CHILD | WS_VISIBLE | SS_RIGHT | SS_NOPREFIX, 0, 0, 10, 10,
                             hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(idLines)), PluginModule(), nullptr);
  cbWordWrap = CreateWindowExW(0, L"BUTTON", L"Word Wrap", WS_CHILD | BS_AUTOCHECKBOX, 0, 0, 10, 10, hwnd_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(idCbWordWrap)), PluginModule(), nullptr);
  btHighlight = CreateWindowExW(0, L"BUTTON", L"Highlight", WS_CHILD | BS_PUSHBUTTON, 0, 0, 10, 10, hwnd_,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(idBtHighlight)), PluginModule(), nullptr);
  btInfo = CreateWindowExW(0, L"BUTTON", L"Info", WS_CHILD | BS_PUSHBUTTON, 0, 0, 10, 10, hwnd_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(idBtInfo)), PluginModule(), nullptr);
  for (HWND c : {lblLines, cbWordWrap, btHighlight, btInfo}) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font_), 0);

  // The text view, below the strip; Escape typed in it closes the window.
  const Size client = ClientSize(hwnd_);
  if (!memoSQL.Create(hwnd_, Rect{0, layout_.panelHeight, client.width, client.height}, layout_.fontHeight, idText)) {
    throw std::runtime_error("The text view cannot be created.");
  }
  memoSQL.onKeyPress = [this](wchar_t key) { FormKeyPress(key); };
  memoSQL.onError = onError_;

  SetSourceWindowColours(XmlHighlighter);
  memoSQL.SetHighlighter(&XmlHighlighter);
  ShowWindow(lblHighlight, SW_SHOW);
  Relayout();
}

HWND TfrmSource::MakeLabel(const wchar_t* caption, int id, int left) {
  HDC dc = GetDC(hwnd_);
  HGDIOBJ old = SelectObject(dc, linkFont_);
  SIZE size{};
  GetTextExtentPoint32W(dc, caption, static_cast<int>(wcslen(caption)), &size);
  SelectObject(dc, old);
  ReleaseDC(hwnd_, dc);
  // A pixel of room each side for the focus rectangle.
  return kLinkLabelClass.Create(this, WS_CHILD | WS_VISIBLE | WS_TABSTOP, hwnd_,
                                Rect::FromBounds(left - 1, layout_.labelTop - 1, size.cx + 2, size.cy + 2), id,
                                caption);
}

void TfrmSource::Relayout() {
  const Size client = ClientSize(hwnd_);
  memoSQL.SetBounds(Rect{0, layout_.panelHeight, client.width, std::max(layout_.panelHeight, client.height)});
  const int width = layout_.clientWidth / 4;
  MoveWindow(lblLines, client.width - layout_.linesRight - width, layout_.labelTop, width, layout_.labelHeight, TRUE);
}

bool TfrmSource::LoadFile(const std::string& fileName) {
  FFileName = fileName;
  std::optional<std::string> text = OpenSvgStream(fileName, 0);
  if (!text) return false;
  LoadSourceText(memoSQL.Model(), *text);
  memoSQL.TextChanged();
  SetLinesCaption();
  return true;
}

void TfrmSource::SetLinesCaption() { SetWindowTextUtf8(lblLines, LinesCaption(memoSQL.Model().LineCount())); }

void TfrmSource::FormShow() {
  SetWindowTextUtf8(hwnd_, SourceCaption(FFileName));
  icon_ = GetFileIcon(FFileName, SHGFI_SMALLICON);
  if (icon_) SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_.get()));
}

bool TfrmSource::FormKeyPress(wchar_t key) {
  if (key != 27) return false;
  Close();
  return true;
}

void TfrmSource::ShowModal(HWND owner) {
  HWND top = owner ? GetAncestor(owner, GA_ROOT) : nullptr;
  // Stays above the viewer's window.
  if (top) SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(top));
  const bool reenable = top && IsWindowEnabled(top);
  if (top) EnableWindow(top, FALSE);
  ShowWindow(hwnd_, SW_SHOW);
  SetFocus(memoSQL.Handle());
  MSG msg;
  std::optional<WPARAM> quit;
  while (!closed_ && hwnd_) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      quit = msg.wParam;
      break;
    }
    if (got < 0) break;
    // Key preview: Escape closes the window wherever the focus is in it.
    const bool ours = msg.hwnd == hwnd_ || IsChild(hwnd_, msg.hwnd);
    if (ours && ((msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) || (msg.message == WM_CHAR && msg.wParam == 27))) {
      FormKeyPress(27);
      continue;
    }
    if (!IsDialogMessageW(hwnd_, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  // The owner first, so that activation goes back to it and not to another program.
  if (reenable) EnableWindow(top, TRUE);
  if (hwnd_) {
    ShowWindow(hwnd_, SW_HIDE);
    DestroyWindow(hwnd_);
  }
  if (top) SetActiveWindow(top);
  if (quit) PostQuitMessage(static_cast<int>(*quit));
}

void TfrmSource::Command(int id) {
  switch (id) {
    case idWordWrap: lblWordWrapClick(); break;
    case idCbWordWrap: cbWordWrapClick(); break;
    case idHighlight:
    case idBtHighlight: btHighlightClick(); break;
    case idFormat: lblFormatClick(); break;
    case idInfo:
    case idBtInfo: btInfoClick(); break;
    case IDCANCEL: Close(); break;
  }
}

void TfrmSource::lblWordWrapClick() {
  const bool checked = SendMessageW(cbWordWrap, BM_GETCHECK, 0, 0) == BST_CHECKED;
  SendMessageW(cbWordWrap, BM_SETCHECK, checked ? BST_UNCHECKED : BST_CHECKED, 0);
  cbWordWrapClick();
}

void TfrmSource::cbWordWrapClick() {
  memoSQL.SetWordWrap(SendMessageW(cbWordWrap, BM_GETCHECK, 0, 0) == BST_CHECKED);
}

void TfrmSource::btHighlightClick() { memoSQL.SetHighlighter(memoSQL.Highlighter() ? nullptr : &XmlHighlighter); }

void TfrmSource::lblFormatClick() {
  TWaitCursor wait;
  try {
    FormatSourceText(memoSQL.Model());
  } catch (...) {
    // What the view holds now (nothing, when the output was not UTF-8) is what it shows.
    memoSQL.TextChanged();
    SetLinesCaption();
    throw;
  }
  memoSQL.TextChanged();
  memoSQL.Recreate();
  SetLinesCaption();
}

void TfrmSource::btInfoClick() {
  const std::optional<std::string> report = BuildDocumentReport(memoSQL.Model().Save());
  if (!report) return;
  const std::wstring text = Wide(*report);
  MessageBoxW(hwnd_, text.c_str(), L"Pictara", MB_OK);
}

LRESULT TfrmSource::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND: {
      RECT rc;
      GetClientRect(window, &rc);
      FillRect(reinterpret_cast<HDC>(wParam), &rc, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_SIZE:
      if (memoSQL.Handle()) Relayout();
      return 0;
    case WM_COMMAND:
      Command(LOWORD(wParam));
      return 0;
    case WM_CLOSE: Close(); return 0;
    case WM_SETICON:
      if (destroying_) return 0;
      break;
    case WM_DESTROY: destroying_ = true; break;
    case WM_NCDESTROY:
      if (hwnd_ == window) hwnd_ = nullptr;
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void TfrmSource::PaintLabel(HWND label) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(label, &ps);
  RECT rc;
  GetClientRect(label, &rc);
  FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
  wchar_t text[64] = {};
  GetWindowTextW(label, text, 64);
  HGDIOBJ old = SelectObject(dc, linkFont_);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kLinkColour);
  TextOutW(dc, 1, 1, text, static_cast<int>(wcslen(text)));
  SelectObject(dc, old);
  if (GetFocus() == label && !(SendMessageW(label, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS)) DrawFocusRect(dc, &rc);
  EndPaint(label, &ps);
}

LRESULT TfrmSource::OnLabelMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: PaintLabel(window); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SETCURSOR: SetCursor(LoadCursorW(nullptr, IDC_HAND)); return TRUE;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_UPDATEUISTATE: InvalidateRect(window, nullptr, FALSE); break;
    case WM_GETDLGCODE: {
      // Enter and Space act on the label; Tab and the rest stay with the dialog navigation.
      const MSG* msg = reinterpret_cast<const MSG*>(lParam);
      if (msg && msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || msg->wParam == VK_SPACE)) {
        return DLGC_WANTMESSAGE;
      }
      return 0;
    }
    case WM_KEYDOWN:
      if (wParam == VK_RETURN || wParam == VK_SPACE) {
        Command(GetDlgCtrlID(window));
        return 0;
      }
      break;
    case WM_LBUTTONDOWN: SetFocus(window); return 0;
    case WM_LBUTTONUP: {
      RECT rc;
      GetClientRect(window, &rc);
      const POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      if (PtInRect(&rc, pt)) Command(GetDlgCtrlID(window));
      return 0;
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void ShowSourceWindow(const std::string& FileName, HWND owner, TErrorRoute onError) {
  auto form = std::make_unique<TfrmSource>(std::move(onError));
  form->FormCreate();
  if (!form->LoadFile(FileName)) return;
  form->FormShow();
  form->ShowModal(owner);
}

}  // namespace pictara
