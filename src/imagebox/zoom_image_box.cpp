#include "imagebox/zoom_image_box.h"

namespace pictara::imagebox {

void TZoomImageBox::SetBounds(Size area, int32_t vertBarWidth, int32_t horzBarHeight) {
  area_ = area;
  vertBarWidth_ = vertBarWidth;
  horzBarHeight_ = horzBarHeight;
  // The bars may no longer be needed (or be needed now) before the layout looks at the client.
  SetRanges(horz_.range, vert_.range);
  LayoutImage(false);
}

Size TZoomImageBox::ClientSize() const {
  return {area_.width - (vert_.visible ? vertBarWidth_ : 0),
          area_.height - (horz_.visible ? horzBarHeight_ : 0)};
}

void TZoomImageBox::UpdateImageInfo(Size natural) {
  imageWidth_ = 0;
  imageHeight_ = 0;
  scale_ = 100;
  if (natural.width <= 0 || natural.height <= 0) return;
  imageWidth_ = natural.width;
  imageHeight_ = natural.height;
  LayoutImage(true);
}

void TZoomImageBox::SetImageScale(int32_t value) {
  if (value < 0 || value > MaxImageScale) throw EImageBoxError("Invalid scale value");
  if (value == scale_) return;
  scale_ = value;
  fitToWindow_ = false;  // the field only: a zoom leaves fit mode but keeps the centre point
  LayoutImage(false);
  if (OnOptionsChange) OnOptionsChange();
}

void TZoomImageBox::IncreaseImageScale(bool increment) {
  const int32_t next = NextZoomStep(scale_, increment);
  if (next != scale_) SetImageScale(next);
}

void TZoomImageBox::SetImageFitToWindow(bool value) {
  if (value == fitToWindow_) return;
  if (!value) scale_ = 100;
  fitToWindow_ = value;
  LayoutImage(true);
}

void TZoomImageBox::SetImageFitOnlyBig(bool value) {
  if (value == fitOnlyBig_) return;
  fitOnlyBig_ = value;
  LayoutImage(true);
}

void TZoomImageBox::SetImageFitWidth(bool value) {
  if (value == fitWidth_) return;
  fitWidth_ = value;
  if (value) fitHeight_ = false;
  LayoutImage(true);
}

void TZoomImageBox::SetImageFitHeight(bool value) {
  if (value == fitHeight_) return;
  fitHeight_ = value;
  if (value) fitWidth_ = false;
  LayoutImage(true);
}

void TZoomImageBox::SetImageCenter(bool value) {
  if (value == center_) return;
  center_ = value;
  LayoutImage(true);
}

void TZoomImageBox::LayoutImage(bool resetPosition) {
  // Showing or hiding a scroll bar changes the client size, which is a resize of the box and lays
  // out again keeping the centre. Bars only ever appear for a larger picture, so two follow-ups
  // settle it.
  ++layoutDepth_;
  const Size before = ClientSize();
  LayoutOnce(resetPosition);
  for (int i = 0; i < 2 && ClientSize() != before; ++i) {
    const Size now = ClientSize();
    LayoutOnce(false);
    if (ClientSize() == now) break;
  }
  --layoutDepth_;
  DoScroll();
}

void TZoomImageBox::LayoutOnce(bool resetPosition) {
  const bool keep = ImageKeepPosition && !resetPosition;
  const Size client = ClientSize();

  // The picture point under the window centre, as a fraction of the displayed size.
  const double rx =
      RelativeCentre(client.width, image_.bounds.left, horz_.position, image_.bounds.Width());
  const double ry =
      RelativeCentre(client.height, image_.bounds.top, vert_.position, image_.bounds.Height());

  if (!keep) horz_.position = vert_.position = 0;

  image_.autoSize = !fitToWindow_ && scale_ == 100;
  image_.stretch = !image_.autoSize;

  Size shown;
  if (fitToWindow_) {
    const FitResult fit = FitImage({imageWidth_, imageHeight_}, client,
                                   {fitOnlyBig_, fitWidth_, fitHeight_}, scale_);
    shown = fit.displayed;
    scale_ = fit.scale;
  } else {
    shown = {ScaledExtent(scale_, imageWidth_), ScaledExtent(scale_, imageHeight_)};
  }
  offset_ = CenterOffset(shown, client, center_);

  SetRanges(shown.width, shown.height);
  if (keep) {
    horz_.position = KeepPosition(rx, shown.width, client.width, offset_.x);
    vert_.position = KeepPosition(ry, shown.height, client.height, offset_.y);
  }
  const Size now = ClientSize();
  horz_.position = ClampPosition(horz_.position, horz_.range, now.width);
  vert_.position = ClampPosition(vert_.position, vert_.range, now.height);
  image_.bounds = Rect::FromBounds(offset_.x - horz_.position, offset_.y - vert_.position,
                                   shown.width, shown.height);
}

void TZoomImageBox::SetRanges(int32_t horizontal, int32_t vertical) {
  horz_.range = horizontal;
  vert_.range = vertical;
  // Each bar shown takes room from the other direction, so decide from scratch until settled.
  bool h = false, v = false;
  for (int i = 0; i < 3; ++i) {
    const int32_t cw = area_.width - (v ? vertBarWidth_ : 0);
    const int32_t ch = area_.height - (h ? horzBarHeight_ : 0);
    const bool nh = horizontal > cw, nv = vertical > ch;
    if (nh == h && nv == v) break;
    h = nh;
    v = nv;
  }
  horz_.visible = h;
  vert_.visible = v;
  const Size client = ClientSize();
  horz_.position = ClampPosition(horz_.position, horz_.range, client.width);
  vert_.position = ClampPosition(vert_.position, vert_.range, client.height);
  image_.bounds = Rect::FromBounds(offset_.x - horz_.position, offset_.y - vert_.position,
                                   image_.bounds.Width(), image_.bounds.Height());
}

void TZoomImageBox::SetHorzPosition(int32_t position) {
  horz_.position = ClampPosition(position, horz_.range, ClientSize().width);
  image_.bounds = Rect::FromBounds(offset_.x - horz_.position, image_.bounds.top,
                                   image_.bounds.Width(), image_.bounds.Height());
  Changed();
}

void TZoomImageBox::SetVertPosition(int32_t position) {
  vert_.position = ClampPosition(position, vert_.range, ClientSize().height);
  image_.bounds = Rect::FromBounds(image_.bounds.left, offset_.y - vert_.position,
                                   image_.bounds.Width(), image_.bounds.Height());
  Changed();
}

void TZoomImageBox::ScrollBarMoved(bool horizontal, int32_t position) {
  if (horizontal)
    SetHorzPosition(position);
  else
    SetVertPosition(position);
  DoScroll();
}

void TZoomImageBox::ScrollBy(bool horizontal, int32_t delta) {
  if (horizontal)
    SetHorzPosition(horz_.position + delta);
  else
    SetVertPosition(vert_.position + delta);
}

bool TZoomImageBox::KeyDown(uint16_t& key, ShiftState shift) {
  const Size client = ClientSize();
  if (shift == ssNone) {
    switch (key) {
      case kKeyLeft: ScrollBy(true, -kScrollStep); break;
      case kKeyRight: ScrollBy(true, kScrollStep); break;
      case kKeyUp: ScrollBy(false, -kScrollStep); break;
      case kKeyDown: ScrollBy(false, kScrollStep); break;
      case kKeyHome: ScrollBy(true, -PageStep(client.width)); break;
      case kKeyEnd: ScrollBy(true, PageStep(client.width)); break;
      case kKeyPageUp: ScrollBy(false, -PageStep(client.height)); break;
      case kKeyPageDown: ScrollBy(false, PageStep(client.height)); break;
      default: return false;
    }
  } else if (shift == ssCtrl) {
    switch (key) {
      case kKeyLeft: SetHorzPosition(0); break;
      case kKeyRight: SetHorzPosition(horz_.range); break;
      case kKeyUp: SetVertPosition(0); break;
      case kKeyDown: SetVertPosition(vert_.range); break;
      default: return false;
    }
  } else if (shift == ssAlt) {
    if (key != kKeyLeft && key != kKeyRight) return false;
    const bool inc = key == kKeyRight;
    key = 0;
    DoScrollAlt(inc);
    return true;
  } else {
    return false;
  }
  key = 0;
  DoScroll();
  return true;
}

bool TZoomImageBox::MouseWheel(bool up, ShiftState shift) {
  if (shift == ssNone) {
    ScrollBy(false, up ? -kScrollStep : kScrollStep);
    DoScroll();
  } else if (shift == ssShift) {
    ScrollBy(true, up ? -kScrollStep : kScrollStep);
    DoScroll();
  } else if (shift == ssCtrl || mouseDown_) {
    // Zooming while the button is held: the next moves must not pan the freshly zoomed view.
    dragging_ = false;
    if (mouseDown_) SetCursor(ImageScaleCursor);
    IncreaseImageScale(up);
  }
  return true;
}

void TZoomImageBox::ImageMouseDown(MouseButton button, ShiftState shift, PicturePoint p) {
  if (Focusable && view_) view_->TakeFocus();
  if (button == MouseButton::Left) {
    mouseDown_ = true;
    if (ImageDrag) {
      dragging_ = true;
      dragPoint_ = p;
      // A fully visible picture cannot be moved, so promise no panning with the cursor.
      if (horz_.visible || vert_.visible) SetCursor(ImageDragCursor);
    }
  }
  if (OnMouseDown) OnMouseDown(MouseSender::Image, button, shift, p.x, p.y);
}

void TZoomImageBox::ImageMouseMove(ShiftState, PicturePoint p) {
  if (!ImageDrag || !dragging_) return;
  // The picture moves with the scroll, so the grabbed point stays under the pointer.
  const int32_t h = horz_.position + dragPoint_.x - p.x;
  const int32_t v = vert_.position + dragPoint_.y - p.y;
  horz_.position = ClampPosition(h, horz_.range, ClientSize().width);
  vert_.position = ClampPosition(v, vert_.range, ClientSize().height);
  image_.bounds = Rect::FromBounds(offset_.x - horz_.position, offset_.y - vert_.position,
                                   image_.bounds.Width(), image_.bounds.Height());
  DoScroll();
}

void TZoomImageBox::ImageMouseUp(MouseButton button, ShiftState, PicturePoint) {
  if (button != MouseButton::Left) return;
  mouseDown_ = false;
  dragging_ = false;
  SetCursor(crDefault);
}

void TZoomImageBox::BoxMouseDown(MouseButton button, ShiftState shift, ClientPoint p) {
  if (OnMouseDown) OnMouseDown(MouseSender::Box, button, shift, p.x, p.y);
  if (Focusable && view_) view_->TakeFocus();
}

PicturePoint TZoomImageBox::ToPicture(ClientPoint p) const {
  return {p.x - image_.bounds.left, p.y - image_.bounds.top};
}

void TZoomImageBox::DoScroll() {
  if (layoutDepth_ > 0) return;  // the outer layout reports once it has settled
  Changed();
  if (OnScroll) OnScroll();
}

void TZoomImageBox::DoScrollAlt(bool inc) {
  if (OnScrollAlt) OnScrollAlt(inc);
}

void TZoomImageBox::Changed() {
  if (view_ && layoutDepth_ == 0) view_->LayoutChanged();
}

void TZoomImageBox::SetCursor(int32_t id) {
  if (view_) view_->SetAppCursor(id);
}

}  // namespace pictara::imagebox
