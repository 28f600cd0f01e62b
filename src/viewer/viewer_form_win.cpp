#include "viewer/viewer_form_win.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "imagebox/zoom_image_box_win.h"
#include "platform/utf.h"
#include "render/wic_resize_win.h"
#include "platform/window_win.h"
#include "settings/settings.h"
#include "viewer/form_layout.h"
#include "viewer/viewer_dialogs_win.h"

// The module this code is linked into: the plug-in library, never the host program.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace pictara {

namespace {

HINSTANCE OwnModule() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

constexpr wchar_t kPanelClass[] = L"PictaraPanel";
// The arrow buttons never take the focus, so that the keys keep going to the picture.
constexpr wchar_t kSpeedButtonClass[] = L"PictaraSpeedButton";

// Control ids: they tell the panels and buttons apart in the shared window procedures.
enum ControlId : int {
  idScrollBox1 = 1,
  idImgMain,
  idPanBottom,
  idPanButtons,
  idPanInfo,
  idSbtPrev,
  idSbtNext,
};

COLORREF ColorToRGB(TColor c) {
  return IsSystemColor(c) ? GetSysColor(static_cast<int>(c & 0xFF)) : static_cast<COLORREF>(c & 0x00FFFFFF);
}

std::wstring Wide(const std::string& utf8) {
  std::u16string w = Utf8ToUtf16(utf8);
  return std::wstring(w.begin(), w.end());
}

// The busy cursor is process-wide: every plug-in window shows it while a file is rendered.
int g_busyDepth = 0;

// The arrow glyphs are shared by every viewer: loaded at the first show of any viewer, at that
// screen's density, and kept until the library goes (they hold no system handles).
struct TArrowGlyphs {
  bool Loaded = false;
  Bitmap Left, Right;
};
TArrowGlyphs g_arrowGlyphs;

// Modifier keys and mouse buttons held now, in the form's terms.
TShiftState CurrentShiftState() {
  TShiftState s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  if (GetKeyState(VK_LBUTTON) < 0) s |= ssLeft;
  if (GetKeyState(VK_RBUTTON) < 0) s |= ssRight;
  if (GetKeyState(VK_MBUTTON) < 0) s |= ssMiddle;
  return s;
}

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
      if (item.Command == mcReloadImage) {
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

void MoveChild(HWND child, const TFormRect& r) {
  if (child) MoveWindow(child, r.Left, r.Top, r.Width(), r.Height(), TRUE);
}

class TViewerWindow;
LRESULT FormWndProcImpl(HWND, UINT, WPARAM, LPARAM);
LRESULT PanelWndProcImpl(HWND, UINT, WPARAM, LPARAM);
LRESULT SpeedButtonWndProcImpl(HWND, UINT, WPARAM, LPARAM);

// No exception may unwind into the system's or the host's message loop. Commands report theirs
// through the viewer's error report (TViewerWindow::Guarded); anything else (painting, layout)
// falls back to the default handling.
template <LRESULT (*Impl)(HWND, UINT, WPARAM, LPARAM)>
LRESULT CALLBACK SafeWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    return Impl(window, message, wParam, lParam);
  } catch (...) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
}

constexpr WNDPROC FormWndProc = &SafeWndProc<FormWndProcImpl>;
constexpr WNDPROC PanelWndProc = &SafeWndProc<PanelWndProcImpl>;
constexpr WNDPROC SpeedButtonWndProc = &SafeWndProc<SpeedButtonWndProcImpl>;

bool g_classesRegistered = false;

void RegisterViewerClasses() {
  if (g_classesRegistered) return;
  HINSTANCE module = OwnModule();
  struct ClassInfo {
    const wchar_t* name;
    WNDPROC proc;
    HBRUSH background;
  } const classes[] = {
      // One pointer of extra window bytes holds the window's object; GWLP_USERDATA of the form
      // belongs to the host side's viewer link.
      {kViewerFormClass, FormWndProc, nullptr},
      {kPanelClass, PanelWndProc, nullptr},
      {kSpeedButtonClass, SpeedButtonWndProc, nullptr},
  };
  for (const ClassInfo& c : classes) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (GetClassInfoExW(module, c.name, &wc)) continue;
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = c.proc;
    wc.cbWndExtra = sizeof(void*);
    wc.hInstance = module;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = c.background;
    wc.lpszClassName = c.name;
    if (!RegisterClassExW(&wc)) throw std::runtime_error("Cannot register the viewer window class");
  }
  g_classesRegistered = true;
}

template <typename T>
T* ObjectOf(HWND window) {
  return reinterpret_cast<T*>(GetWindowLongPtrW(window, 0));
}

// ----------------------------------------------------------------------------------------------

class TViewerWindow final : public IViewerView, public IListerWindow, public ICursor, public IImageBox {
 public:
  TViewerWindow(TfmSVG& form, HWND lister) : form_(form), lister_(lister) {
    RegisterViewerClasses();
    hwnd_ = CreateWindowExW(0, kViewerFormClass, L"Pictara", WS_CHILD | WS_MAXIMIZE, 0, 0, 0, 0, lister, nullptr,
                            OwnModule(), this);
    if (!hwnd_) throw std::runtime_error("Cannot create the viewer window");
    dialogs_.SetOwner(hwnd_);
    try {
      const DWORD child = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
      scrollBox1_ = CreateChild(kPanelClass, child, hwnd_, idScrollBox1);
      panBottom_ = CreateChild(kPanelClass, child, hwnd_, idPanBottom);
      panButtons_ = CreateChild(kPanelClass, child, panBottom_, idPanButtons);
      panInfo_ = CreateChild(kPanelClass, child, panBottom_, idPanInfo);
      sbtPrev_ = CreateChild(kSpeedButtonClass, WS_CHILD | WS_VISIBLE, panButtons_, idSbtPrev);
      sbtNext_ = CreateChild(kSpeedButtonClass, WS_CHILD | WS_VISIBLE, panButtons_, idSbtNext);
      ApplyLayout(layout_);
    } catch (...) {
      // No destructor runs for a half-built object: its windows must not outlive it.
      DestroyWindow(hwnd_);
      throw;
    }
  }

  ~TViewerWindow() override {
    if (!hwnd_) return;
    if (destroyedFromOutside_) {
      // The windows go away with the host's Lister window; only cut them loose from this object.
      for (HWND w : {hwnd_, scrollBox1_, panBottom_, panButtons_, panInfo_, sbtPrev_, sbtNext_})
        if (w) SetWindowLongPtrW(w, 0, 0);
      // The image box destroys its own window with its object, below.
    } else {
      DestroyWindow(hwnd_);
    }
  }

  void NoteDestroying() { destroyedFromOutside_ = true; }

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
      zoom_.OnKeyPreview = [this](uint16_t& key, imagebox::ShiftState shift) {
        form_.FormKeyDown(key, static_cast<TShiftState>(shift));
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

  void SetBounds(const TFormRect& b) override {
    SetWindowPos(hwnd_, nullptr, b.Left, b.Top, b.Width(), b.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    Relayout();
  }

  TFormSize ScrollBoxClientSize() const override {
    RECT r{};
    GetClientRect(scrollBox1_, &r);
    return {r.right - r.left, r.bottom - r.top};
  }

  TFormSize ScreenSize() const override { return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

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
    HWND owner = hwnd_;
    HWND active = GetActiveWindow();
    HWND activeForm = nullptr;
    if (active && active != hwnd_ && reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(active, GWLP_HINSTANCE)) == OwnModule()) {
      activeForm = active;
      owner = active;
    }
    HWND focused = GetFocus();
    HWND control = (focused && (focused == owner || IsChild(owner, focused))) ? focused : nullptr;
    std::wstring wideText = Wide(text);
    std::wstring wideCaption = Wide(caption);
    MessageBoxW(owner, wideText.c_str(), wideCaption.c_str(), MB_ICONWARNING);
    if (activeForm && CanFocus(activeForm)) SetFocus(activeForm);
    if (control && CanFocus(control)) SetFocus(control);
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
    g_busyDepth += busy ? 1 : -1;
    if (g_busyDepth < 0) g_busyDepth = 0;
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
    // The panel's own flag: the form itself is still hidden while it is built.
    bool buttonsVisible = panButtons_ && (GetWindowLongPtrW(panButtons_, GWL_STYLE) & WS_VISIBLE) != 0;
    TBottomBarPlacement p = PlaceBottomBar(layout_, {client.right, client.bottom}, buttonsVisible);
    MoveChild(scrollBox1_, p.ScrollBox);
    MoveChild(panBottom_, p.Bar);
    MoveChild(panButtons_, p.Buttons);
    MoveChild(panInfo_, p.Info);
    MoveChild(sbtPrev_, p.Prev);
    MoveChild(sbtNext_, p.Next);
    if (imgMain_) MoveChild(imgMain_, {0, 0, p.ScrollBox.Width(), p.ScrollBox.Height()});
    // The image box has its new size by now, so the scale shown follows the new fit.
    TFormSize scrollBox{p.ScrollBox.Width(), p.ScrollBox.Height()};
    if (imgMain_ && !(scrollBox == scrollBoxSize_)) {
      scrollBoxSize_ = scrollBox;
      Guarded([&] { form_.ScrollBox1Resize(); });
    }
  }

  // The context menu at a screen point; (-1, -1) from the keyboard: at the box's corner.
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
        TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, hwnd_, nullptr));
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
      DrawGlyph(dc, glyph, (r.left + r.right - glyph.width) / 2 + (pressed ? 1 : 0),
                (r.top + r.bottom - glyph.height) / 2 + (pressed ? 1 : 0));
      return;
    }
    // Until the arrow glyphs are assigned, a plain triangle in the bar's text colour.
    int size = (r.bottom - r.top) / 4;
    int cx = (r.left + r.right) / 2 + (pressed ? 1 : 0);
    int cy = (r.top + r.bottom) / 2 + (pressed ? 1 : 0);
    int dir = GetDlgCtrlID(button) == idSbtPrev ? -1 : 1;
    POINT tri[3] = {{cx + dir * size, cy}, {cx - dir * size / 2, cy - size}, {cx - dir * size / 2, cy + size}};
    COLORREF color = ColorToRGB(look_.FontColor);
    TGdiObject brush(CreateSolidBrush(color));
    TGdiObject pen(CreatePen(PS_SOLID, 1, color));
    HGDIOBJ oldBrush = SelectObject(dc, brush.Get());
    HGDIOBJ oldPen = SelectObject(dc, pen.Get());
    Polygon(dc, tri, 3);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
  }

  // A glyph's colour at its bottom-left corner is its transparent colour, as for speed buttons:
  // those pixels show the button face.
  void DrawGlyph(HDC dc, const Bitmap& glyph, int x, int y) {
    Bitmap pixels = glyph;
    if (pixels.pixelFormat != PixelFormat::pf32bit && !pixels.ConvertTo(PixelFormat::pf32bit)) return;
    const COLORREF face = ColorToRGB(look_.Color);
    const uint8_t* key = pixels.Row(pixels.height - 1);
    const uint8_t kb = key[0], kg = key[1], kr = key[2];
    for (int32_t row = 0; row < pixels.height; ++row) {
      uint8_t* p = pixels.Row(row);
      for (int32_t col = 0; col < pixels.width; ++col, p += 4) {
        if (p[0] == kb && p[1] == kg && p[2] == kr) {
          p[0] = GetBValue(face);
          p[1] = GetGValue(face);
          p[2] = GetRValue(face);
        }
        p[3] = 0;
      }
    }
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = pixels.width;
    bi.bmiHeader.biHeight = pixels.bottomUp ? pixels.height : -pixels.height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(pixels.width), static_cast<DWORD>(pixels.height), 0, 0, 0,
                      static_cast<UINT>(pixels.height), pixels.bits.data(), &bi, DIB_RGB_COLORS);
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

 private:
  HWND CreateChild(const wchar_t* cls, DWORD style, HWND parent, int id) {
    HWND w = CreateWindowExW(0, cls, L"", style, 0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             OwnModule(), this);
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
  TImageBoxSetup imageBoxSetup_;
  TGdiObject font_;
  std::string status_ = "Info";
  bool destroyedFromOutside_ = false;
  bool gesturesEnabled_ = false;
  POINTS panStart_{};
  HMENU reloadSubmenu_ = nullptr;
  TFormSize scrollBoxSize_{-1, -1};
  Bitmap prevGlyph_, nextGlyph_;
  TViewerDialogsWin dialogs_;
  // Last member: its window goes before the rest of the object.
  imagebox::ZoomImageBoxWindow zoom_;
};

// Binds the object passed in lpCreateParams to the window's extra bytes.
void BindOnCreate(HWND window, UINT message, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
}

bool HandleSetCursor(HWND window, LPARAM lParam) {
  if (LOWORD(lParam) != HTCLIENT || !TViewerWindow::BusyCursorShown()) return false;
  SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  return true;
}

LRESULT FormWndProcImpl(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  BindOnCreate(window, message, lParam);
  TViewerWindow* self = ObjectOf<TViewerWindow>(window);
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
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
      self->Guarded([&] { self->ShowPopupMenu(lParam); });
      return 0;
    case WM_INITMENUPOPUP:
      self->Guarded([&] { self->SubmenuOpening(reinterpret_cast<HMENU>(wParam)); });
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      // Keys reach the form itself only while the image box cannot have the focus.
      uint16_t key = static_cast<uint16_t>(wParam);
      self->Guarded([&] { self->Form().FormKeyDown(key, CurrentShiftState()); });
      if (key == 0) return 0;
      break;
    }
    case WM_MBUTTONDOWN:
      self->Guarded([&] { self->Form().FormMouseDown(TMouseButton::Middle); });
      return 0;
    case WM_SETCURSOR:
      if (HandleSetCursor(window, lParam)) return TRUE;
      break;
    case WM_NCDESTROY:
      SetWindowLongPtrW(window, 0, 0);
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT PanelWndProcImpl(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  BindOnCreate(window, message, lParam);
  TViewerWindow* self = ObjectOf<TViewerWindow>(window);
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
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
    case WM_NCDESTROY:
      SetWindowLongPtrW(window, 0, 0);
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// A button pressed with the left mouse button and released over it is a click. The pressed look is
// kept in the window's property list, so the button needs no state of its own.
LRESULT SpeedButtonWndProcImpl(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  constexpr wchar_t kPressed[] = L"PictaraPressed";
  BindOnCreate(window, message, lParam);
  if (message == WM_NCDESTROY) {
    RemovePropW(window, kPressed);
    SetWindowLongPtrW(window, 0, 0);
    return DefWindowProcW(window, message, wParam, lParam);
  }
  TViewerWindow* self = ObjectOf<TViewerWindow>(window);
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
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

void UnregisterViewerClasses() {
  if (!g_classesRegistered) return;
  for (const wchar_t* name : {kViewerFormClass, kPanelClass, kSpeedButtonClass})
    UnregisterClassW(name, OwnModule());
  g_classesRegistered = false;
}

}  // namespace pictara
