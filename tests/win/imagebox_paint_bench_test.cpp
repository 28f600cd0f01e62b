// Paint speed of the image box: a 5000 x 5000 picture in a 1920 x 1080 box, through the real
// window. A timing run, not a test: the cases are disabled and print medians when asked for:
//
//   wine win_imagebox_paint_bench_test.exe --gtest_also_run_disabled_tests --gtest_filter=*Bench*
//
// The quick paint should stay interactive (well under a frame, 16 ms); the smooth paint, shown
// once after the pause, should stay under 150 ms.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "imagebox/zoom_image_box_win.h"
#include "render/resample.h"
#include "testbed/timing.h"

namespace pictara::imagebox {
namespace {

constexpr int kPicture = 5000;
constexpr int kWidth = 1920, kHeight = 1080;
constexpr int kRuns = 15;

double Now() { return pictara::testbed::NowMs(); }

struct Timing {
  double median = 0, best = 0;
};

// Median and best of kRuns timings of `step`, `prepare` running untimed before each. The best
// run shows the cost on a quiet machine; the median what a user sees.
Timing MedianMs(const std::function<void()>& prepare, const std::function<void()>& step) {
  std::vector<double> times;
  for (int i = 0; i < kRuns; ++i) {
    prepare();
    const double start = Now();
    step();
    times.push_back(Now() - start);
  }
  std::sort(times.begin(), times.end());
  return {times[times.size() / 2], times.front()};
}

// A drawing-like picture: soft gradients with hard-edged shapes, partly transparent when asked.
Picture MakePicture(bool alpha) {
  PngImage png;
  EXPECT_TRUE(png.Allocate(kPicture, kPicture, alpha ? PngColorType::Rgba : PngColorType::Rgb, 8));
  const int channels = alpha ? 4 : 3;
  for (int y = 0; y < kPicture; ++y) {
    uint8_t* p = png.Row(y);
    for (int x = 0; x < kPicture; ++x, p += channels) {
      const bool shape = ((x / 250) + (y / 250)) % 3 == 0;
      p[0] = static_cast<uint8_t>(x * 255 / kPicture);
      p[1] = static_cast<uint8_t>(y * 255 / kPicture);
      p[2] = shape ? 200 : 40;
      if (alpha) p[3] = shape ? 255 : static_cast<uint8_t>((x + y) % 256);
    }
  }
  return Picture{std::move(png)};
}

class ImageBoxPaintBench : public testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ImageBoxBenchParent";
    RegisterClassExW(&wc);
    parent_ = CreateWindowExW(0, L"ImageBoxBenchParent", L"bench", WS_POPUP | WS_VISIBLE, 0, 0,
                              kWidth, kHeight, nullptr, nullptr, GetModuleHandleW(nullptr),
                              nullptr);
    ASSERT_TRUE(parent_);
    box_ = std::make_unique<ZoomImageBoxWindow>();
    ASSERT_TRUE(box_->Create(parent_, RECT{0, 0, kWidth, kHeight}));
    box_->Box().SetImageCenter(true);
    box_->SetProportional(true);
    box_->Box().SetImageFitOnlyBig(true);
    box_->Box().SetImageFitToWindow(true);
    box_->SetColor(0x00404040);
    box_->SetResample(true);
    box_->SetResampleDelay(60000);  // the timed calls below do the smooth paint themselves
    box_->SetResampleBackColor(0x00FFFFFF);
  }
  void TearDown() override {
    box_.reset();
    if (parent_) DestroyWindow(parent_);
  }

  void Load(bool alpha) {
    SetWindowPos(box_->Handle(), nullptr, 0, 0, kWidth, kHeight, SWP_NOZORDER);
    box_->SetPicture(MakePicture(alpha));
    box_->UpdateImageInfo();
    box_->PaintNow();
    box_->ResampleNow();  // builds the picture's drawable forms once, as the first paints do
  }

  // A one-pixel change of the box height changes the displayed size, so the next smooth paint
  // cannot reuse the last one: what every resize or fit costs.
  void Nudge(int i) {
    SetWindowPos(box_->Handle(), nullptr, 0, 0, kWidth, kHeight - (i & 1), SWP_NOZORDER);
    box_->PaintNow();
  }

  void Report(const char* what) {
    std::printf("%-58s median %7.1f ms   best %7.1f ms   (%d runs)\n", what, last_.median,
                last_.best, kRuns);
    std::fflush(stdout);
  }

  HWND parent_ = nullptr;
  std::unique_ptr<ZoomImageBoxWindow> box_;
  Timing last_;
};

// A new picture: its drawable form is made at its first paint (PNG to premultiplied pixels).
TEST_F(ImageBoxPaintBench, DISABLED_FirstPaint) {
  for (bool alpha : {false, true}) {
    const Picture picture = MakePicture(alpha);
    Picture next;
    last_ = MedianMs([&] { next = picture; },
                     [&] {
                       box_->SetPicture(std::move(next));
                       box_->UpdateImageInfo();
                       box_->PaintNow();
                     });
    Report(alpha ? "first quick paint of a new picture, PNG with alpha"
                 : "first quick paint of a new picture, opaque PNG");
  }
}

TEST_F(ImageBoxPaintBench, DISABLED_QuickPaint) {
  for (bool alpha : {false, true}) {
    Load(alpha);
    const Rect r = box_->Box().Image().bounds;
    std::printf("picture %d x %d (%s) fitted to %d x %d in %d x %d\n", kPicture, kPicture,
                alpha ? "PNG with alpha" : "opaque PNG", r.Width(), r.Height(), kWidth, kHeight);
    last_ = MedianMs([] {}, [&] { box_->PaintNow(); });
    Report(alpha ? "quick paint, fit, alpha blended" : "quick paint, fit, opaque");

    box_->Box().SetImageScale(100);
    box_->Box().SetHorzPosition(2000);
    box_->Box().SetVertPosition(2000);
    int step = 0;
    last_ = MedianMs([] {}, [&] {
      uint16_t key = (step++ & 1) ? kKeyLeft : kKeyRight;
      box_->Box().KeyDown(key, ssNone);
      UpdateWindow(box_->Handle());
    });
    Report(alpha ? "quick paint, 100 %, scrolling, alpha blended" : "quick paint, 100 %, scrolling, opaque");
    box_->Box().SetImageFitToWindow(true);
  }
}

// The resampler alone, for comparison with the smooth paint that wraps it.
TEST_F(ImageBoxPaintBench, DISABLED_ResamplerAlone) {
  for (bool alpha : {false, true}) {
    auto display = MakeDisplayPicture(MakePicture(alpha), false);
    ASSERT_TRUE(display);
    Bitmap scaled;
    last_ = MedianMs([] {}, [&] {
      ResampleBitmap(display->bitmap, scaled, 1080, 1080, display->hasAlpha);
    });
    Report(alpha ? "ResampleBitmap 5000 x 5000 -> 1080 x 1080, 32-bit"
                 : "ResampleBitmap 5000 x 5000 -> 1080 x 1080, 24-bit");
  }
}

TEST_F(ImageBoxPaintBench, DISABLED_SmoothPaint) {
  for (bool tile : {false, true}) {
    for (bool alpha : {false, true}) {
      Bitmap chess;
      ASSERT_TRUE(chess.SetSize(16, 16, PixelFormat::pf24bit));
      for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
          const uint8_t v = ((x / 8 + y / 8) & 1) ? 0xCC : 0xFF;
          std::fill_n(chess.Row(y) + x * 3, 3, v);
        }
      box_->SetBackgroundPicture(chess);
      box_->SetDrawBackground(tile);
      Load(alpha);
      int i = 1;  // starting from the loaded size would let the first run reuse the last paint
      last_ = MedianMs([&] { Nudge(i++); }, [&] { box_->ResampleNow(); });
      EXPECT_EQ(box_->LastPicturePaint(), ZoomImageBoxWindow::LastPaint::Resampled);
      char what[96];
      std::snprintf(what, sizeof what, "smooth paint, fit, %s, %s",
                    tile ? "resampler over the tile" : "halftone over the colour",
                    alpha ? "alpha" : "opaque");
      Report(what);
    }
  }
  // Scrolling a zoomed view keeps the displayed size: the smooth paint that follows is a copy.
  box_->Box().SetImageScale(50);
  box_->PaintNow();
  box_->ResampleNow();
  int step = 0;
  last_ = MedianMs(
      [&] {
        uint16_t key = (step++ & 1) ? kKeyLeft : kKeyRight;
        box_->Box().KeyDown(key, ssNone);
        UpdateWindow(box_->Handle());
      },
      [&] { box_->ResampleNow(); });
  Report("smooth paint after a scroll at 50 %");

  // Deeper zooms are resampled only where they are visible; every scroll is a new part.
  box_->Box().SetImageScale(400);
  last_ = MedianMs(
      [&] {
        uint16_t key = (step++ & 1) ? kKeyLeft : kKeyRight;
        box_->Box().KeyDown(key, ssNone);
        UpdateWindow(box_->Handle());
      },
      [&] { box_->ResampleNow(); });
  Report("smooth paint after a scroll at 400 % (visible part)");
}

}  // namespace
}  // namespace pictara::imagebox
