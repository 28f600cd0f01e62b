#include "viewer/form_layout.h"

#include <cstdlib>

#include "base/muldiv.h"

namespace pictara {

namespace {

constexpr int kDefaultPixelsPerInch = 96;
// The layout was drawn on a 120 ppi screen, so the form is scaled from 96 to (ppi - 24).
constexpr int kDesignOffset = 24;

}  // namespace

TBottomBarLook BottomBarLook(bool dark) {
  if (dark) return {kDarkBarColor, clSilver, true};
  return {clBtnFace, clWindowText, false};
}

TFormLayout ScaledFormLayout(int pixelsPerInch) {
  TFormLayout l;
  int32_t target = pixelsPerInch - kDesignOffset;
  if (target <= 0 || target == kDefaultPixelsPerInch) return l;
  auto s = [&](int32_t& v) { v = MulDiv(v, target, kDefaultPixelsPerInch); };
  s(l.FontHeight);
  s(l.BarHeight);
  s(l.BarPaddingLeft);
  s(l.ButtonTop);
  s(l.PrevLeft);
  s(l.NextLeft);
  s(l.ButtonWidth);
  s(l.ButtonHeight);
  s(l.InfoMarginLeft);
  return l;
}

TBottomBarPlacement PlaceBottomBar(const TFormLayout& layout, Size client, bool buttonsVisible) {
  TBottomBarPlacement p;
  int32_t barHeight = layout.BarHeight < client.height ? layout.BarHeight : client.height;
  if (barHeight < 0) barHeight = 0;
  int32_t width = client.width > 0 ? client.width : 0;
  int32_t barTop = client.height - barHeight;
  if (barTop < 0) barTop = 0;
  p.ScrollBox = {0, 0, width, barTop};
  p.Bar = {0, barTop, width, barTop + barHeight};
  int32_t x = layout.BarPaddingLeft;
  if (buttonsVisible) {
    p.Buttons = {x, 0, x + layout.ButtonsWidth(), barHeight};
    x = p.Buttons.right;
  } else {
    p.Buttons = {x, 0, x, barHeight};
  }
  p.Prev = {layout.PrevLeft, layout.ButtonTop, layout.PrevLeft + layout.ButtonWidth,
            layout.ButtonTop + layout.ButtonHeight};
  p.Next = {layout.NextLeft, layout.ButtonTop, layout.NextLeft + layout.ButtonWidth,
            layout.ButtonTop + layout.ButtonHeight};
  int32_t infoLeft = x + layout.InfoMarginLeft;
  p.Info = {infoLeft, 0, infoLeft < width ? width : infoLeft, barHeight};
  return p;
}

Rect PlaceOverLister(const TListerGeometry& lister, bool is64BitBuild) {
  Rect r = lister.ClientRect;
  if (is64BitBuild) {
    if (lister.HasVerticalScrollBar) r.right += lister.VerticalScrollBarWidth;
    if (lister.HasHorizontalScrollBar) r.bottom += lister.HorizontalScrollArrowWidth;
  }
  return r;
}

}  // namespace pictara
