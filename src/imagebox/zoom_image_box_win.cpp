#include "imagebox/zoom_image_box_win.h"

#include "imagebox/paint_plan.h"
#include "imagebox/surface.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "platform/window_win.h"
#include "render/raster.h"
#include "render/resample.h"

namespace pictara::imagebox {

namespace {

constexpr UINT_PTR kResampleTimer = 1;

COLORREF ToColorRef(TColor c) { return static_cast<COLORREF>(c & 0x00FFFFFF); }

bool Intersect(const Rect& a, const RECT& b, RECT& out) {
  const RECT ra = ToRECT(a);
  return IntersectRect(&out, &ra, &b) != FALSE;
}

LPCWSTR CursorResource(int32_t id) {
  switch (id) {
    case crSizeAll: return IDC_SIZEALL;
    case crSizeNS: return IDC_SIZENS;
    case -3: return IDC_CROSS;
    case -4: return IDC_IBEAM;
    case -6: return IDC_SIZENESW;
    case -8: return IDC_SIZENWSE;
    case -9: return IDC_SIZEWE;
    case -11: return IDC_WAIT;
    case -18: return IDC_NO;
    case -19: return IDC_APPSTARTING;
    case -20: return IDC_HELP;
    case -21: return IDC_HAND;
    default: return IDC_ARROW;
  }
}

// The pixels of a 32-bit section for direct drawing.
Surface View(const DibSection& dib) {
  return Surface{dib.Bits(), dib.width(), dib.height(), dib.Stride()};
}

// Restores the DC's clip and modes however the block is left.
class SavedDC {
 public:
  explicit SavedDC(HDC dc) : dc_(dc), id_(SaveDC(dc)) {}
  ~SavedDC() { RestoreDC(dc_, id_); }
  SavedDC(const SavedDC&) = delete;
  SavedDC& operator=(const SavedDC&) = delete;

 private:
  HDC dc_;
  int id_;
};

}  // namespace

struct ZoomImageBoxWindow::Gdi {
  DibSection back;  // the double buffer: the whole client area, 32-bit
  // The picture in drawable form, made at its first paint; also the resampler's source.
  std::optional<DisplayPicture> display;
  bool displayTried = false;
  std::optional<DisplayPicture> tile;
  uint64_t tileGeneration = 0;

  // Work of the smooth paint, kept while what it was made from stays the same, so the timer's
  // paint after a mere scroll costs one copy.
  DibSection flat;  // natural size over ResampleBackColor (no tile), for the halftone stretch
  TColor flatColor = 0;
  DibSection smooth;  // the finished smooth picture at the displayed size, 32-bit
  SmoothPaintKey smoothKey;

  HFONT labelFont = nullptr;
  ~Gdi() {
    if (labelFont) DeleteObject(labelFont);
  }

  void ForgetPicture() {
    display.reset();
    displayTried = false;
    flat.Reset();
    smooth.Reset();
  }

  const DisplayPicture* Display(const Picture& picture, bool transparent) {
    if (!displayTried && !picture.Empty()) {
      displayTried = true;  // once per picture: a failure leaves only the background
      display = MakeDisplayPicture(picture, transparent);
    }
    return display ? &*display : nullptr;
  }
};

ZoomImageBoxWindow::ZoomImageBoxWindow() : gdi_(std::make_unique<Gdi>()) {}

ZoomImageBoxWindow::~ZoomImageBoxWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
}

namespace {
const WindowClass kZoomImageBoxClass{L"PictaraZoomImageBox",
                                     &BoundWindowProc<ZoomImageBoxWindow, &ZoomImageBoxWindow::OnMessage>};
}  // namespace

bool ZoomImageBoxWindow::Create(HWND parent, const RECT& bounds, int controlId) {
  if (hwnd_) return false;
  kZoomImageBoxClass.Create(this, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_TABSTOP, parent, ToRect(bounds),
                            controlId);
  if (!hwnd_) return false;

  // The label: a static control without SS_NOTIFY answers every hit test with "transparent", so
  // clicks on it reach the picture beneath.
  label_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_LEFT, 0, 0, 0, 0, hwnd_, nullptr,
                           PluginModule(), nullptr);
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof(ncm);
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0)) {
    ncm.lfMessageFont.lfWeight = FW_BOLD;
    gdi_->labelFont = CreateFontIndirectW(&ncm.lfMessageFont);
    if (label_ && gdi_->labelFont)
      SendMessageW(label_, WM_SETFONT, reinterpret_cast<WPARAM>(gdi_->labelFont), FALSE);
  }
  SyncBounds();
  return true;
}

// ---- Picture and options ---------------------------------------------------------------------

void ZoomImageBoxWindow::SetPicture(Picture picture) {
  picture_ = std::move(picture);
  gdi_->ForgetPicture();
  PictureChanged();
}

void ZoomImageBoxWindow::UpdateImageInfo() {
  Guard([&] { box_.UpdateImageInfo({picture_.Width(), picture_.Height()}); });
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void ZoomImageBoxWindow::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
  if (label_) InvalidateRect(label_, nullptr, TRUE);
}

void ZoomImageBoxWindow::SetProportional(bool value) {
  if (value == options_.proportional) return;
  options_.proportional = value;
  PictureChanged();
}

void ZoomImageBoxWindow::SetCenter(bool value) {
  if (value == options_.center) return;
  options_.center = value;
  PictureChanged();
}

void ZoomImageBoxWindow::SetTransparent(bool value) {
  if (value == options_.transparent) return;
  options_.transparent = value;
  gdi_->ForgetPicture();  // a bitmap's transparent colour now shows or no longer does
  PictureChanged();
}

void ZoomImageBoxWindow::SetResample(bool value) {
  if (value == options_.resample) return;
  options_.resample = value;
  if (!value) StopTimer();
  PictureChanged();
}

void ZoomImageBoxWindow::SetResampleDelay(int32_t milliseconds) {
  options_.resampleDelay = std::max(0, milliseconds);
}

void ZoomImageBoxWindow::SetResampleBackColor(TColor color) {
  if (color == options_.resampleBackColor) return;
  options_.resampleBackColor = color;
  if (hwnd_ && !drawing_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void ZoomImageBoxWindow::SetDrawBackground(bool value) {
  if (value == options_.drawBackground) return;
  options_.drawBackground = value;
  if (hwnd_ && !drawing_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void ZoomImageBoxWindow::SetBackgroundPicture(const Picture& tile) {
  Bitmap bitmap;
  if (const Bitmap* b = tile.AsBitmap()) {
    bitmap = *b;
  } else if (const PngImage* png = tile.Png()) {
    try {
      bitmap = PngToBitmap(*png);
    } catch (const std::exception&) {
      // No memory for the tile: none, and the colour is painted instead.
    }
  }
  SetBackgroundPicture(bitmap);
}

void ZoomImageBoxWindow::SetBackgroundPicture(const Bitmap& tile) {
  tile_ = tile;
  gdi_->tile = MakeDisplayPicture(Picture{tile_}, false);
  ++gdi_->tileGeneration;
  if (hwnd_ && !drawing_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void ZoomImageBoxWindow::PictureChanged() {
  // The opaque rule and the display rectangle are read at paint time; all that is left here is
  // to repaint, unless a paint is what changed the picture.
  if (hwnd_ && !drawing_) InvalidateRect(hwnd_, nullptr, FALSE);
}

// ---- Label ---------------------------------------------------------------------------------------

void ZoomImageBoxWindow::SetLabelText(const std::string& utf8) {
  if (!label_) return;
  const std::wstring wide = Wide(utf8);
  SetWindowTextW(label_, wide.c_str());
  HDC dc = GetDC(label_);
  HGDIOBJ old = SelectObject(dc, gdi_->labelFont ? gdi_->labelFont : GetStockObject(DEFAULT_GUI_FONT));
  SIZE size{};
  GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(label_, dc);
  SetWindowPos(label_, HWND_TOP, 0, 0, size.cx, size.cy, SWP_NOACTIVATE);
}

void ZoomImageBoxWindow::ShowLabel(bool visible) {
  if (label_) ShowWindow(label_, visible ? SW_SHOWNA : SW_HIDE);
}

// ---- Box view --------------------------------------------------------------------------------------

void ZoomImageBoxWindow::LayoutChanged() {
  if (!hwnd_) return;
  ApplyScrollBars();
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void ZoomImageBoxWindow::SetAppCursor(int32_t cursorId) {
  cursor_ = cursorId;
  SetCursor(LoadCursorW(nullptr, CursorResource(cursorId)));
}

void ZoomImageBoxWindow::TakeFocus() {
  if (hwnd_ && GetFocus() != hwnd_) SetFocus(hwnd_);
}

void ZoomImageBoxWindow::ApplyScrollBars() {
  applying_ = true;
  const Size client = box_.ClientSize();
  // Only what changed: showing a bar or setting its values repaints the frame, which costs more
  // than the picture on every scroll step.
  auto apply = [&](int bar, const ScrollBarState& s, int32_t extent, AppliedBar& applied) {
    if (!applied.known || applied.state.visible != s.visible) ShowScrollBar(hwnd_, bar, s.visible);
    if (applied.known && applied.state == s && applied.extent == extent) return;
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    if (s.visible) {
      si.nMax = std::max(s.range - 1, 0);
      si.nPage = static_cast<UINT>(std::max(extent, 0));
      si.nPos = s.position;
    } else {
      si.nPage = 1;  // larger than the range: the bar stays hidden
    }
    SetScrollInfo(hwnd_, bar, &si, TRUE);
    applied = {true, s, extent};
  };
  apply(SB_HORZ, box_.HorzScrollBar(), client.width, appliedHorz_);
  apply(SB_VERT, box_.VertScrollBar(), client.height, appliedVert_);
  applying_ = false;
}

void ZoomImageBoxWindow::SyncBounds() {
  if (!hwnd_ || applying_) return;
  RECT rc;
  GetClientRect(hwnd_, &rc);
  const LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
  const int vbar = GetSystemMetrics(SM_CXVSCROLL), hbar = GetSystemMetrics(SM_CYHSCROLL);
  const Size area = BoxArea({rc.right, rc.bottom}, (style & WS_VSCROLL) != 0, (style & WS_HSCROLL) != 0, vbar, hbar);
  Guard([&] { box_.SetBounds(area, vbar, hbar); });
}

// ---- Painting ----------------------------------------------------------------------------------------

Rect ZoomImageBoxWindow::DisplayRect() const {
  const Rect& bounds = box_.Image().bounds;
  const Rect r = ComputeDisplayRect({picture_.Width(), picture_.Height()},
                                    {bounds.Width(), bounds.Height()},
                                    {box_.Image().stretch, options_.proportional, options_.center});
  return DisplayInBox(r, bounds);
}

void ZoomImageBoxWindow::OnPaintMessage() {
  // The update region is validated however the paint ends, or the window would be asked to paint
  // again and again.
  struct Painting {
    HWND hwnd;
    PAINTSTRUCT ps;
    HDC dc;
    explicit Painting(HWND h) : hwnd(h), ps{}, dc(BeginPaint(h, &ps)) {}
    ~Painting() { EndPaint(hwnd, &ps); }
  } painting(hwnd_);
  const PAINTSTRUCT& ps = painting.ps;
  HDC dc = painting.dc;
  RECT rc;
  GetClientRect(hwnd_, &rc);
  Gdi& g = *gdi_;
  if (rc.right > 0 && rc.bottom > 0) {
    if (g.back.width() != rc.right || g.back.height() != rc.bottom)
      g.back.Create(rc.right, rc.bottom, 32);
    if (g.back.valid()) {
      PaintBox(ps.rcPaint);
      BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
             ps.rcPaint.bottom - ps.rcPaint.top, g.back.dc(), ps.rcPaint.left, ps.rcPaint.top,
             SRCCOPY);
    } else {
      // No memory for the buffer: at least the box colour.
      HBRUSH brush = CreateSolidBrush(ToColorRef(color_));
      FillRect(dc, &ps.rcPaint, brush);
      DeleteObject(brush);
    }
  }
}

void ZoomImageBoxWindow::PaintNow() {
  if (!hwnd_) return;
  InvalidateRect(hwnd_, nullptr, FALSE);
  UpdateWindow(hwnd_);
}

void ZoomImageBoxWindow::PaintBox(const RECT& paint) {
  const Surface surface = View(gdi_->back);
  const Rect clip{paint.left, paint.top, paint.right, paint.bottom};
  const Rect& bounds = box_.Image().bounds;
  const Rect display = DisplayRect();
  const Rect relative{display.left - bounds.left, display.top - bounds.top, display.right - bounds.left,
                      display.bottom - bounds.top};
  const bool opaque =
      IsImageOpaque(!picture_.Empty(), GraphicIsTransparent(picture_, options_.transparent),
                    relative, {bounds.Width(), bounds.Height()});
  const Rect client{0, 0, surface.width, surface.height};
  if (opaque) {
    // Only the bands around the picture: the picture paints everything under itself.
    for (const Rect& band : BandsAround(bounds, {client.right, client.bottom}))
      imagebox::FillRect(surface, band, color_, clip);
  } else {
    imagebox::FillRect(surface, client, color_, clip);
  }
  if (bounds.Width() > 0 && bounds.Height() > 0) PaintImage(clip);
}

namespace {

// Marks the box as painting for the length of a scope, restoring the earlier state (paints nest
// when a callback repaints).
class DrawingScope {
 public:
  explicit DrawingScope(bool& flag) : flag_(flag), saved_(flag) { flag_ = true; }
  ~DrawingScope() { flag_ = saved_; }
  DrawingScope(const DrawingScope&) = delete;
  DrawingScope& operator=(const DrawingScope&) = delete;

 private:
  bool& flag_;
  bool saved_;
};

}  // namespace

void ZoomImageBoxWindow::PaintImage(const Rect& clip) {
  const DrawingScope drawing(drawing_);

  const Rect r = DisplayRect();
  const PaintPath path = ChoosePaintPath({options_.resample, !picture_.Empty(),
                                          {picture_.Width(), picture_.Height()}, r,
                                          options_.resampleDelay});
  if (options_.resample) StopTimer();
  switch (path) {
    case PaintPath::Stretched:
      PaintStretched(r, clip);
      break;
    case PaintPath::StretchedThenTimer:
      PaintStretched(r, clip);
      StartTimer();
      break;
    case PaintPath::Resampled:
      if (!PaintResampled(r, clip)) PaintStretched(r, clip);
      break;
  }
}

void ZoomImageBoxWindow::PaintBackground(const Surface& surface, const Rect& r, const Rect& clip) {
  const Gdi& g = *gdi_;
  if (options_.drawBackground && g.tile)
    DrawTiled(surface, r, g.tile->bitmap, g.tile->hasAlpha, clip);
  else
    imagebox::FillRect(surface, r, options_.resampleBackColor, clip);
}

void ZoomImageBoxWindow::PaintStretched(const Rect& r, const Rect& clip) {
  Gdi& g = *gdi_;
  const Surface surface = View(g.back);
  PaintBackground(surface, r, clip);
  if (const DisplayPicture* d = g.Display(picture_, options_.transparent))
    StretchDraw(surface, r, d->bitmap, d->hasAlpha, clip);
  lastPaint_ = LastPaint::Stretched;
  if (OnAfterPaint) Guard([&] { OnAfterPaint(g.back.dc(), r); });
}

bool ZoomImageBoxWindow::PaintResampled(const Rect& r, const Rect& clip) {
  Gdi& g = *gdi_;
  if (picture_.Empty() || r.Width() <= 0 || r.Height() <= 0) return false;
  const DisplayPicture* source = g.Display(picture_, options_.transparent);
  if (!source) return false;
  const std::optional<SmoothPaintPlan> plan = PlanSmoothPaint(
      {{source->bitmap.width, source->bitmap.height}, r, clip, options_.drawBackground});
  if (!plan) return false;
  const Rect& part = plan->part;
  const Rect& block = plan->block;
  const Rect& target = plan->target;
  const bool isWhole = plan->wholePicture;

  const SmoothPaintKey key{{r.Width(), r.Height()}, part, block, options_.drawBackground && g.tile.has_value(),
                           options_.resampleBackColor, g.tileGeneration};
  if (!g.smooth.valid() || !(g.smoothKey == key)) {
    g.smoothKey = {};
    if (!g.smooth.Create(part.Width(), part.Height(), 32)) return false;
    const Rect whole{0, 0, part.Width(), part.Height()};
    if (plan->method == SmoothMethod::ResampleOverBackground) {
      // The picture resampled with its alpha, laid over the tile, which starts at the picture's
      // top-left corner. A failed resample leaves the background alone.
      Bitmap cropped;
      if (!isWhole && !CropBitmap(source->bitmap, block, cropped)) return false;
      // The whole picture is already in the pixel format the resampler wants, so its in-place
      // conversion is a no-op.
      Bitmap& src = isWhole ? g.display->bitmap : cropped;
      Bitmap scaled;
      const bool hasAlpha = src.pixelFormat == PixelFormat::pf32bit;
      ResampleBitmap(src, scaled, part.Width(), part.Height(), hasAlpha);
      const Surface surface = View(g.smooth);
      PaintBackground(surface, Rect::FromBounds(-part.left, -part.top, r.Width(), r.Height()),
                      whole);
      StretchDraw(surface, whole, scaled, hasAlpha, whole);
    } else if (plan->method == SmoothMethod::ResampleFlattened) {
      // Enlarging: the system's halftone stretch only replicates or shifts pixels here (by half a
      // source pixel on some systems, a visible jump at a deep zoom), so the picture, flattened
      // onto ResampleBackColor, goes through the resampler instead.
      DisplayPicture cropped;
      if (!isWhole) {
        cropped.hasAlpha = source->hasAlpha;
        if (!CropBitmap(source->bitmap, block, cropped.bitmap)) return false;
      }
      Bitmap flat, scaled;
      if (!FlattenOnto(isWhole ? *source : cropped, options_.resampleBackColor, flat)) return false;
      const Surface surface = View(g.smooth);
      imagebox::FillRect(surface, whole, options_.resampleBackColor, whole);
      if (ResampleBitmap(flat, scaled, part.Width(), part.Height(), false))
        StretchDraw(surface, whole, scaled, false, whole);
    } else {
      // Shrinking: the picture flattened onto ResampleBackColor, then the system's halftone
      // (area-averaging) stretch.
      if (!g.flat.valid() || g.flatColor != options_.resampleBackColor) {
        g.flat.Reset();
        Bitmap flat;
        if (!FlattenOnto(*source, options_.resampleBackColor, flat) || !g.flat.Assign(flat)) {
          g.smooth.Reset();
          return false;
        }
        g.flatColor = options_.resampleBackColor;
      }
      // From a selected bitmap rather than from memory: the system converts memory pixels of the
      // whole picture on every call.
      SetStretchBltMode(g.smooth.dc(), HALFTONE);
      SetBrushOrgEx(g.smooth.dc(), 0, 0, nullptr);
      StretchBlt(g.smooth.dc(), 0, 0, part.Width(), part.Height(), g.flat.dc(), block.left,
                 block.top, block.Width(), block.Height(), SRCCOPY);
    }
    GdiFlush();
    g.smoothKey = key;
  }
  {
    HDC dc = g.back.dc();
    SavedDC saved(dc);
    IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
    BitBlt(dc, target.left, target.top, target.Width(), target.Height(), g.smooth.dc(), 0, 0,
           SRCCOPY);
  }
  lastPaint_ = LastPaint::Resampled;
  if (OnPaint) Guard([&] { OnPaint(); });
  if (OnAfterPaint) Guard([&] { OnAfterPaint(g.back.dc(), r); });
  return true;
}

void ZoomImageBoxWindow::ResampleNow() {
  StopTimer();
  if (!hwnd_ || picture_.Empty()) return;
  Gdi& g = *gdi_;
  RECT rc;
  GetClientRect(hwnd_, &rc);
  if (!g.back.valid() || g.back.width() != rc.right || g.back.height() != rc.bottom) return;
  const Rect r = DisplayRect();
  RECT visible;
  if (!Intersect(r, rc, visible)) return;
  bool done = false;
  {
    const DrawingScope drawing(drawing_);
    done = PaintResampled(r, Rect{0, 0, rc.right, rc.bottom});
  }
  if (!done) return;
  // Straight onto the window: no other part of the box has changed since the last paint. The
  // label is a child window, clipped out of the window DC, so it stays visible.
  HDC dc = GetDC(hwnd_);
  BitBlt(dc, visible.left, visible.top, visible.right - visible.left, visible.bottom - visible.top,
         g.back.dc(), visible.left, visible.top, SRCCOPY);
  ReleaseDC(hwnd_, dc);
}

void ZoomImageBoxWindow::StopTimer() {
  if (timerRunning_ && hwnd_) KillTimer(hwnd_, kResampleTimer);
  timerRunning_ = false;
}

void ZoomImageBoxWindow::StartTimer() {
  if (!hwnd_) return;
  timerRunning_ = SetTimer(hwnd_, kResampleTimer, static_cast<UINT>(options_.resampleDelay),
                           nullptr) != 0;
}

// ---- Input -------------------------------------------------------------------------------------------

void ZoomImageBoxWindow::Guard(const std::function<void()>& body) {
  try {
    body();
  } catch (const std::exception& e) {
    ReportError(e);
  } catch (...) {
  }
}

void ZoomImageBoxWindow::ReportError(const std::exception& e) {
  if (!OnError) return;
  try {
    OnError(e);
  } catch (...) {
  }
}

void ZoomImageBoxWindow::OnWindowError(const std::exception& e) { ReportError(e); }

LRESULT ZoomImageBoxWindow::OnMessage(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
  auto overImage = [&](ClientPoint p) { return IsOverImage(p, box_.Image().bounds, ClientSize(hwnd_)); };
  switch (msg) {
    case WM_NCCREATE:
      hwnd_ = window;
      break;
    case WM_NCDESTROY:
      StopTimer();
      hwnd_ = nullptr;
      label_ = nullptr;
      return DefWindowProcW(window, msg, wp, lp);
    case WM_ERASEBKGND:
      return 1;  // everything is painted from the buffer
    case WM_PAINT:
      OnPaintMessage();
      return 0;
    case WM_SIZE:
      SyncBounds();
      return 0;
    case WM_TIMER:
      if (wp == kResampleTimer) {
        Guard([&] { ResampleNow(); });
        return 0;
      }
      break;
    case WM_HSCROLL:
    case WM_VSCROLL: {
      if (lp != 0) break;  // a scroll-bar control of someone else
      const bool horizontal = msg == WM_HSCROLL;
      SCROLLINFO si{};
      si.cbSize = sizeof(si);
      si.fMask = SIF_TRACKPOS;
      GetScrollInfo(hwnd_, horizontal ? SB_HORZ : SB_VERT, &si);
      const ScrollBarState& bar = horizontal ? box_.HorzScrollBar() : box_.VertScrollBar();
      const Size client = box_.ClientSize();
      const auto target = ScrollBarTarget(LOWORD(wp), bar.position, bar.range,
                                          horizontal ? client.width : client.height, si.nTrackPos);
      if (target) Guard([&] { box_.ScrollBarMoved(horizontal, *target); });
      return 0;
    }
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      uint16_t key = static_cast<uint16_t>(wp);
      const ShiftState shift = KeyboardShiftState();
      bool consumed = false;
      Guard([&] {
        if (OnKeyPreview) OnKeyPreview(key, shift);
        consumed = key == 0 || box_.KeyDown(key, shift);
      });
      if (consumed) return 0;
      break;
    }
    case WM_MOUSEWHEEL: {
      const ShiftState shift = WheelShiftState(wp);
      const WheelSteps wheel = TakeWheelSteps(wheelRest_, GET_WHEEL_DELTA_WPARAM(wp), WHEEL_DELTA);
      wheelRest_ = wheel.rest;
      Guard([&] {
        for (int32_t i = 0; i < wheel.steps; ++i) box_.MouseWheel(true, shift);
        for (int32_t i = 0; i > wheel.steps; --i) box_.MouseWheel(false, shift);
      });
      return 0;  // handled: no default wheel scrolling, not even by the parent
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      const ClientPoint p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      const MouseButton button = MessageMouseButton(msg);
      const MouseRoute route = RouteMouse(captureOnImage_, {.event = MouseEvent::Press, .button = button,
                                                            .overImage = overImage(p)});
      if (route.takeCapture) SetCapture(hwnd_);
      captureOnImage_ = route.dragging;
      const ShiftState shift = KeyboardShiftState();
      Guard([&] {
        if (route.toImage)
          box_.ImageMouseDown(button, shift, box_.ToPicture(p));
        else
          box_.BoxMouseDown(button, shift, p);
      });
      return 0;
    }
    case WM_MOUSEMOVE: {
      const ClientPoint p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      if (RouteMouse(captureOnImage_, {.event = MouseEvent::Move, .overImage = overImage(p)}).toImage) {
        const ShiftState shift = KeyboardShiftState();
        Guard([&] { box_.ImageMouseMove(shift, box_.ToPicture(p)); });
      }
      return 0;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      const ClientPoint p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      const MouseButton button = MessageMouseButton(msg);
      const MouseRoute route =
          RouteMouse(captureOnImage_, {.event = MouseEvent::Release, .button = button, .overImage = overImage(p),
                                       .buttonsStillDown = (wp & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) != 0});
      captureOnImage_ = route.dragging;
      if (route.releaseCapture && GetCapture() == hwnd_) ReleaseCapture();
      if (route.toImage) Guard([&] { box_.ImageMouseUp(button, KeyboardShiftState(), box_.ToPicture(p)); });
      break;  // the default procedure turns a right release into WM_CONTEXTMENU
    }
    case WM_CAPTURECHANGED:
      // Capture taken away mid-drag (another window, a menu): end the drag as a release would, so
      // the view does not keep panning with the button up.
      {
        const MouseRoute route = RouteMouse(
            captureOnImage_, {.event = MouseEvent::CaptureLost, .lostToItself = reinterpret_cast<HWND>(lp) == hwnd_});
        captureOnImage_ = route.dragging;
        if (route.toImage) Guard([&] { box_.ImageMouseUp(MouseButton::Left, ssNone, {}); });
      }
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lp) == HTCLIENT) {
        SetCursor(LoadCursorW(nullptr, CursorResource(cursor_)));
        return TRUE;
      }
      break;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lp) == label_) {
        HDC dc = reinterpret_cast<HDC>(wp);
        SetTextColor(dc, RGB(255, 255, 255));
        SetBkColor(dc, ToColorRef(color_));
        SetDCBrushColor(dc, ToColorRef(color_));
        return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
      }
      break;
    case WM_DESTROY:
      StopTimer();
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace pictara::imagebox
