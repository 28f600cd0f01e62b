// The image box window, pixels read back from the real control: centring, the colour or tile under
// transparent pixels, and the quick paint replaced by the smooth one after the pause.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "imagebox/zoom_image_box_win.h"
#include "testbed/testbed.h"

namespace pictara::imagebox {
namespace {

using testbed::PumpMessages;
using testbed::Rgb;
using testbed::Screenshot;

constexpr TColor kBlue = 0x00FF0000;    // 0x00BBGGRR
constexpr TColor kYellow = 0x0000FFFF;
constexpr uint32_t kBlueRgb = Rgb(0, 0, 255);
constexpr uint32_t kYellowRgb = Rgb(255, 255, 0);

Bitmap MakeBitmap24(int w, int h, const std::function<Rgba(int, int)>& pixel) {
  Bitmap b;
  EXPECT_TRUE(b.SetSize(w, h, PixelFormat::pf24bit));
  for (int y = 0; y < h; ++y) {
    uint8_t* p = b.Row(y);
    for (int x = 0; x < w; ++x, p += 3) {
      const Rgba c = pixel(x, y);
      p[0] = c.b;
      p[1] = c.g;
      p[2] = c.r;
    }
  }
  return b;
}

PngImage MakePng(int w, int h, const std::function<Rgba(int, int)>& pixel) {
  PngImage png;
  EXPECT_TRUE(png.Allocate(w, h, PngColorType::Rgba, 8));
  for (int y = 0; y < h; ++y) {
    uint8_t* p = png.Row(y);
    for (int x = 0; x < w; ++x, p += 4) {
      const Rgba c = pixel(x, y);
      p[0] = c.r;
      p[1] = c.g;
      p[2] = c.b;
      p[3] = c.a;
    }
  }
  return png;
}

// What the window shows now, without asking it to repaint (a repaint would restart the quick
// paint and hide the smooth one).
Screenshot ReadWindow(HWND window) { return testbed::CaptureWindow(window, /*repaintFirst=*/false); }

uint8_t Red(uint32_t rgb) { return static_cast<uint8_t>(rgb >> 16); }

// Lets the message loop run until the smooth paint has happened (or a generous limit passed: a
// busy machine may deliver the timer late).
void WaitForSmoothPaint(const ZoomImageBoxWindow& box) {
  for (int waited = 0; waited < 10000; waited += 50) {
    PumpMessages(50);
    if (box.LastPicturePaint() == ZoomImageBoxWindow::LastPaint::Resampled) return;
  }
}

// A top-level window holding one image box over its whole client area, configured as the viewer
// configures it.
class ImageBoxWindowTest : public testing::Test {
 protected:
  static constexpr int kWidth = 400, kHeight = 300;

  void SetUp() override {
    static const bool registered = [] {
      WNDCLASSEXW wc{};
      wc.cbSize = sizeof(wc);
      wc.lpfnWndProc = &ParentProc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = L"ImageBoxTestParent";
      return RegisterClassExW(&wc) != 0;
    }();
    ASSERT_TRUE(registered);
    RECT outer{0, 0, kWidth, kHeight};
    AdjustWindowRect(&outer, WS_POPUP, FALSE);
    parent_ = CreateWindowExW(0, L"ImageBoxTestParent", L"box", WS_POPUP | WS_VISIBLE, 20, 20,
                              outer.right - outer.left, outer.bottom - outer.top, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(parent_);
    box_ = std::make_unique<ZoomImageBoxWindow>();
    ASSERT_TRUE(box_->Create(parent_, RECT{0, 0, kWidth, kHeight}));
    box_->Box().SetImageCenter(true);
    box_->Box().ImageKeepPosition = true;
    box_->SetProportional(true);
    box_->Box().SetImageFitOnlyBig(true);
    box_->Box().SetImageFitToWindow(true);
    box_->SetColor(kBlue);
    box_->SetResample(true);
    box_->SetResampleBackColor(kYellow);
    parentWheel() = 0;
    PumpMessages();
  }

  void TearDown() override {
    box_.reset();
    if (parent_) DestroyWindow(parent_);
  }

  void Show(Picture picture) {
    box_->SetPicture(std::move(picture));
    box_->UpdateImageInfo();
    box_->PaintNow();
  }

  static int& parentWheel() {
    static int count = 0;
    return count;
  }

  static LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_MOUSEWHEEL) ++parentWheel();
    return DefWindowProcW(hwnd, msg, wp, lp);
  }

  HWND parent_ = nullptr;
  std::unique_ptr<ZoomImageBoxWindow> box_;
};

TEST_F(ImageBoxWindowTest, SmallPictureIsCentredWithTheBoxColourAround) {
  Show(Picture{MakeBitmap24(100, 50, [](int, int) { return Rgba{255, 0, 0, 255}; })});
  EXPECT_EQ(box_->Box().ImageScale(), 100);
  const Screenshot shot = ReadWindow(box_->Handle());
  ASSERT_EQ(shot.width, kWidth);
  struct Probe {
    int x, y;
    uint32_t rgb;
  };
  // The picture covers (150, 125) .. (249, 174).
  const Probe kProbes[] = {{150, 125, Rgb(255, 0, 0)}, {249, 174, Rgb(255, 0, 0)},
                           {200, 150, Rgb(255, 0, 0)}, {149, 150, kBlueRgb},
                           {250, 150, kBlueRgb},       {200, 124, kBlueRgb},
                           {200, 175, kBlueRgb},       {0, 0, kBlueRgb},
                           {399, 299, kBlueRgb}};
  for (const Probe& p : kProbes) {
    SCOPED_TRACE(testing::Message() << p.x << "," << p.y);
    EXPECT_EQ(shot.Pixel(p.x, p.y), p.rgb);
  }
  // Natural size: nothing to resample, now or later.
  EXPECT_FALSE(box_->ResampleTimerRunning());
  PumpMessages(500);
  EXPECT_EQ(box_->LastPicturePaint(), ZoomImageBoxWindow::LastPaint::Stretched);
}

// Left half transparent, right half opaque green; 100 x 50 at the centre of the box.
Picture HalfTransparent() {
  return Picture{MakePng(100, 50, [](int x, int) {
    return x < 50 ? Rgba{255, 0, 0, 0} : Rgba{0, 255, 0, 255};
  })};
}

TEST_F(ImageBoxWindowTest, TransparentPixelsShowTheResampleBackColour) {
  Show(HalfTransparent());
  const Screenshot shot = ReadWindow(box_->Handle());
  EXPECT_EQ(shot.Pixel(160, 130), kYellowRgb);
  EXPECT_EQ(shot.Pixel(199, 174), kYellowRgb);
  EXPECT_EQ(shot.Pixel(200, 130), Rgb(0, 255, 0));
  EXPECT_EQ(shot.Pixel(149, 130), kBlueRgb);  // outside the picture: the box colour
}

TEST_F(ImageBoxWindowTest, TransparentPixelsShowTheTileFromThePictureCorner) {
  // A 10 x 10 tile whose every pixel is different, so its placement can be read back.
  const Bitmap tile = MakeBitmap24(10, 10, [](int x, int y) {
    return Rgba{static_cast<uint8_t>(20 * x + 5), static_cast<uint8_t>(20 * y + 5), 77, 255};
  });
  box_->SetBackgroundPicture(tile);
  box_->SetDrawBackground(true);
  Show(HalfTransparent());
  const Screenshot shot = ReadWindow(box_->Handle());
  for (int y : {0, 3, 9, 10, 27, 49})
    for (int x : {0, 1, 9, 10, 23, 49}) {
      SCOPED_TRACE(testing::Message() << "picture " << x << "," << y);
      EXPECT_EQ(shot.Pixel(150 + x, 125 + y), Rgb(20 * (x % 10) + 5, 20 * (y % 10) + 5, 77));
    }
  EXPECT_EQ(shot.Pixel(220, 140), Rgb(0, 255, 0));
  EXPECT_EQ(shot.Pixel(149, 130), kBlueRgb);
}

// A one-pixel black and white checkerboard shown at 60 %: the quick paint picks single pixels (pure
// black or white), the smooth paint mixes neighbours to grey.
Picture Checkerboard(bool withAlpha, int size = 600) {
  auto pixel = [](int x, int y) {
    const uint8_t v = ((x + y) & 1) ? 255 : 0;
    return Rgba{v, v, v, 255};
  };
  if (withAlpha) return Picture{MakePng(size, size, pixel)};
  return Picture{MakeBitmap24(size, size, pixel)};
}

TEST_F(ImageBoxWindowTest, QuickPaintIsReplacedBySmoothPaintAfterThePause) {
  struct Case {
    const char* name;
    bool tile;
    bool alpha;
  };
  const Case kCases[] = {{"halftone over the colour", false, false},
                         {"resampler over the tile", true, true},
                         {"resampler, opaque bitmap", true, false}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    box_->SetBackgroundPicture(MakeBitmap24(8, 8, [](int, int) { return Rgba{0, 0, 0, 255}; }));
    box_->SetDrawBackground(c.tile);
    int smoothPaints = 0;
    box_->OnPaint = [&] { ++smoothPaints; };
    Show(Checkerboard(c.alpha, 500));
    ASSERT_EQ(box_->Box().ImageScale(), 60);  // 300 x 300 at (50, 0)
    EXPECT_EQ(box_->LastPicturePaint(), ZoomImageBoxWindow::LastPaint::Stretched);
    EXPECT_TRUE(box_->ResampleTimerRunning());
    Screenshot quick = ReadWindow(box_->Handle());
    int pure = 0;
    for (int y = 100; y < 110; ++y)
      for (int x = 150; x < 160; ++x) {
        const uint8_t v = Red(quick.Pixel(x, y));
        pure += v == 0 || v == 255;
      }
    EXPECT_EQ(pure, 100);

    WaitForSmoothPaint(*box_);
    EXPECT_EQ(box_->LastPicturePaint(), ZoomImageBoxWindow::LastPaint::Resampled);
    EXPECT_FALSE(box_->ResampleTimerRunning());
    EXPECT_EQ(smoothPaints, 1);
    // Averaged: grey on the whole (the system's halftone may leave a few pixels pure).
    Screenshot smooth = ReadWindow(box_->Handle());
    int sum = 0, grey = 0;
    for (int y = 100; y < 110; ++y)
      for (int x = 150; x < 160; ++x) {
        const int v = Red(smooth.Pixel(x, y));
        sum += v;
        grey += v > 40 && v < 215;
      }
    EXPECT_NEAR(sum / 100, 128, 20);
    EXPECT_GE(grey, 80);
    EXPECT_EQ(smooth.Pixel(10, 10), kBlueRgb);  // the box around is untouched
  }
}

// At 1600 % the displayed picture is far too large to resample whole: the visible part is
// resampled, in place (each source pixel's centre keeps its colour), and smooth between them.
TEST_F(ImageBoxWindowTest, DeepZoomResamplesTheVisiblePartInPlace) {
  for (bool tile : {false, true}) {
    SCOPED_TRACE(tile ? "over the tile" : "over the colour");
    box_->SetBackgroundPicture(MakeBitmap24(8, 8, [](int, int) { return Rgba{0, 0, 0, 255}; }));
    box_->SetDrawBackground(tile);
    Show(Checkerboard(false));
    box_->Box().SetImageScale(1600);  // 9600 x 9600
    box_->Box().SetHorzPosition(4800);
    box_->Box().SetVertPosition(4800);
    box_->PaintNow();
    const Screenshot quick = ReadWindow(box_->Handle());
    WaitForSmoothPaint(*box_);
    ASSERT_EQ(box_->LastPicturePaint(), ZoomImageBoxWindow::LastPaint::Resampled);
    const Screenshot smooth = ReadWindow(box_->Handle());
    const int y = 16 * 305 + 8 - 4800;  // the centre of a source row
    int grey = 0;
    for (int x = 0; x < 360; ++x) {
      const int v = Red(smooth.Pixel(x, y));
      grey += v > 40 && v < 215;
      if ((x + 4800) % 16 == 8) {
        SCOPED_TRACE(x);
        EXPECT_NEAR(v, Red(quick.Pixel(x, y)), 48);
      }
    }
    EXPECT_GT(grey, 360 / 4);
  }
}

TEST_F(ImageBoxWindowTest, EveryRepaintPostponesTheSmoothPaint) {
  box_->SetResampleDelay(1000);  // a wide margin over the pauses below, even on a busy machine
  Show(Checkerboard(false));
  for (int i = 0; i < 4; ++i) {
    PumpMessages(400);  // together longer than the delay: only the restarts hold it back
    box_->PaintNow();   // as a scroll or zoom step would
    EXPECT_EQ(box_->LastPicturePaint(), ZoomImageBoxWindow::LastPaint::Stretched);
  }
  WaitForSmoothPaint(*box_);
  EXPECT_EQ(box_->LastPicturePaint(), ZoomImageBoxWindow::LastPaint::Resampled);
}

TEST_F(ImageBoxWindowTest, WheelKeysAndClicksReachTheBox) {
  Show(Checkerboard(false));
  int changes = 0;
  box_->Box().OnOptionsChange = [&] { ++changes; };
  const POINT screen = [&] {
    POINT p{200, 150};
    ClientToScreen(box_->Handle(), &p);
    return p;
  }();
  SendMessageW(box_->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, WHEEL_DELTA),
               MAKELPARAM(screen.x, screen.y));
  EXPECT_EQ(box_->Box().ImageScale(), 60);  // 50 -> 60, out of fit mode
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(box_->Box().VertScrollBar().visible);
  // The window's own bars follow the box.
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(box_->Handle(), SB_VERT, &si));
  EXPECT_EQ(si.nMax + 1, 360);
  EXPECT_EQ(static_cast<int>(si.nPage), box_->Box().ClientSize().height);

  // The centre stayed: half of 360 under the middle of the 300 pixels high client.
  EXPECT_EQ(box_->Box().VertScrollBar().position, 30);

  SendMessageW(box_->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA),
               MAKELPARAM(screen.x, screen.y));
  EXPECT_EQ(box_->Box().VertScrollBar().position, 0);
  EXPECT_EQ(parentWheel(), 0);  // never passed on for default scrolling

  EXPECT_EQ(SendMessageW(box_->Handle(), WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS, DLGC_WANTARROWS);
  SendMessageW(box_->Handle(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(box_->Box().VertScrollBar().position, 50);
  EXPECT_EQ(GetScrollPos(box_->Handle(), SB_VERT), 50);
  SendMessageW(box_->Handle(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(box_->Box().VertScrollBar().position, 60);  // clamped: 360 − client height
  int previewed = 0;
  box_->OnKeyPreview = [&](uint16_t& key, ShiftState) {
    ++previewed;
    if (key == VK_UP) key = 0;
  };
  SendMessageW(box_->Handle(), WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(previewed, 1);
  EXPECT_EQ(box_->Box().VertScrollBar().position, 60);

  // The label lets clicks through to the picture.
  box_->SetLabelText("label");
  box_->ShowLabel(true);
  EXPECT_EQ(SendMessageW(box_->LabelHandle(), WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y)),
            HTTRANSPARENT);
}

TEST_F(ImageBoxWindowTest, DraggingPansAndClickTakesTheFocus) {
  Show(Checkerboard(false));
  box_->Box().SetImageFitToWindow(false);  // 600 x 600 at 100 %: both bars
  SetFocus(parent_);
  SendMessageW(box_->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, 150));
  EXPECT_EQ(GetFocus(), box_->Handle());
  EXPECT_TRUE(box_->Box().Dragging());
  SendMessageW(box_->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(170, 110));
  EXPECT_EQ(box_->Box().HorzScrollBar().position, 30);
  EXPECT_EQ(box_->Box().VertScrollBar().position, 40);
  EXPECT_EQ(GetScrollPos(box_->Handle(), SB_HORZ), 30);
  SendMessageW(box_->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(170, 110));
  EXPECT_FALSE(box_->Box().Dragging());
  SendMessageW(box_->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(100, 100));
  EXPECT_EQ(box_->Box().HorzScrollBar().position, 30);

  // Another window takes the mouse mid-drag: the drag ends as if the button had been released,
  // rather than panning on with the button up.
  SendMessageW(box_->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, 150));
  ASSERT_TRUE(box_->Box().Dragging());
  SetCapture(parent_);
  EXPECT_FALSE(box_->Box().Dragging());
  EXPECT_FALSE(box_->Box().ImageMouseIsDown());
  ReleaseCapture();
  SendMessageW(box_->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(100, 100));
  EXPECT_EQ(box_->Box().HorzScrollBar().position, 30);
}

TEST_F(ImageBoxWindowTest, CallbackErrorsGoToOnErrorAndNeverUnwindTheWindow) {
  Show(Checkerboard(false));
  std::vector<std::string> seen;
  box_->OnError = [&](const std::exception& e) { seen.push_back(e.what()); };
  box_->Box().OnMouseDown = [](MouseSender, MouseButton, ShiftState, int32_t, int32_t) {
    throw std::runtime_error("mouse");
  };
  SendMessageW(box_->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(200, 150));
  SendMessageW(box_->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(200, 150));
  box_->OnAfterPaint = [](HDC, const Rect&) { throw std::runtime_error("paint"); };
  box_->PaintNow();
  EXPECT_EQ(seen, (std::vector<std::string>{"mouse", "paint"}));
  EXPECT_FALSE(GetUpdateRect(box_->Handle(), nullptr, FALSE));  // the paint still finished
}

}  // namespace
}  // namespace pictara::imagebox
