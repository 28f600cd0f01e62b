#include "imagebox/paint_plan.h"

#include <algorithm>

#include "imagebox/zoom_image.h"

namespace pictara::imagebox {

std::optional<SmoothPaintPlan> PlanSmoothPaint(const SmoothPaintInputs& in) {
  const Rect& r = in.display;
  const int32_t pw = in.picture.width, ph = in.picture.height;
  if (pw <= 0 || ph <= 0 || r.Width() <= 0 || r.Height() <= 0) return std::nullopt;
  SmoothPaintPlan plan;
  plan.part = {0, 0, r.Width(), r.Height()};
  plan.block = {0, 0, pw, ph};
  if (!ResampleSizeAllowed({r.Width(), r.Height()})) {
    const Rect& clip = in.clip;
    const Rect visible{std::max(r.left, clip.left), std::max(r.top, clip.top), std::min(r.right, clip.right),
                       std::min(r.bottom, clip.bottom)};
    if (visible.Width() <= 0 || visible.Height() <= 0) return std::nullopt;
    const AxisPart x = VisiblePart(pw, r.Width(), visible.left - r.left, visible.right - r.left);
    const AxisPart y = VisiblePart(ph, r.Height(), visible.top - r.top, visible.bottom - r.top);
    plan.part = Rect::FromBounds(x.targetStart, y.targetStart, x.targetSize, y.targetSize);
    plan.block = {x.sourceStart, y.sourceStart, x.sourceEnd, y.sourceEnd};
    if (!ResampleSizeAllowed({plan.part.Width(), plan.part.Height()}) || plan.block.Width() <= 0 ||
        plan.block.Height() <= 0)
      return std::nullopt;
  }
  plan.target = {r.left + plan.part.left, r.top + plan.part.top, r.left + plan.part.right, r.top + plan.part.bottom};
  plan.wholePicture = plan.block == Rect{0, 0, pw, ph};
  if (in.drawBackground)
    plan.method = SmoothMethod::ResampleOverBackground;
  else if (plan.part.Width() > plan.block.Width() || plan.part.Height() > plan.block.Height())
    plan.method = SmoothMethod::ResampleFlattened;
  else
    plan.method = SmoothMethod::HalftoneFlattened;
  return plan;
}

std::array<Rect, 4> BandsAround(const Rect& bounds, Size client) {
  return {Rect{0, 0, client.width, bounds.top}, Rect{0, bounds.bottom, client.width, client.height},
          Rect{0, bounds.top, bounds.left, bounds.bottom}, Rect{bounds.right, bounds.top, client.width, bounds.bottom}};
}

Rect DisplayInBox(const Rect& d, const Rect& b) {
  return {d.left + b.left, d.top + b.top, d.right + b.left, d.bottom + b.top};
}

bool IsOverImage(ClientPoint p, const Rect& b, Size client) {
  return p.x >= b.left && p.x < b.right && p.y >= b.top && p.y < b.bottom && p.x >= 0 && p.y >= 0 &&
         p.x < client.width && p.y < client.height;
}

WheelSteps TakeWheelSteps(int32_t rest, int32_t delta, int32_t notch) {
  const int64_t total = int64_t{rest} + delta;
  const int64_t steps = notch > 0 ? total / notch : 0;  // toward zero: the rest keeps the sign
  return {static_cast<int32_t>(steps), static_cast<int32_t>(total - steps * notch)};
}

MouseRoute RouteMouse(bool dragging, const MouseInput& input) {
  const bool left = input.button == MouseButton::Left;
  switch (input.event) {
    case MouseEvent::Press:
      return {input.overImage, left ? input.overImage : dragging, true, false};
    case MouseEvent::Move:
      return {dragging || input.overImage, dragging, false, false};
    case MouseEvent::Release:
      return {left ? dragging || input.overImage : input.overImage, left ? false : dragging, false,
              !input.buttonsStillDown};
    case MouseEvent::CaptureLost:
      if (dragging && !input.lostToItself) return {true, false, false, false};
      return {false, dragging, false, false};
  }
  return {false, dragging, false, false};
}

Size BoxArea(Size client, bool vertBarShown, bool horzBarShown, int32_t vertBarWidth, int32_t horzBarHeight) {
  return {client.width + (vertBarShown ? vertBarWidth : 0), client.height + (horzBarShown ? horzBarHeight : 0)};
}

}  // namespace pictara::imagebox
