// The image box without its window: the state and every decision of the zoomable, scrollable
// picture view (fit, zoom steps, centring, keep-the-centre, panning by drag, wheel and keys).
//
// The window side (zoom_image_box_win.cpp) owns a TZoomImageBox, feeds it the window's size and
// the user's input, and applies what it is told through IZoomBoxView: scroll bars (range,
// position, visibility), the inner image's bounds, the application-wide cursor and the focus.
// Tests drive the same object with a fake view, so every number is checked without a window.
//
// Scroll bars are modelled here too: a bar is shown when its range exceeds the client extent,
// which in turn shrinks the other extent, and positions are kept within 0 … range − extent.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>

#include "base/shift_state.h"
#include "imagebox/zoom_geometry.h"

namespace pictara::imagebox {

// Cursor ids of the platform's standard set.
inline constexpr int32_t crDefault = 0;
inline constexpr int32_t crSizeAll = -22;  // four-way move
inline constexpr int32_t crSizeNS = -7;    // vertical resize

// Virtual-key codes the box reacts to (the values Windows uses).
inline constexpr uint16_t kKeyPageUp = 0x21, kKeyPageDown = 0x22, kKeyEnd = 0x23, kKeyHome = 0x24,
                          kKeyLeft = 0x25, kKeyUp = 0x26, kKeyRight = 0x27, kKeyDown = 0x28;

// Distance of one arrow-key or wheel step, in pixels.
inline constexpr int32_t kScrollStep = 50;

class EImageBoxError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct ScrollBarState {
  int32_t range = 0;
  int32_t position = 0;
  bool visible = false;
  friend bool operator==(const ScrollBarState&, const ScrollBarState&) = default;
};

// What the window side does on the box's behalf.
class IZoomBoxView {
 public:
  virtual ~IZoomBoxView() = default;
  // Scroll bars or the image's bounds changed: update the bars and repaint.
  virtual void LayoutChanged() = 0;
  // The application-wide cursor (crDefault, crSizeAll, crSizeNS or any other id set by the user).
  virtual void SetAppCursor(int32_t cursorId) = 0;
  virtual void TakeFocus() = 0;
};

// Who raised a mouse-down: the picture or the box around it.
enum class MouseSender { Box, Image };

// The inner image as the box sees it: bounds in box client coordinates and the two flags the
// layout decides.
struct ZoomImageLayout {
  Rect bounds;
  bool autoSize = false;
  bool stretch = false;
};

class TZoomImageBox {
 public:
  explicit TZoomImageBox(IZoomBoxView* view = nullptr) : view_(view) {}

  // ---- Window geometry -----------------------------------------------------------------------
  // The area the box covers (its client area with no scroll bars shown) and the thickness of the
  // bars. This is the box's resize: the layout follows, keeping the centre point.
  void SetBounds(Size area, int32_t vertBarWidth, int32_t horzBarHeight);
  Size Area() const { return area_; }
  // Client size with the bars currently shown taken away.
  Size ClientSize() const;

  // ---- Picture ---------------------------------------------------------------------------------
  // After a new picture was assigned: scale 100, layout from the top-left corner. A size with no
  // area means "no graphic": the sizes become 0 and nothing is laid out.
  void UpdateImageInfo(Size natural);
  int32_t ImageWidth() const { return imageWidth_; }
  int32_t ImageHeight() const { return imageHeight_; }
  const ZoomImageLayout& Image() const { return image_; }

  // ---- Zoom --------------------------------------------------------------------------------------
  int32_t ImageScale() const { return scale_; }
  // Leaves fit mode, keeps the centre point, raises OnOptionsChange. Throws EImageBoxError
  // ("Invalid scale value") outside 0 … 32766 and then changes nothing.
  void SetImageScale(int32_t value);
  void IncreaseImageScale(bool increment);

  // ---- Options (each re-lays out from the top-left corner when it changes) ---------------------
  bool ImageFitToWindow() const { return fitToWindow_; }
  void SetImageFitToWindow(bool value);
  bool ImageFitOnlyBig() const { return fitOnlyBig_; }
  void SetImageFitOnlyBig(bool value);
  bool ImageFitWidth() const { return fitWidth_; }
  void SetImageFitWidth(bool value);
  bool ImageFitHeight() const { return fitHeight_; }
  void SetImageFitHeight(bool value);
  bool ImageCenter() const { return center_; }
  void SetImageCenter(bool value);
  // Plain fields: they only matter at the next layout or drag.
  bool ImageKeepPosition = true;
  bool ImageDrag = true;
  bool Focusable = true;
  int32_t ImageDragCursor = crSizeAll;
  int32_t ImageScaleCursor = crSizeNS;

  // ---- Scrolling ---------------------------------------------------------------------------------
  const ScrollBarState& HorzScrollBar() const { return horz_; }
  const ScrollBarState& VertScrollBar() const { return vert_; }
  // Move a bar (clamped); the image moves with it. No OnScroll: the caller decides.
  void SetHorzPosition(int32_t position);
  void SetVertPosition(int32_t position);
  // A scroll bar was moved by the user (already clamped by the bar): position, then DoScroll.
  void ScrollBarMoved(bool horizontal, int32_t position);

  // ---- Input ---------------------------------------------------------------------------------------
  // Key-down with the box focused. Sets key to 0 when consumed; returns whether it was.
  bool KeyDown(uint16_t& key, ShiftState shift);
  // One wheel step. Always handled: default wheel scrolling never takes place.
  bool MouseWheel(bool up, ShiftState shift);
  void ImageMouseDown(MouseButton button, ShiftState shift, PicturePoint p);
  void ImageMouseMove(ShiftState shift, PicturePoint p);
  void ImageMouseUp(MouseButton button, ShiftState shift, PicturePoint p);
  // A press on the box outside the picture.
  void BoxMouseDown(MouseButton button, ShiftState shift, ClientPoint p);
  // Box client point to picture point, by the image's current bounds.
  PicturePoint ToPicture(ClientPoint p) const;
  bool Dragging() const { return dragging_; }
  bool ImageMouseIsDown() const { return mouseDown_; }

  // ---- Events -----------------------------------------------------------------------------------
  std::function<void()> OnScroll;
  std::function<void(bool inc)> OnScrollAlt;
  std::function<void()> OnOptionsChange;
  std::function<void(MouseSender, MouseButton, ShiftState, int32_t x, int32_t y)> OnMouseDown;

 private:
  void LayoutImage(bool resetPosition);
  void LayoutOnce(bool resetPosition);
  void SetRanges(int32_t horizontal, int32_t vertical);
  void DoScroll();
  void DoScrollAlt(bool inc);
  void Changed();
  void SetCursor(int32_t id);
  void ScrollBy(bool horizontal, int32_t delta);

  IZoomBoxView* view_;
  Size area_;
  int32_t vertBarWidth_ = 0, horzBarHeight_ = 0;
  ScrollBarState horz_, vert_;
  ZoomImageLayout image_;
  ClientPoint offset_;  // where the picture sits at scroll position 0

  int32_t imageWidth_ = 0, imageHeight_ = 0;
  int32_t scale_ = 100;
  bool fitToWindow_ = false;
  bool fitOnlyBig_ = true;
  bool fitWidth_ = false;
  bool fitHeight_ = false;
  bool center_ = true;

  bool dragging_ = false;
  PicturePoint dragPoint_;
  bool mouseDown_ = false;
  int layoutDepth_ = 0;
};

}  // namespace pictara::imagebox
