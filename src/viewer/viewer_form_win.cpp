#include "viewer/viewer_form_win.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <stdexcept>
#include <utility>

#include "imagebox/zoom_image_box_win.h"
#include "base/utf.h"
#include "render/wic_resize_win.h"
#include "platform/window_win.h"
#include "settings/settings.h"
#include "viewer/form_layout.h"
#include "viewer/form_paint.h"
#include "viewer/viewer_dialogs_win.h"

namespace pictara {

namespace {

constexpr wchar_t kPanelClass[] = L"PictaraPanel";
// The arrow buttons never take the focus, so that the keys keep going to the picture.
constexpr wchar_t kSpeedButtonClass[] = L"PictaraSpeedButton";


// The busy cursor is process-wide: every plug-in window shows it while a file is rendered.
int g_busyDepth = 0;

// The arrow glyphs are shared by every viewer: loaded at the first show of any viewer, at that
// screen's density, and kept until the library goes (they hold no system handles).
struct TArrowGlyphs {
  bool Loaded = false;
  Bitmap Left, Right;
};
TArrowGlyphs g_arrowGlyphs;

// Appends the items to a system menu; `submenu` receives the handle of the reload submenu.
void AppendMenuItems(HMENU menu, const std::vector<TMenuItem>& items, HMENU* submenu) {
  UINT position = static_cast<UINT>(GetMenuItemCount(menu));
  for (const TMenuItem& item : items) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    std::wstring text;
    if (item.Separator) {
      info.fMask = MIIM_FTYPE;
      info.fType = MFT_SEPARATOR;
    } else {
      text = Wide(item.Caption);
      if (!item.Shortcut.empty()) text += L"\t" + Wide(item.Shortcut);
      info.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_ID | MIIM_STATE;
      info.fType = MFT_STRING | (item.Radio ? MFT_RADIOCHECK : 0);
      info.fState = (item.Enabled ? MFS_ENABLED : MFS_DISABLED) | (item.Checked ? MFS_CHECKED : MFS_UNCHECKED);
      info.wID = item.Command;
      info.dwTypeData = text.data();
      if (!item.Items.empty()) {
        HMENU sub = CreatePopupMenu();
        if (!sub) throw std::runtime_error("Cannot create the context menu");
        AppendMenuItems(sub, item.Items, nullptr);
        info.fMask |= MIIM_SUBMENU;
        info.hSubMenu = sub;
        if (submenu) *submenu = sub;
      }
    }
    if (!InsertMenuItemW(menu, position++, TRUE, &info)) {
      if (info.hSubMenu) DestroyMenu(info.hSubMenu);
      throw std::runtime_error("Cannot create the context menu");
    }
  }
}

class TMenuHandle {
 public:
  TMenuHandle() : menu_(CreatePopupMenu()) {
    if (!menu_) throw std::runtime_error("Cannot create the context menu");
  }
  ~TMenuHandle() { DestroyMenu(menu_); }
  TMenuHandle(const TMenuHandle&) = delete;
  TMenuHandle& operator=(const TMenuHandle&) = delete;
  HMENU Get() const { return menu_; }

 private:
  HMENU menu_;
};

class TGdiObject {
 public:
  explicit TGdiObject(HGDIOBJ object = nullptr) : object_(object) {}
  ~TGdiObject() { if (object_) DeleteObject(object_); }
  TGdiObject(const TGdiObject&) = delete;
  TGdiObject& operator=(const TGdiObject&) = delete;
  void Reset(HGDIOBJ object) {
    if (object_) DeleteObject(object_);
    object_ = object;
  }
  HGDIOBJ Get() const { return object_; }

 private:
  HGDIOBJ object_;
};

// Paints into a memory bitmap first, so that the bar never flickers while the host resizes it.
class TBufferedPaint {
 public:
  explicit TBufferedPaint(HWND window) : window_(window) {
    target_ = BeginPaint(window_, &ps_);
    GetClientRect(window_, &rect_);
    memory_ = CreateCompatibleDC(target_);
    bitmap_.Reset(CreateCompatibleBitmap(target_, rect_.right > 0 ? rect_.right : 1, rect_.bottom > 0 ? rect_.bottom : 1));
    old_ = SelectObject(memory_, bitmap_.Get());
  }
  ~TBufferedPaint() {
    BitBlt(target_, 0, 0, rect_.right, rect_.bottom, memory_, 0, 0, SRCCOPY);
    SelectObject(memory_, old_);
    DeleteDC(memory_);
    EndPaint(window_, &ps_);
  }
  TBufferedPaint(const TBufferedPaint&) = delete;
  TBufferedPaint& operator=(const TBufferedPaint&) = delete;
  HDC Dc() const { return memory_; }
  const RECT& Rect() const { return rect_; }

 private:
  HWND window_;
  PAINTSTRUCT ps_{};
  HDC target_ = nullptr;
  HDC memory_ = nullptr;
  TGdiObject bitmap_;
  HGDIOBJ old_ = nullptr;
  RECT rect_{};
};

void FillSolid(HDC dc, const RECT& rect, COLORREF color) {
  TGdiObject brush(CreateSolidBrush(color));
  FillRect(dc, &rect, static_cast<HBRUSH>(brush.Get()));
}

void MoveChild(HWND child, const Rect& r) {
  if (child) MoveWindow(child, r.left, r.top, r.Width(), r.Height(), TRUE);
}

class TViewerWindow;
LRESULT FormWndProcImpl(TViewerWindow*, HWND, UINT, WPARAM, LPARAM);
LRESULT PanelWndProcImpl(TViewerWindow*, HWND, UINT, WPARAM, LPARAM);
LRESULT SpeedButtonWndProcImpl(TViewerWindow*, HWND, UINT, WPARAM, LPARAM);

// The three window classes of the form (platform/window_win.h); one object serves all of them.
const WindowClass& FormClass();
const WindowClass& PanelClass();
const WindowClass& SpeedButtonClass();

// ----------------------------------------------------------------------------------------------

class TViewerWindow final : public IViewerView, public IListerWindow, public ICursor, public IImageBox {
 public:
  TViewerWindow(TfmSVG& form, HWND lister) : form_(form), lister_(lister) {}

  void CreateWindows() override {
    if (hwnd_ || windowsMade_) return;
    windowsMade_ = true;
    hwnd_ = FormClass().Create(this, WS_CHILD | WS_MAXIMIZE, lister_, Rect{}, 0, L"Pictara");
    if (!hwnd_) throw std::runtime_error("Cannot create the viewer window");
    dialogs_.SetOwner(hwnd_);
    try {
      const DWORD child = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
      scrollBox1_ = CreateChild(PanelClass(), child, hwnd_, idScrollBox1);
      panBottom_ = CreateChild(PanelClass(), child, hwnd_, idPanBottom);
      panButtons_ = CreateChild(PanelClass(), child, panBottom_, idPanButtons);
      panInfo_ = CreateChild(PanelClass(), child, panBottom_, idPanInfo);
      sbtPrev_ = CreateChild(SpeedButtonClass(), WS_CHILD | WS_VISIBLE, panButtons_, idSbtPrev);
      sbtNext_ = CreateChild(SpeedButtonClass(), WS_CHILD | WS_VISIBLE, panButtons_, idSbtNext);
      SetWindowPos(hwnd_, nullptr, bounds_.left, bounds_.top, bounds_.Width(), bounds_.Height(),
                   SWP_NOZORDER | SWP_NOACTIVATE);
      Relayout();
    } catch (...) {
      // The windows of a half-built form must not outlive the call that failed.
      destroyingItself_ = true;
      DestroyWindow(hwnd_);
      throw;
    }
  }

  ~TViewerWindow() override {
    if (!hwnd_) return;  // the windows are gone already
    if (destroyedFromOutside_) {
      // The windows go away with the host's Lister window; only cut them loose from this object.
      for (HWND w : {hwnd_, scrollBox1_, panBottom_, panButtons_, panInfo_, sbtPrev_, sbtNext_})
        if (w) SetWindowLongPtrW(w, 0, 0);
      // The image box destroys its own window with its object, below.
    } else {
      destroyingItself_ = true;
      DestroyWindow(hwnd_);
    }
  }

  void NoteDestroying() { destroyedFromOutside_ = true; }
  // The form's window is being destroyed: by this object, or from outside.
  void FormDestroying() {
    if (!destroyingItself_) destroyedFromOutside_ = true;
  }
  // The form's window is gone, its children before it; the handles must not be used again (the
  // system may give them to new windows).
  void FormDestroyed() {
    hwnd_ = scrollBox1_ = panBottom_ = panButtons_ = panInfo_ = sbtPrev_ = sbtNext_ = imgMain_ = nullptr;
  }
  bool WindowDestroyed() const override { return destroyedFromOutside_ || (windowsMade_ && !hwnd_); }

  // IViewerView ------------------------------------------------------------------------------
  IListerWindow& Lister() override { return *this; }
  ICursor& Cursor() override { return *this; }
  uintptr_t Handle() const override { return reinterpret_cast<uintptr_t>(hwnd_); }

  void ApplyDarkMode(const TBottomBarLook& look) override {
    look_ = look;
    Repaint(panBottom_);
  }

  IImageBox& CreateImageBox(const TImageBoxSetup& setup) override {
    if (!zoom_.Handle()) {
      RECT r{};
      GetClientRect(scrollBox1_, &r);
      if (!zoom_.Create(scrollBox1_, r, idImgMain)) throw std::runtime_error("Cannot create the image box");
      imgMain_ = zoom_.Handle();
      // The form sees every key before the image box does.
      zoom_.OnKeyPreview = [this](uint16_t& key, ShiftState shift) {
        form_.FormKeyDown(key, static_cast<ShiftState>(shift));
      };
      zoom_.OnError = [this](const std::exception& e) { form_.ApplicationEvents1Exception(e); };
    }
    imagebox::TZoomImageBox& box = zoom_.Box();
    box.SetImageCenter(setup.ImageCenter);
    box.ImageKeepPosition = setup.ImageKeepPosition;
    zoom_.SetCenter(setup.ImageCenter);
    zoom_.SetProportional(setup.Proportional);
    box.SetImageFitOnlyBig(setup.ImageFitOnlyBig);
    box.SetImageFitToWindow(setup.ImageFitToWindow);
    zoom_.SetColor(setup.Color);
    zoom_.SetDrawBackground(setup.DrawBackground);
    zoom_.SetResample(setup.Resample);
    Relayout();
    return *this;
  }

  int ScreenPixelsPerInch() const override {
    HDC screen = GetDC(nullptr);
    int ppi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return ppi;
  }

  void ApplyLayout(const TFormLayout& layout) override {
    layout_ = layout;
    LOGFONTW lf{};
    lf.lfHeight = -layout.FontHeight;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    wcscpy_s(lf.lfFaceName, L"Tahoma");
    font_.Reset(CreateFontIndirectW(&lf));
    Relayout();
  }

  TListerGeometry ListerGeometry() const override {
    TListerGeometry g;
    RECT client{};
    GetClientRect(lister_, &client);
    g.ClientRect = {client.left, client.top, client.right, client.bottom};
    // The query succeeds only when the Lister window has that scroll bar.
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE;
    g.HasVerticalScrollBar = GetScrollInfo(lister_, SB_VERT, &si) != 0;
    si = SCROLLINFO{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE;
    g.HasHorizontalScrollBar = GetScrollInfo(lister_, SB_HORZ, &si) != 0;
    g.VerticalScrollBarWidth = GetSystemMetrics(SM_CXVSCROLL);
    g.HorizontalScrollArrowWidth = GetSystemMetrics(SM_CXHSCROLL);
    return g;
  }

  void SetBounds(const Rect& b) override {
    bounds_ = b;
    if (!hwnd_) return;
    SetWindowPos(hwnd_, nullptr, b.left, b.top, b.Width(), b.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    Relayout();
  }

  Size ScrollBoxClientSize() const override {
    if (!scrollBox1_) {
      // Before the windows exist: where the layout will put ScrollBox1 (Relayout does the same).
      const Rect box = PlaceBottomBar(layout_, {bounds_.Width(), bounds_.Height()}, buttonsVisible_).ScrollBox;
      return {box.Width(), box.Height()};
    }
    RECT r{};
    GetClientRect(scrollBox1_, &r);
    return {r.right - r.left, r.bottom - r.top};
  }

  Size ScreenSize() const override { return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

  bool TouchDigitizerReady() const override {
    constexpr int kDigitizerMetric = 94;  // SM_DIGITIZER
    constexpr int kReady = 0x80;          // NID_READY
    return (GetSystemMetrics(kDigitizerMetric) & kReady) != 0;
  }

  void EnableGestures(bool enabled) override {
    if (!imgMain_ || enabled == gesturesEnabled_) return;
    gesturesEnabled_ = enabled;
    if (enabled) {
      SetWindowSubclass(imgMain_, &GestureSubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
    } else {
      RemoveWindowSubclass(imgMain_, &GestureSubclassProc, 1);
    }
  }

  void AssignArrowGlyphs(int32_t glyphSize) override {
    if (!g_arrowGlyphs.Loaded) {
      g_arrowGlyphs.Loaded = true;
      try {
        g_arrowGlyphs.Left = LoadResourceBitmap("ARROWLEFT", glyphSize, glyphSize, TWicResizeMode::wrmLinear);
        g_arrowGlyphs.Right = LoadResourceBitmap("ARROWRIGHT", glyphSize, glyphSize, TWicResizeMode::wrmLinear);
      } catch (...) {
        // Without glyphs the buttons keep their drawn triangles.
        g_arrowGlyphs.Left = Bitmap{};
        g_arrowGlyphs.Right = Bitmap{};
      }
    }
    if (g_arrowGlyphs.Left.Empty() || g_arrowGlyphs.Right.Empty()) return;
    prevGlyph_ = g_arrowGlyphs.Left;
    nextGlyph_ = g_arrowGlyphs.Right;
    Repaint(panButtons_);
  }

  void HideArrowButtons() override {
    buttonsVisible_ = false;
    EnableWindow(panButtons_, FALSE);
    ShowWindow(panButtons_, SW_HIDE);
    Relayout();
  }

  void RepaintArrowButtons() override { Repaint(panButtons_); }

  void SetStatusText(const std::string& text) override {
    if (text == status_) return;
    status_ = text;
    // The panel's window text holds the status too, for screen readers and tools that read it.
    SetWindowTextUtf8(panInfo_, text);
    Repaint(panInfo_);
  }

  void ShowErrorBox(const std::string& text, const std::string& caption) override {
    // Owner and focus to return to: the viewer and its focused control, or another window of the
    // plug-in that is active (a dialog of this viewer) and its focused control.
    auto id = [](HWND w) { return reinterpret_cast<uintptr_t>(w); };
    auto hwnd = [](uintptr_t w) { return reinterpret_cast<HWND>(w); };
    HWND active = GetActiveWindow();
    const TErrorBoxWindows windows{
        id(hwnd_), id(active),
        active && reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(active, GWLP_HINSTANCE)) == PluginModule(),
        id(GetFocus())};
    HWND owner = hwnd(ErrorBoxOwner(windows));
    HWND focused = hwnd(windows.focused);
    const TErrorBoxPlan plan = PlanErrorBox(windows, focused && (focused == owner || IsChild(owner, focused)));
    std::wstring wideText = Wide(text);
    std::wstring wideCaption = Wide(caption);
    MessageBoxW(hwnd(plan.owner), wideText.c_str(), wideCaption.c_str(), MB_ICONWARNING);
    if (plan.refocusWindow && CanFocus(hwnd(plan.refocusWindow))) SetFocus(hwnd(plan.refocusWindow));
    if (plan.refocusControl && CanFocus(hwnd(plan.refocusControl))) SetFocus(hwnd(plan.refocusControl));
  }

  IViewerDialogs& Dialogs() override { return dialogs_; }
  IClipboard& Clipboard() override { return dialogs_; }
  std::optional<std::string> ResourceBytes(const std::string& name) override { return PluginResourceBytes(name); }

  // IListerWindow ----------------------------------------------------------------------------
  bool IsTopLevel() const override { return IsTopLevelWindow(lister_); }
  void PostKeyDown(uint32_t virtualKey) override { PostMessageW(lister_, WM_KEYDOWN, virtualKey, 0); }
  std::optional<std::string> Caption() const override { return GetWindowTextUtf8(lister_, 1024); }
  void SetCaption(const std::string& caption) override { SetWindowTextUtf8(lister_, caption); }
  uint32_t ShowCmd() const override {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (!GetWindowPlacement(lister_, &placement)) return SW_SHOWNORMAL;
    return placement.showCmd;
  }
  void ChangeShowState(TListerShowChange change) override {
    if (change == TListerShowChange::Restore) ShowWindow(lister_, SW_RESTORE);
    else if (change == TListerShowChange::Maximize) ShowWindow(lister_, SW_MAXIMIZE);
  }

  // ICursor ----------------------------------------------------------------------------------
  void SetBusy(bool busy) override {
    g_busyDepth = NextBusyDepth(g_busyDepth, busy);
    SetCursor(LoadCursorW(nullptr, g_busyDepth > 0 ? IDC_WAIT : IDC_ARROW));
  }

  // IImageBox --------------------------------------------------------------------------------
  void FocusIfPossible() override {
    if (imgMain_ && CanFocus(imgMain_)) SetFocus(imgMain_);
  }
  bool HasWindow() const override { return zoom_.Handle() != nullptr; }
  imagebox::TZoomImageBox& Box() override { return zoom_.Box(); }
  void SetPicture(Picture picture) override { zoom_.SetPicture(std::move(picture)); }
  const Picture& GetPicture() const override { return zoom_.GetPicture(); }
  void UpdateImageInfo() override { zoom_.UpdateImageInfo(); }
  void SetResample(bool value) override { zoom_.SetResample(value); }
  void SetResampleBackColor(TColor color) override { zoom_.SetResampleBackColor(color); }
  void SetColor(TColor color) override { zoom_.SetColor(color); }
  void SetDrawBackground(bool value) override { zoom_.SetDrawBackground(value); }
  bool HasBackgroundPicture() const override { return !zoom_.BackgroundPicture().Empty(); }
  void SetBackgroundPicture(const Picture& tile) override { zoom_.SetBackgroundPicture(tile); }
  void Repaint() override {
    if (zoom_.Handle()) InvalidateRect(zoom_.Handle(), nullptr, FALSE);
  }

  // Window side --------------------------------------------------------------------------------
  TfmSVG& Form() { return form_; }

  void Relayout() {
    if (!hwnd_) return;
    RECT client{};
    GetClientRect(hwnd_, &client);
    TBottomBarPlacement p = PlaceBottomBar(layout_, {client.right, client.bottom}, panButtons_ && buttonsVisible_);
    MoveChild(scrollBox1_, p.ScrollBox);
    MoveChild(panBottom_, p.Bar);
    MoveChild(panButtons_, p.Buttons);
    MoveChild(panInfo_, p.Info);
    MoveChild(sbtPrev_, p.Prev);
    MoveChild(sbtNext_, p.Next);
    if (imgMain_) MoveChild(imgMain_, {0, 0, p.ScrollBox.Width(), p.ScrollBox.Height()});
    // The image box has its new size by now, so the scale shown follows the new fit.
    Size scrollBox{p.ScrollBox.Width(), p.ScrollBox.Height()};
    if (imgMain_ && !(scrollBox == scrollBoxSize_)) {
      scrollBoxSize_ = scrollBox;
      Guarded([&] { form_.ScrollBox1Resize(); });
    }
  }

  // The context menu belongs to the picture: a right click on the bottom bar opens none.
  bool OwnsContextMenu(HWND from) const { return from == imgMain_ || from == scrollBox1_ || from == hwnd_; }

  // The context menu at a screen point; (-1, -1) from the keyboard: at the box's corner. The
  // menu sends its notifications (the submenu's WM_INITMENUPOPUP shows "Screen Double Size" by
  // the Shift state when it opens); TPM_RETURNCMD keeps the choice out of WM_COMMAND.
  void ShowPopupMenu(LPARAM where) {
    POINT at{static_cast<short>(LOWORD(where)), static_cast<short>(HIWORD(where))};
    if (where == -1) {
      at = {0, 0};
      ClientToScreen(imgMain_, &at);
    }
    std::vector<TMenuItem> items = form_.PopupMenuItems(GetKeyState(VK_SHIFT) < 0);
    TMenuHandle menu;
    reloadSubmenu_ = nullptr;
    AppendMenuItems(menu.Get(), items, &reloadSubmenu_);
    const UINT command = static_cast<UINT>(
        TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd_, nullptr));
    reloadSubmenu_ = nullptr;
    if (command != 0) form_.MenuCommand(command);
  }

  // The reload submenu opens: "Screen Double Size" shows only with Shift held or when checked.
  void SubmenuOpening(HMENU submenu) {
    if (!submenu || submenu != reloadSubmenu_) return;
    while (GetMenuItemCount(submenu) > 0) DeleteMenu(submenu, 0, MF_BYPOSITION);
    AppendMenuItems(submenu, form_.ReloadSubmenuItems(GetKeyState(VK_SHIFT) < 0), nullptr);
  }

  // Touch input over the image box. The system reports pans; a quick, mostly horizontal one is a
  // swipe, which the form may turn into the next or previous file.
  static LRESULT CALLBACK GestureSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                              DWORD_PTR data) {
    if (message == WM_GESTURE) {
      try {
        auto* self = reinterpret_cast<TViewerWindow*>(data);
        if (self->Gesture(reinterpret_cast<HGESTUREINFO>(lParam))) {
          CloseGestureInfoHandle(reinterpret_cast<HGESTUREINFO>(lParam));
          return 0;
        }
      } catch (...) {
      }
    } else if (message == WM_NCDESTROY) {
      RemoveWindowSubclass(window, &GestureSubclassProc, 1);
    }
    return DefSubclassProc(window, message, wParam, lParam);
  }

  bool Gesture(HGESTUREINFO handle) {
    GESTUREINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGestureInfo(handle, &info)) return false;
    int32_t id = 0;
    if (info.dwID == GID_ZOOM) id = gesture::kZoom;
    if (info.dwID == GID_PAN) {
      if (info.dwFlags & GF_BEGIN) panStart_ = info.ptsLocation;
      id = gesture::kPan;
      if (info.dwFlags & GF_END) {
        id = SwipeGestureId(info.ptsLocation.x - panStart_.x, info.ptsLocation.y - panStart_.y,
                            ScreenPixelsPerInch());
        if (id == 0) id = gesture::kPan;
      }
    }
    if (id == 0) return false;
    bool handled = false;
    Guarded([&] { form_.ImageBoxGesture(id, handled); });
    return handled;
  }

  void PaintPanel(HWND panel) {
    TBufferedPaint paint(panel);
    int id = GetDlgCtrlID(panel);
    COLORREF back = id == idScrollBox1 ? RGB(255, 255, 255) : ColorToRGB(look_.Color);
    FillSolid(paint.Dc(), paint.Rect(), back);
    if (id == idPanInfo) {
      RECT r = paint.Rect();
      HGDIOBJ oldFont = SelectObject(paint.Dc(), font_.Get());
      SetBkMode(paint.Dc(), TRANSPARENT);
      SetTextColor(paint.Dc(), ColorToRGB(look_.FontColor));
      std::wstring text = Wide(status_);
      DrawTextW(paint.Dc(), text.c_str(), static_cast<int>(text.size()), &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
      SelectObject(paint.Dc(), oldFont);
    }
  }

  void PaintButton(HWND button, bool pressed) {
    TBufferedPaint paint(button);
    HDC dc = paint.Dc();
    RECT r = paint.Rect();
    FillSolid(dc, r, ColorToRGB(look_.Color));
    if (!look_.FlatButtons) DrawEdge(dc, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    else if (pressed) DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
    const Bitmap& glyph = GetDlgCtrlID(button) == idSbtPrev ? prevGlyph_ : nextGlyph_;
    if (!glyph.Empty()) {
      DrawGlyph(dc, glyph, GlyphPosition(ToRect(r), {glyph.width, glyph.height}, pressed));
      return;
    }
    // Until the arrow glyphs are assigned, a plain triangle in the bar's text colour.
    const std::array<Point, 3> corners = ArrowTriangle(ToRect(r), GetDlgCtrlID(button) == idSbtPrev, pressed);
    POINT tri[3];
    for (size_t i = 0; i < corners.size(); ++i) tri[i] = {corners[i].x, corners[i].y};
    COLORREF color = ColorToRGB(look_.FontColor);
    TGdiObject brush(CreateSolidBrush(color));
    TGdiObject pen(CreatePen(PS_SOLID, 1, color));
    HGDIOBJ oldBrush = SelectObject(dc, brush.Get());
    HGDIOBJ oldPen = SelectObject(dc, pen.Get());
    Polygon(dc, tri, 3);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
  }

  // The glyph keyed to the button face (KeyGlyphToFace).
  void DrawGlyph(HDC dc, const Bitmap& glyph, Point at) {
    Bitmap pixels;
    if (KeyGlyphToFace(glyph, ColorToRGB(look_.Color), pixels)) DrawBitmap(dc, pixels, at.x, at.y);
  }

  void ButtonClicked(HWND button) {
    TArrowButton sender = GetDlgCtrlID(button) == idSbtPrev ? TArrowButton::sbtPrev : TArrowButton::sbtNext;
    Guarded([&] { form_.sbtNextClick(sender); });
  }

  // Runs a command of the viewer; an error escaping it is shown once, here, and never reaches the
  // host's message loop.
  template <typename Fn>
  void Guarded(Fn&& fn) {
    try {
      fn();
    } catch (const std::exception& e) {
      try {
        form_.ApplicationEvents1Exception(e);
      } catch (...) {
      }
    } catch (...) {
      try {
        form_.ApplicationEvents1Exception(std::runtime_error("unknown error"));
      } catch (...) {
      }
    }
  }

  static bool BusyCursorShown() { return g_busyDepth > 0; }

  // The window procedures of the three classes, and their one error route.
  LRESULT FormMessage(HWND w, UINT m, WPARAM wp, LPARAM lp) { return FormWndProcImpl(this, w, m, wp, lp); }
  LRESULT PanelMessage(HWND w, UINT m, WPARAM wp, LPARAM lp) { return PanelWndProcImpl(this, w, m, wp, lp); }
  LRESULT SpeedButtonMessage(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return SpeedButtonWndProcImpl(this, w, m, wp, lp);
  }
  void OnWindowError(const std::exception& e) { form_.ApplicationEvents1Exception(e); }

 private:
  HWND CreateChild(const WindowClass& cls, DWORD style, HWND parent, int id) {
    HWND w = cls.Create(this, style, parent, Rect{}, id);
    if (!w) throw std::runtime_error("Cannot create a control of the viewer window");
    return w;
  }

  static bool CanFocus(HWND w) { return IsWindow(w) && IsWindowVisible(w) && IsWindowEnabled(w); }
  static void Repaint(HWND w) {
    if (w) RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
  }

  TfmSVG& form_;
  HWND lister_;
  HWND hwnd_ = nullptr;
  HWND scrollBox1_ = nullptr;
  HWND imgMain_ = nullptr;
  HWND panBottom_ = nullptr;
  HWND panButtons_ = nullptr;
  HWND panInfo_ = nullptr;
  HWND sbtPrev_ = nullptr;
  HWND sbtNext_ = nullptr;
  TBottomBarLook look_;
  TFormLayout layout_;
  Rect bounds_{};
  bool windowsMade_ = false;
  TGdiObject font_;
  std::string status_ = "Info";
  bool destroyedFromOutside_ = false;
  bool destroyingItself_ = false;
  // The arrow buttons' own state, kept here: the form is still hidden while it is built, so the
  // windows' visibility says nothing yet.
  bool buttonsVisible_ = true;
  bool gesturesEnabled_ = false;
  POINTS panStart_{};
  HMENU reloadSubmenu_ = nullptr;
  Size scrollBoxSize_{-1, -1};
  Bitmap prevGlyph_, nextGlyph_;
  TViewerDialogsWin dialogs_;
  // Last member: its window goes before the rest of the object.
  imagebox::ZoomImageBoxWindow zoom_;
};

const WindowClass& FormClass() {
  static const WindowClass c{kViewerFormClass, &BoundWindowProc<TViewerWindow, &TViewerWindow::FormMessage>,
                             CS_DBLCLKS};
  return c;
}
const WindowClass& PanelClass() {
  static const WindowClass c{kPanelClass, &BoundWindowProc<TViewerWindow, &TViewerWindow::PanelMessage>,
                             CS_DBLCLKS};
  return c;
}
const WindowClass& SpeedButtonClass() {
  static const WindowClass c{kSpeedButtonClass,
                             &BoundWindowProc<TViewerWindow, &TViewerWindow::SpeedButtonMessage>, CS_DBLCLKS};
  return c;
}

bool HandleSetCursor(HWND window, LPARAM lParam) {
  if (LOWORD(lParam) != HTCLIENT || !TViewerWindow::BusyCursorShown()) return false;
  SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  return true;
}

LRESULT FormWndProcImpl(TViewerWindow* self, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      self->FormDestroying();
      break;
    case WM_NCDESTROY:
      self->FormDestroyed();
      break;
    case WM_ERASEBKGND:
      return 1;  // the controls cover the whole form
    case WM_SIZE:
      self->Relayout();
      return 0;
    case WM_SETFOCUS:
      self->Guarded([&] { self->Form().WMSetFocus(); });
      return 0;
    case WM_SHOWWINDOW:
      if (wParam) self->Guarded([&] { self->Form().FormShow(); });
      break;
    case WM_CONTEXTMENU:
      if (self->OwnsContextMenu(reinterpret_cast<HWND>(wParam))) self->Guarded([&] { self->ShowPopupMenu(lParam); });
      return 0;
    case WM_INITMENUPOPUP:
      self->Guarded([&] { self->SubmenuOpening(reinterpret_cast<HMENU>(wParam)); });
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      // Keys reach the form itself only while the image box cannot have the focus.
      uint16_t key = static_cast<uint16_t>(wParam);
      self->Guarded([&] { self->Form().FormKeyDown(key, KeyboardShiftState()); });
      if (key == 0) return 0;
      break;
    }
    case WM_MBUTTONDOWN:
      self->Guarded([&] { self->Form().FormMouseDown(MouseButton::Middle); });
      return 0;
    case WM_SETCURSOR:
      if (HandleSetCursor(window, lParam)) return TRUE;
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT PanelWndProcImpl(TViewerWindow* self, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      self->PaintPanel(window);
      return 0;
    case WM_SIZE:
      if (GetDlgCtrlID(window) == idPanInfo) InvalidateRect(window, nullptr, FALSE);
      break;
    case WM_SETCURSOR:
      if (HandleSetCursor(window, lParam)) return TRUE;
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// A button pressed with the left mouse button and released over it is a click. The pressed look is
// kept in the window's property list, so the button needs no state of its own.
LRESULT SpeedButtonWndProcImpl(TViewerWindow* self, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  constexpr wchar_t kPressed[] = L"PictaraPressed";
  if (message == WM_NCDESTROY) {
    RemovePropW(window, kPressed);
    return DefWindowProcW(window, message, wParam, lParam);
  }
  auto setPressed = [&](bool pressed) {
    if ((GetPropW(window, kPressed) != nullptr) == pressed) return;
    if (pressed) SetPropW(window, kPressed, reinterpret_cast<HANDLE>(1));
    else RemovePropW(window, kPressed);
    InvalidateRect(window, nullptr, FALSE);
  };
  auto inside = [&] {
    RECT r{};
    GetClientRect(window, &r);
    POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    return PtInRect(&r, p) != 0;
  };
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      self->PaintButton(window, GetPropW(window, kPressed) != nullptr);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      SetCapture(window);
      setPressed(true);
      return 0;
    case WM_MOUSEMOVE:
      if (GetCapture() == window) setPressed(inside());
      return 0;
    case WM_LBUTTONUP: {
      bool click = GetCapture() == window && inside();
      ReleaseCapture();
      setPressed(false);
      if (click) self->ButtonClicked(window);
      return 0;
    }
    case WM_CAPTURECHANGED:
      setPressed(false);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

std::unique_ptr<TfmSVG> CreateParentedWin(HWND ParentWnd, const std::string& FileName, uintptr_t& HandleResult,
                                          bool DarkMode) {
  TViewerEnvironment env;
  env.CreateView = [ParentWnd](TfmSVG& form) { return std::make_unique<TViewerWindow>(form, ParentWnd); };
  env.RereadSettings = [] { LoadSettings(); };
  return TfmSVG::CreateParented(env, FileName, HandleResult, DarkMode);
}

void NoteViewerWindowDestroying(HWND viewerWindow) {
  wchar_t cls[64] = {};
  if (!GetClassNameW(viewerWindow, cls, 64) || wcscmp(cls, kViewerFormClass) != 0) return;
  if (auto* self = ObjectOf<TViewerWindow>(viewerWindow)) self->NoteDestroying();
}

}  // namespace pictara
