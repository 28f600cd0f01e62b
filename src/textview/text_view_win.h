// The read-only text view control on Win32: a line-number gutter, word wrap on or off, a hidden
// caret, mouse and keyboard selection, Ctrl+C / Ctrl+A, a context menu with "Copy" and
// "Select All", and a highlighter hook. What it shows and where is decided by the portable parts
// (text model, wrap layout, highlight cache, selection, paint plan); this file draws the plan and
// turns messages into their calls.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <memory>

#include "base/geometry.h"
#include "textview/highlight_cache.h"
#include "textview/paint_plan.h"
#include "textview/selection.h"
#include "textview/text_model.h"
#include "textview/wrap_layout.h"

namespace pictara {

class TTextViewWin {
 public:
  TTextViewWin();
  ~TTextViewWin();
  TTextViewWin(const TTextViewWin&) = delete;
  TTextViewWin& operator=(const TTextViewWin&) = delete;

  // The control as a child of parent; fontHeight as a font's lfHeight (negative: character
  // height in pixels), taken from the window the view sits in.
  bool Create(HWND parent, const Rect& bounds, int fontHeight, int controlId = 0);
  // Destroys the window and makes it again in the same place with the same text and settings.
  void Recreate();
  HWND Handle() const { return hwnd_; }
  void SetBounds(const Rect& bounds);

  // The text: change it through Model(), then call TextChanged (selection and scrolling start over).
  textview::TTextModel& Model() { return model_; }
  void TextChanged();

  void SetWordWrap(bool on);  // scroll bars: vertical only while wrapping, both otherwise
  bool WordWrap() const { return wordWrap_; }
  void SetHighlighter(TTextHighlighter* highlighter);  // null: plain text
  TTextHighlighter* Highlighter() const { return cache_.Highlighter(); }

  bool SelectionEmpty() const { return sel_.Empty(); }
  const textview::TSelection& Selection() const { return sel_; }
  void CopyToClipboard();
  void SelectAll();

  // A character typed in the view (WM_CHAR), before the view acts on it.
  std::function<void(wchar_t)> onKeyPress;
  // Where exceptions from the view's messages go.
  std::function<void(const std::exception&)> onError;

  LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void OnWindowError(const std::exception& e);

 private:
  void MakeFonts();
  void FreeFonts();
  void Relayout();        // after a size, font, wrap or text change
  void UpdateScrollBars();
  void ScrollTo(size_t topRow, int32_t scrollX);
  void ShowCaret(const textview::TSelection& sel);
  void OnPaint();
  void OnKeyDown(WPARAM key);
  void OnScroll(bool vertical, WORD code);
  void OnContextMenu(LPARAM lParam);
  void StartLayoutSteps();
  int32_t MaxScrollX() const;

  HWND hwnd_ = nullptr;
  HWND parent_ = nullptr;
  Rect bounds_{};
  int controlId_ = 0;
  int fontHeight_ = -13;
  HFONT fonts_[4] = {};  // plain, bold, italic, bold italic
  HDC measureDc_ = nullptr;
  HGDIOBJ measureOld_ = nullptr;
  int32_t digitWidth_ = 8;
  bool wordWrap_ = false;
  bool dragging_ = false;

  textview::TTextModel model_;
  std::unique_ptr<textview::TCharWidths> widths_;
  std::unique_ptr<textview::TWrapLayout> layout_;
  textview::THighlightCache cache_{model_};
  textview::TSelection sel_;
  textview::TViewGeometry view_;
};

}  // namespace pictara
