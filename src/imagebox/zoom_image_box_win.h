// The image box as a Win32 control: a double-buffered scroll box that shows one picture fitted or
// zoomed, pans by drag, wheel, keys and its scroll bars, and paints the picture quickly scaled at
// once and smoothly resampled after a pause.
//
// All decisions are made by the portable TZoomImageBox (Box()); this window feeds it the window's
// size and the user's input and applies what it is told. Typical use by the viewer:
//
//   ZoomImageBoxWindow box;
//   box.Create(parent, rect);                    // child window, no border
//   box.Box().SetImageFitToWindow(true);         // options, events: see zoom_image_box.h
//   box.Box().OnOptionsChange = [&] { ... };
//   box.SetColor(...); box.SetResample(true); box.SetResampleBackColor(...);
//   box.SetPicture(std::move(picture)); box.UpdateImageInfo();
//
// Messages the viewer may rely on: WM_CONTEXTMENU goes to the default procedure, so it reaches
// the parent; the box takes the focus on a click and wants the arrow keys. Exceptions raised by
// callbacks never leave the window procedure: they go to OnError (or are dropped without one).
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "imagebox/surface.h"
#include "imagebox/zoom_image.h"
#include "imagebox/zoom_image_box.h"

namespace pictara::imagebox {

class ZoomImageBoxWindow : private IZoomBoxView {
 public:
  ZoomImageBoxWindow();
  ~ZoomImageBoxWindow() override;
  ZoomImageBoxWindow(const ZoomImageBoxWindow&) = delete;
  ZoomImageBoxWindow& operator=(const ZoomImageBoxWindow&) = delete;

  // Creates the window as a visible child of `parent` covering `bounds` (parent client
  // coordinates). False when the window cannot be made (or already exists).
  bool Create(HWND parent, const RECT& bounds, int controlId = 0);
  // The window class lives in the module that holds this code; registered by the first Create
  // (platform/window_win.h), released with the plug-in's other classes.
  HWND Handle() const { return hwnd_; }

  // Zoom, fit, scrolling, options and the box's events.
  TZoomImageBox& Box() { return box_; }
  const TZoomImageBox& Box() const { return box_; }

  // ---- The picture (the inner image) ------------------------------------------------------------
  // Takes the picture; call UpdateImageInfo afterwards, as after every new picture.
  void SetPicture(Picture picture);
  const Picture& GetPicture() const { return picture_; }
  // Scale 100 and layout from the top-left corner for the picture now held.
  void UpdateImageInfo();

  // ---- Colours and painting options --------------------------------------------------------------
  void SetColor(TColor color);  // the box around the picture
  TColor Color() const { return color_; }
  const ZoomImageOptions& ImageOptions() const { return options_; }
  void SetProportional(bool value);
  void SetCenter(bool value);
  void SetTransparent(bool value);
  void SetResample(bool value);
  void SetResampleDelay(int32_t milliseconds);
  void SetResampleBackColor(TColor color);
  void SetDrawBackground(bool value);
  // The tile painted under the picture with DrawBackground on; an empty bitmap means none. A PNG
  // image is held as the bitmap it converts to.
  void SetBackgroundPicture(const Bitmap& tile);
  void SetBackgroundPicture(const Picture& tile);
  const Bitmap& BackgroundPicture() const { return tile_; }

  // ---- Label at the box's top-left corner (hidden until shown; clicks pass through it) ----------
  void SetLabelText(const std::string& utf8);
  void ShowLabel(bool visible);
  HWND LabelHandle() const { return label_; }

  // ---- Events -------------------------------------------------------------------------------------
  // Sees every key before the box; set key to 0 to consume it.
  std::function<void(uint16_t& key, ShiftState shift)> OnKeyPreview;
  // After every paint of the picture: the surface and the display rectangle (box coordinates).
  std::function<void(HDC dc, const Rect& display)> OnAfterPaint;
  // After a resampled paint.
  std::function<void()> OnPaint;
  std::function<void(const std::exception&)> OnError;

  // For tests and benchmarks: paint the picture now, as a window paint would (stretched, maybe
  // arming the timer) or as the timer would (resampled).
  void PaintNow();
  void ResampleNow();
  bool ResampleTimerRunning() const { return timerRunning_; }
  // How the last paint of the picture was done.
  enum class LastPaint { None, Stretched, Resampled };
  LastPaint LastPicturePaint() const { return lastPaint_; }

  // The window procedure's side (platform/window_win.h): messages, and the error route.
  LRESULT OnMessage(HWND window, UINT msg, WPARAM wp, LPARAM lp);
  void OnWindowError(const std::exception& e);

 private:
  struct Gdi;  // GDI objects (DIB sections, memory DCs, brushes): zoom_image_box_win.cpp


  // IZoomBoxView
  void LayoutChanged() override;
  void SetAppCursor(int32_t cursorId) override;
  void TakeFocus() override;

  void ApplyScrollBars();
  void SyncBounds();
  void PictureChanged();
  void OnPaintMessage();
  void PaintBox(const RECT& paint);
  void PaintImage(const Rect& clip);
  void PaintStretched(const Rect& r, const Rect& clip);
  bool PaintResampled(const Rect& r, const Rect& clip);
  void PaintBackground(const Surface& surface, const Rect& r, const Rect& clip);
  void StopTimer();
  void StartTimer();
  Rect DisplayRect() const;  // in box coordinates
  void Guard(const std::function<void()>& body);
  void ReportError(const std::exception& e);

  struct AppliedBar {
    bool known = false;
    ScrollBarState state;
    int32_t extent = 0;
  };

  HWND hwnd_ = nullptr;
  HWND label_ = nullptr;
  AppliedBar appliedHorz_, appliedVert_;
  TZoomImageBox box_{this};
  Picture picture_;
  ZoomImageOptions options_;
  Bitmap tile_;
  TColor color_ = 0x00FFFFFF;
  int32_t cursor_ = crDefault;
  bool applying_ = false;
  bool drawing_ = false;
  bool timerRunning_ = false;
  bool captureOnImage_ = false;
  int wheelRest_ = 0;
  LastPaint lastPaint_ = LastPaint::None;
  std::unique_ptr<Gdi> gdi_;
};

}  // namespace pictara::imagebox
