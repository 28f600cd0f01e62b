#include "imagebox/zoom_geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace pictara::imagebox {

int32_t NextZoomStep(int32_t scale, bool increase) {
  if (increase) {
    for (int32_t step : ZoomSteps)
      if (step > scale) return step;
  } else {
    for (auto it = ZoomSteps.rbegin(); it != ZoomSteps.rend(); ++it)
      if (*it < scale) return *it;
  }
  return scale;
}

int32_t PageStep(int32_t extent) { return std::max(extent - 20, (extent / 3) * 2); }

int32_t ScaledExtent(int32_t scale, int32_t extent) {
  const int64_t product = static_cast<int64_t>(scale) * extent;
  int64_t q = product / 100;
  const int64_t r = product % 100;
  // Halves go to the even neighbour; the remainder carries the sign of the product.
  if (r > 50 || (r == 50 && (q & 1) != 0)) ++q;
  if (r < -50 || (r == -50 && (q & 1) != 0)) --q;
  return static_cast<int32_t>(std::clamp<int64_t>(q, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

FitResult FitImage(Size picture, Size client, const FitOptions& options, int32_t previousScale) {
  FitResult r{picture, previousScale};
  const int32_t cw = client.width, ch = client.height;
  const int32_t pw = picture.width, ph = picture.height;
  if (options.onlyBig && cw >= pw && ch >= ph) {
    r.scale = 100;
    return r;
  }
  if (cw <= 0 || ch <= 0 || pw <= 0 || ph <= 0) return r;
  const double aspect = static_cast<double>(pw) / ph;
  const bool byHeight =
      (static_cast<double>(cw) / ch >= aspect && !options.forceWidth) || options.forceHeight;
  if (byHeight) {
    if (!(options.onlyBig && ch >= ph)) {
      r.displayed = {static_cast<int32_t>(std::trunc(ch * aspect)), ch};
      r.scale = static_cast<int32_t>(static_cast<int64_t>(ch) * 100 / ph);
    }
  } else {
    if (!(options.onlyBig && cw >= pw)) {
      r.displayed = {cw, static_cast<int32_t>(std::trunc(cw / aspect))};
      r.scale = static_cast<int32_t>(static_cast<int64_t>(cw) * 100 / pw);
    }
  }
  return r;
}

ClientPoint CenterOffset(Size displayed, Size client, bool center) {
  if (!center) return {};
  return {displayed.width < client.width ? (client.width - displayed.width) / 2 : 0,
          displayed.height < client.height ? (client.height - displayed.height) / 2 : 0};
}

double RelativeCentre(int32_t client, int32_t imageStart, int32_t position, int32_t displayed) {
  if (displayed <= 0) return 0.0;
  const int32_t half = client / 2;
  return imageStart >= 0 ? static_cast<double>(half - imageStart) / displayed
                         : static_cast<double>(half + position) / displayed;
}

int32_t KeepPosition(double relative, int32_t displayed, int32_t client, int32_t offset) {
  if (offset != 0) return 0;
  const double wanted = std::trunc(relative * displayed) - client / 2;
  const int32_t limit = std::max(displayed - client, 0);
  return static_cast<int32_t>(std::max(0.0, std::min<double>(limit, wanted)));
}

int32_t ClampPosition(int32_t position, int32_t range, int32_t client) {
  return std::clamp(position, 0, std::max(range - client, 0));
}

std::optional<int32_t> ScrollBarTarget(int code, int32_t position, int32_t range, int32_t extent,
                                       int32_t trackPosition) {
  constexpr int32_t kLine = 50;
  switch (code) {
    case kScrollLineUp: return position - kLine;
    case kScrollLineDown: return position + kLine;
    case kScrollPageUp: return position - PageStep(extent);
    case kScrollPageDown: return position + PageStep(extent);
    case kScrollThumbPosition:
    case kScrollThumbTrack: return trackPosition;
    case kScrollTop: return 0;
    case kScrollBottom: return range;
    default: return std::nullopt;
  }
}

Rect ComputeDisplayRect(Size picture, Size client, const DisplayOptions& options) {
  const int32_t pw = picture.width, ph = picture.height;
  const int32_t cw = client.width, ch = client.height;
  if (pw == cw && ph == ch) return {0, 0, pw, ph};
  int32_t w = pw, h = ph;
  if (options.stretch || (options.proportional && (pw > cw || ph > ch))) {
    if (options.proportional && pw > 0 && ph > 0) {
      const double a = static_cast<double>(pw) / ph;
      if (pw > ph) {
        w = cw;
        h = static_cast<int32_t>(std::trunc(cw / a));
        if (h > ch) {
          h = ch;
          w = static_cast<int32_t>(std::trunc(ch * a));
        }
      } else {
        h = ch;
        w = static_cast<int32_t>(std::trunc(ch * a));
        if (w > cw) {
          w = cw;
          h = static_cast<int32_t>(std::trunc(cw / a));
        }
      }
    } else {
      w = cw;
      h = ch;
    }
  }
  Rect r{0, 0, w, h};
  if (options.center) {
    const int32_t ox = (cw - w) / 2, oy = (ch - h) / 2;
    r = {ox, oy, ox + w, oy + h};
  }
  return r;
}

PaintPath ChoosePaintPath(const PaintInputs& in) {
  if (!in.resample || !in.hasGraphic) return PaintPath::Stretched;
  // Drawn at its natural size nothing is scaled, so there is nothing to improve on.
  if (in.picture.width == in.display.Width() && in.picture.height == in.display.Height())
    return PaintPath::Stretched;
  return in.resampleDelay > 0 ? PaintPath::StretchedThenTimer : PaintPath::Resampled;
}

std::vector<ClientPoint> TilePositions(const Rect& rect, Size tile,
                                       const std::optional<Rect>& clip) {
  std::vector<ClientPoint> out;
  if (tile.width <= 0 || tile.height <= 0 || rect.Width() < 0 || rect.Height() < 0) return out;
  const int32_t columns = rect.Width() / tile.width, rows = rect.Height() / tile.height;
  int32_t i0 = 0, i1 = columns, j0 = 0, j1 = rows;
  if (clip) {
    // Only the columns and rows whose tile overlaps the clip; the rest would be clipped away.
    auto first = [](int32_t from, int32_t start, int32_t size) {
      return from <= start ? 0 : (from - start) / size;
    };
    auto last = [](int32_t to, int32_t start, int32_t size) {
      return to <= start ? -1 : (to - 1 - start) / size;
    };
    i0 = std::max(i0, first(clip->left, rect.left, tile.width));
    i1 = std::min(i1, last(clip->right, rect.left, tile.width));
    j0 = std::max(j0, first(clip->top, rect.top, tile.height));
    j1 = std::min(j1, last(clip->bottom, rect.top, tile.height));
  }
  for (int32_t j = j0; j <= j1; ++j)
    for (int32_t i = i0; i <= i1; ++i)
      out.push_back({rect.left + i * tile.width, rect.top + j * tile.height});
  return out;
}

bool IsImageOpaque(bool hasGraphic, bool graphicTransparent, const Rect& display, Size control) {
  return hasGraphic && !graphicTransparent && display.left <= 0 && display.top <= 0 &&
         display.right >= control.width && display.bottom >= control.height;
}

}  // namespace pictara::imagebox
