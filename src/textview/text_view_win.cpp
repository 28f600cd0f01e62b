#include "textview/text_view_win.h"

#include <windowsx.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/window_win.h"

namespace pictara {

using namespace textview;

namespace {

constexpr UINT_PTR kLayoutTimer = 1;
constexpr size_t kLayoutStepUnits = 256 * 1024;
constexpr UINT kCmdCopy = 1;
constexpr UINT kCmdSelectAll = 2;

const WindowClass kTextViewClass{L"PictaraTextView", &BoundWindowProc<TTextViewWin, &TTextViewWin::OnMessage>,
                                 CS_DBLCLKS};

COLORREF ColourOr(TColor c, COLORREF fallback) { return c == kNoColor ? fallback : static_cast<COLORREF>(c); }

// The current scroll position of a bar, the thumb's while it is dragged.
int TrackPos(HWND hwnd, int bar) {
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_TRACKPOS;
  GetScrollInfo(hwnd, bar, &si);
  return si.nTrackPos;
}

}  // namespace

TTextViewWin::TTextViewWin() {
  widths_ = std::make_unique<TCharWidths>([](char32_t) { return 8; });
  layout_ = std::make_unique<TWrapLayout>(model_, *widths_);
}

TTextViewWin::~TTextViewWin() {
  if (hwnd_) DestroyWindow(hwnd_);
  FreeFonts();
}

bool TTextViewWin::Create(HWND parent, const Rect& bounds, int fontHeight, int controlId) {
  parent_ = parent;
  bounds_ = bounds;
  fontHeight_ = fontHeight;
  controlId_ = controlId;
  MakeFonts();
  const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | (wordWrap_ ? 0 : WS_HSCROLL);
  hwnd_ = kTextViewClass.Create(this, style, parent, bounds, controlId, L"", WS_EX_CLIENTEDGE);
  if (!hwnd_) return false;
  Relayout();
  return true;
}

void TTextViewWin::Recreate() {
  if (!hwnd_) return;
  const bool focused = GetFocus() == hwnd_;
  HWND old = hwnd_;
  DestroyWindow(old);
  hwnd_ = nullptr;
  Create(parent_, bounds_, fontHeight_, controlId_);
  if (focused && hwnd_) SetFocus(hwnd_);
}

void TTextViewWin::SetBounds(const Rect& bounds) {
  bounds_ = bounds;
  if (hwnd_) MoveWindow(hwnd_, bounds.left, bounds.top, bounds.Width(), bounds.Height(), TRUE);
}

void TTextViewWin::MakeFonts() {
  FreeFonts();
  for (int i = 0; i < 4; ++i) {
    LOGFONTW lf{};
    lf.lfHeight = fontHeight_;
    lf.lfWeight = (i & 1) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (i & 2) ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    wcscpy_s(lf.lfFaceName, L"Courier New");
    fonts_[i] = CreateFontIndirectW(&lf);
  }
  measureDc_ = CreateCompatibleDC(nullptr);
  measureOld_ = SelectObject(measureDc_, fonts_[0]);
  TEXTMETRICW tm{};
  GetTextMetricsW(measureDc_, &tm);
  view_.rowHeight = std::max<int32_t>(1, tm.tmHeight);
  HDC dc = measureDc_;
  widths_ = std::make_unique<TCharWidths>([dc](char32_t c) -> int32_t {
    SIZE size{};
    if (c < 0x10000) {
      const wchar_t ch = static_cast<wchar_t>(c);
      GetTextExtentPoint32W(dc, &ch, 1, &size);
    } else {
      const wchar_t pair[2] = {static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10)),
                               static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF))};
      GetTextExtentPoint32W(dc, pair, 2, &size);
    }
    return size.cx;
  });
  layout_ = std::make_unique<TWrapLayout>(model_, *widths_);
  digitWidth_ = std::max(1, widths_->Width(U'0'));
  view_.textMargin = std::max(2, digitWidth_ / 2);
}

void TTextViewWin::FreeFonts() {
  if (measureDc_) {
    SelectObject(measureDc_, measureOld_);
    DeleteDC(measureDc_);
    measureDc_ = nullptr;
  }
  for (HFONT& f : fonts_) {
    if (f) DeleteObject(f);
    f = nullptr;
  }
}

void TTextViewWin::TextChanged() {
  sel_ = {};
  view_.topRow = 0;
  view_.scrollX = 0;
  cache_.Invalidate(0);
  Relayout();
}

void TTextViewWin::SetWordWrap(bool on) {
  if (on == wordWrap_) return;
  wordWrap_ = on;
  if (hwnd_) {
    LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
    style = on ? (style & ~static_cast<LONG_PTR>(WS_HSCROLL)) : (style | WS_HSCROLL);
    SetWindowLongPtrW(hwnd_, GWL_STYLE, style);
    ShowScrollBar(hwnd_, SB_HORZ, !on);
    SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  }
  view_.scrollX = 0;
  Relayout();
  ShowCaret(sel_);
}

void TTextViewWin::SetHighlighter(TTextHighlighter* highlighter) {
  cache_.SetHighlighter(highlighter);
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void TTextViewWin::Relayout() {
  // The row at the top stays at the top across a new wrap width.
  TRow top{};
  const bool hadTop = model_.LineCount() > 0 && layout_->RowAt(view_.topRow, top);
  view_.gutterWidth = GutterWidth(model_.LineCount(), digitWidth_);
  const Size client = hwnd_ ? ClientSize(hwnd_) : Size{};
  view_.clientWidth = client.width;
  view_.clientHeight = client.height;
  layout_->Reset(wordWrap_ ? std::max(digitWidth_, client.width - view_.TextLeft() - view_.textMargin) : 0);
  view_.topRow = hadTop ? layout_->RowOf(top.line, top.start) : 0;
  StartLayoutSteps();
  UpdateScrollBars();
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void TTextViewWin::StartLayoutSteps() {
  if (hwnd_ && !layout_->Complete()) SetTimer(hwnd_, kLayoutTimer, 10, nullptr);
}

int32_t TTextViewWin::MaxScrollX() const {
  if (wordWrap_) return 0;
  const int64_t width = static_cast<int64_t>(model_.LongestLine()) * digitWidth_ + view_.TextLeft() + digitWidth_;
  return static_cast<int32_t>(std::min<int64_t>(std::max<int64_t>(0, width - view_.clientWidth), INT32_MAX / 2));
}

void TTextViewWin::UpdateScrollBars() {
  if (!hwnd_) return;
  const size_t rows = std::max<size_t>(1, layout_->RowCount());
  const size_t page = static_cast<size_t>(PageRows(view_));
  const size_t maxTop = rows > page ? rows - page : 0;
  if (view_.topRow > maxTop) view_.topRow = maxTop;
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  si.nMin = 0;
  si.nMax = static_cast<int>(std::min<size_t>(rows - 1, INT32_MAX));
  si.nPage = static_cast<UINT>(page);
  si.nPos = static_cast<int>(view_.topRow);
  SetScrollInfo(hwnd_, SB_VERT, &si, TRUE);
  if (!wordWrap_) {
    const int32_t maxX = MaxScrollX();
    view_.scrollX = std::min(view_.scrollX, maxX);
    const int32_t textWidth = std::max(1, view_.clientWidth - view_.TextLeft());
    si.nMax = maxX + textWidth - 1;
    si.nPage = static_cast<UINT>(textWidth);
    si.nPos = view_.scrollX;
    SetScrollInfo(hwnd_, SB_HORZ, &si, TRUE);
  }
}

void TTextViewWin::ScrollTo(size_t topRow, int32_t scrollX) {
  const size_t rows = std::max<size_t>(1, layout_->RowCount());
  const size_t page = static_cast<size_t>(PageRows(view_));
  topRow = std::min(topRow, rows > page ? rows - page : 0);
  scrollX = std::clamp(scrollX, 0, MaxScrollX());
  if (topRow == view_.topRow && scrollX == view_.scrollX) return;
  view_.topRow = topRow;
  view_.scrollX = scrollX;
  UpdateScrollBars();
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void TTextViewWin::ShowCaret(const TSelection& sel) {
  if (!hwnd_) return;
  const TScrollPos pos = ScrollToShow(*layout_, view_, sel.caret);
  ScrollTo(pos.topRow, pos.scrollX);
}

void TTextViewWin::CopyToClipboard() {
  if (sel_.Empty() || !hwnd_) return;
  const std::u16string text = SelectedText(model_, sel_);
  if (!OpenClipboard(hwnd_)) return;
  EmptyClipboard();
  const size_t bytes = (text.size() + 1) * sizeof(char16_t);
  if (HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    if (void* p = GlobalLock(mem)) {
      memcpy(p, text.c_str(), bytes);
      GlobalUnlock(mem);
      if (!SetClipboardData(CF_UNICODETEXT, mem)) GlobalFree(mem);
    } else {
      GlobalFree(mem);
    }
  }
  CloseClipboard();
}

void TTextViewWin::SelectAll() {
  sel_ = textview::SelectAll(model_);
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void TTextViewWin::OnWindowError(const std::exception& e) {
  if (onError) onError(e);
}

void TTextViewWin::OnPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  const RECT& pr = ps.rcPaint;
  const int w = pr.right - pr.left, h = pr.bottom - pr.top;
  if (w <= 0 || h <= 0) {
    EndPaint(hwnd_, &ps);
    return;
  }
  // Drawn off screen, then copied in one go: no flicker while scrolling.
  HDC mem = CreateCompatibleDC(dc);
  HBITMAP bmp = CreateCompatibleBitmap(dc, w, h);
  HGDIOBJ oldBmp = SelectObject(mem, bmp);
  SetViewportOrgEx(mem, -pr.left, -pr.top, nullptr);
  HGDIOBJ oldFont = SelectObject(mem, fonts_[0]);

  const COLORREF window = GetSysColor(COLOR_WINDOW), text = GetSysColor(COLOR_WINDOWTEXT);
  const COLORREF selBack = GetSysColor(COLOR_HIGHLIGHT), selText = GetSysColor(COLOR_HIGHLIGHTTEXT);
  auto fill = [&](int l, int t, int r, int b, COLORREF c) {
    SetBkColor(mem, c);
    RECT rc{l, t, r, b};
    ExtTextOutW(mem, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
  };
  fill(pr.left, pr.top, pr.right, pr.bottom, window);

  const TPaintPlan plan = PlanPaint(*layout_, cache_, sel_, view_, pr.top, pr.bottom);
  const int32_t rowLeft = view_.TextLeft() - view_.scrollX;
  std::vector<wchar_t> chars;
  std::vector<INT> dx;
  for (const TPaintRow& row : plan.rows) {
    const std::u16string_view line = model_.Line(row.line);
    const int bottom = row.top + view_.rowHeight;
    for (const TPaintRun& run : row.runs) {
      // Characters left of the client area are skipped, those right of it not drawn.
      int32_t x = run.x;
      int32_t rel = run.x - rowLeft;
      chars.clear();
      dx.clear();
      int32_t startX = x;
      for (uint32_t i = run.start; i < run.end && x <= view_.clientWidth; ++i) {
        const int32_t adv = widths_->Advance(line, i, rel);
        if (x + adv < 0 && chars.empty()) {
          x += adv;
          rel += adv;
          startX = x;
          continue;
        }
        const char16_t c = line[i];
        chars.push_back(c == u'\t' ? L' ' : static_cast<wchar_t>(c));
        dx.push_back(adv);
        x += adv;
        rel += adv;
      }
      if (chars.empty()) continue;
      const THighlighterAttribute* a = run.attribute;
      const TFontStyles style = a ? a->Style : 0;
      SelectObject(mem, fonts_[((style & fsBold) ? 1 : 0) | ((style & fsItalic) ? 2 : 0)]);
      SetTextColor(mem, run.selected ? selText : (a ? ColourOr(a->Foreground, text) : text));
      SetBkColor(mem, run.selected ? selBack : (a ? ColourOr(a->Background, window) : window));
      RECT rc{startX, row.top, x, bottom};
      ExtTextOutW(mem, startX, row.top, ETO_OPAQUE | ETO_CLIPPED, &rc, chars.data(), static_cast<UINT>(chars.size()),
                  dx.data());
    }
    if (row.breakSelected) fill(row.textEndX, row.top, row.textEndX + digitWidth_, bottom, selBack);
  }

  // The gutter, over any text scrolled under it.
  if (pr.left < view_.TextLeft()) {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    fill(0, pr.top, view_.gutterWidth, pr.bottom, face);
    fill(view_.gutterWidth, pr.top, view_.TextLeft(), pr.bottom, window);
    SelectObject(mem, fonts_[0]);
    SetTextColor(mem, GetSysColor(COLOR_GRAYTEXT));
    SetBkMode(mem, TRANSPARENT);
    SetTextAlign(mem, TA_RIGHT | TA_TOP);
    for (const TPaintRow& row : plan.rows) {
      if (!row.firstOfLine) continue;
      const std::wstring number = std::to_wstring(row.line + 1);
      ExtTextOutW(mem, view_.gutterWidth - digitWidth_, row.top, 0, nullptr, number.c_str(),
                  static_cast<UINT>(number.size()), nullptr);
    }
    SetTextAlign(mem, TA_LEFT | TA_TOP);
    SetBkMode(mem, OPAQUE);
  }

  SetViewportOrgEx(mem, 0, 0, nullptr);
  BitBlt(dc, pr.left, pr.top, w, h, mem, 0, 0, SRCCOPY);
  SelectObject(mem, oldFont);
  SelectObject(mem, oldBmp);
  DeleteObject(bmp);
  DeleteDC(mem);
  EndPaint(hwnd_, &ps);
}

void TTextViewWin::OnKeyDown(WPARAM key) {
  const bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
  if (ctrl && (key == 'A')) {
    SelectAll();
    return;
  }
  if (ctrl && (key == 'C' || key == VK_INSERT)) {
    CopyToClipboard();
    return;
  }
  TMoveKey move;
  switch (key) {
    case VK_LEFT: move = TMoveKey::Left; break;
    case VK_RIGHT: move = TMoveKey::Right; break;
    case VK_UP: move = TMoveKey::Up; break;
    case VK_DOWN: move = TMoveKey::Down; break;
    case VK_HOME: move = ctrl ? TMoveKey::DocStart : TMoveKey::Home; break;
    case VK_END: move = ctrl ? TMoveKey::DocEnd : TMoveKey::End; break;
    case VK_PRIOR: move = TMoveKey::PageUp; break;
    case VK_NEXT: move = TMoveKey::PageDown; break;
    default: return;
  }
  const TSelection next = MoveCaret(sel_, model_, *layout_, move, shift, PageRows(view_));
  if (!(next == sel_)) {
    sel_ = next;
    InvalidateRect(hwnd_, nullptr, FALSE);
  }
  ShowCaret(sel_);
}

void TTextViewWin::OnScroll(bool vertical, WORD code) {
  const int bar = vertical ? SB_VERT : SB_HORZ;
  const int64_t page = vertical ? PageRows(view_) : std::max(1, view_.clientWidth - view_.TextLeft());
  const int64_t line = vertical ? 1 : digitWidth_ * 4;
  int64_t pos = vertical ? static_cast<int64_t>(view_.topRow) : view_.scrollX;
  switch (code) {
    case SB_LINEUP: pos -= line; break;
    case SB_LINEDOWN: pos += line; break;
    case SB_PAGEUP: pos -= page; break;
    case SB_PAGEDOWN: pos += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: pos = TrackPos(hwnd_, bar); break;
    case SB_TOP: pos = 0; break;
    case SB_BOTTOM: pos = INT32_MAX; break;
    default: return;
  }
  pos = std::max<int64_t>(0, pos);
  if (vertical) ScrollTo(static_cast<size_t>(pos), view_.scrollX);
  else ScrollTo(view_.topRow, static_cast<int32_t>(std::min<int64_t>(pos, INT32_MAX)));
}

void TTextViewWin::OnContextMenu(LPARAM lParam) {
  POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  if (pt.x == -1 && pt.y == -1) {  // from the keyboard: at the view's top left corner
    pt = {view_.TextLeft(), 0};
    ClientToScreen(hwnd_, &pt);
  }
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING | (sel_.Empty() ? MF_GRAYED : 0), kCmdCopy, L"Copy");
  AppendMenuW(menu, MF_STRING, kCmdSelectAll, L"Select All");
  const UINT cmd = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, pt.x, pt.y, 0, hwnd_, nullptr);
  DestroyMenu(menu);
  if (cmd == kCmdCopy) CopyToClipboard();
  if (cmd == kCmdSelectAll) SelectAll();
}

LRESULT TTextViewWin::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: OnPaint(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SIZE:
      if (hwnd_) Relayout();
      return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: InvalidateRect(window, nullptr, FALSE); return 0;
    case WM_KEYDOWN: OnKeyDown(wParam); return 0;
    case WM_CHAR:
      if (onKeyPress) onKeyPress(static_cast<wchar_t>(wParam));
      return 0;
    case WM_VSCROLL: OnScroll(true, LOWORD(wParam)); return 0;
    case WM_HSCROLL: OnScroll(false, LOWORD(wParam)); return 0;
    case WM_MOUSEWHEEL: {
      const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
      const int64_t top = static_cast<int64_t>(view_.topRow) - 3 * notches;
      ScrollTo(static_cast<size_t>(std::max<int64_t>(0, top)), view_.scrollX);
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      SetFocus(window);
      SetCapture(window);
      dragging_ = true;
      sel_ = Click(sel_, model_, HitTest(*layout_, view_, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)),
                   (wParam & MK_SHIFT) != 0);
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_MOUSEMOVE:
      if (dragging_) {
        const TSelection next =
            DragTo(sel_, model_, HitTest(*layout_, view_, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
        if (!(next == sel_)) {
          sel_ = next;
          InvalidateRect(window, nullptr, FALSE);
          ShowCaret(sel_);
        }
      }
      return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      if (dragging_) {
        dragging_ = false;
        if (message == WM_LBUTTONUP) ReleaseCapture();
      }
      return 0;
    case WM_CONTEXTMENU: OnContextMenu(lParam); return 0;
    case WM_TIMER:
      if (wParam == kLayoutTimer) {
        if (layout_->Step(kLayoutStepUnits)) KillTimer(window, kLayoutTimer);
        UpdateScrollBars();
        return 0;
      }
      break;
    case WM_NCDESTROY:
      if (hwnd_ == window) hwnd_ = nullptr;
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace pictara
