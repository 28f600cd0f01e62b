// Sizes, placement and colours of the viewer form that do not need a window to be decided: the
// bottom bar's look in light and dark mode, the layout scaled for the screen density, and where the
// form goes over the Lister window.
#pragma once

#include <cstdint>

#include "base/geometry.h"
#include "settings/settings.h"

namespace pictara {

// Colours may name a system colour instead of a value: the high byte 0xFF marks one, the low byte
// is its index (as GetSysColor counts). The window side resolves them when it paints.
constexpr TColor kSystemColorFlag = 0xFF000000;
constexpr TColor clBtnFace = kSystemColorFlag | 15;   // COLOR_BTNFACE
constexpr TColor clWindowText = kSystemColorFlag | 8; // COLOR_WINDOWTEXT
constexpr TColor clSilver = 0x00C0C0C0;
constexpr TColor clWhite = 0x00FFFFFF;
constexpr TColor kDarkBarColor = 0x00202020;

constexpr bool IsSystemColor(TColor c) { return (c & 0xFF000000) == kSystemColorFlag; }

struct TBottomBarLook {
  TColor Color = clBtnFace;         // panBottom and panButtons (panInfo takes its parent's)
  TColor FontColor = clWindowText;  // panBottom's font, inherited by panInfo
  bool FlatButtons = false;         // sbtPrev / sbtNext drawn flat instead of raised
  friend bool operator==(const TBottomBarLook&, const TBottomBarLook&) = default;
};

TBottomBarLook BottomBarLook(bool dark);

// Pixel layout of the form's own controls. The designed values are for a 120 pixels-per-inch
// screen; ScaledFormLayout gives them for another density.
struct TFormLayout {
  int32_t FontHeight = 14;      // Tahoma, pixels
  int32_t BarHeight = 31;       // panBottom
  int32_t BarPaddingLeft = 2;   // panBottom's left padding
  int32_t ButtonTop = 1;        // buttons centred in the bar
  int32_t PrevLeft = 0;         // sbtPrev, inside panButtons
  int32_t NextLeft = 29;        // sbtNext (overlaps sbtPrev by one pixel, as designed)
  int32_t ButtonWidth = 30;
  int32_t ButtonHeight = 29;
  int32_t InfoMarginLeft = 6;   // panInfo's gap after panButtons
  int32_t ButtonsWidth() const { return NextLeft + ButtonWidth; }
  friend bool operator==(const TFormLayout&, const TFormLayout&) = default;
};

// The layout scaled from the default density 96 to (pixelsPerInch - 24): the designed pixel sizes
// on a 120 ppi screen, 0.75 of them at 96 and 1.25 at 144. Each value is rounded like the system's
// multiply-divide (to nearest, halves away from zero).
TFormLayout ScaledFormLayout(int pixelsPerInch);

// Where the bottom bar's parts go in a form of the given client size.
struct TBottomBarPlacement {
  Rect ScrollBox;  // ScrollBox1: everything above the bar
  Rect Bar;        // panBottom
  Rect Buttons;    // panButtons, relative to panBottom
  Rect Prev;       // sbtPrev, relative to panButtons
  Rect Next;       // sbtNext, relative to panButtons
  Rect Info;       // panInfo, relative to panBottom
};

TBottomBarPlacement PlaceBottomBar(const TFormLayout& layout, Size client, bool buttonsVisible);

// What the form needs to know about the Lister window it is placed over.
struct TListerGeometry {
  Rect ClientRect;
  bool HasVerticalScrollBar = false;    // the scroll-bar query for SB_VERT succeeded
  bool HasHorizontalScrollBar = false;  // the same for SB_HORZ
  int32_t VerticalScrollBarWidth = 0;   // SM_CXVSCROLL
  int32_t HorizontalScrollArrowWidth = 0;  // SM_CXHSCROLL
};

// The form's bounds: the Lister's client area; in the 64-bit build widened by a vertical scroll
// bar's width and made taller by the horizontal scroll arrow's width when the Lister has those
// bars, so that the viewer also covers them.
Rect PlaceOverLister(const TListerGeometry& lister, bool is64BitBuild);

}  // namespace pictara
