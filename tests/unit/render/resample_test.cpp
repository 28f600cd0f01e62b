#include "render/resample.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <utility>
#include <vector>

namespace pictara {
namespace {

Bitmap RandomBitmap(int32_t w, int32_t h, bool alpha, std::mt19937& rng, bool bottomUp = false) {
  Bitmap b;
  b.bottomUp = bottomUp;
  EXPECT_TRUE(b.SetSize(w, h, alpha ? PixelFormat::pf32bit : PixelFormat::pf24bit));
  std::uniform_int_distribution<int> byte(0, 255);
  for (int32_t y = 0; y < h; ++y) {
    uint8_t* p = b.Row(y);
    for (int32_t x = 0; x < w; ++x) {
      if (alpha) {
        // Valid premultiplied pixels, with some fully transparent and fully opaque ones.
        int a = byte(rng);
        a = a < 40 ? 0 : a > 200 ? 255 : a;
        for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(a ? byte(rng) % (a + 1) : 0);
        p[3] = static_cast<uint8_t>(a);
        p += 4;
      } else {
        for (int c = 0; c < 3; ++c) *p++ = static_cast<uint8_t>(byte(rng));
      }
    }
  }
  b.alphaFormat = alpha ? AlphaFormat::afDefined : AlphaFormat::afIgnored;
  return b;
}

// ---- An independent model of the filter ----------------------------------------------------------
// The Spline16 filter as the continuous two-dimensional operation it stands for: every output
// pixel is the sum over the source pixels of (horizontal weight × vertical weight × value), with
// each axis's weights normalised to 1, all in double precision and rounded only at the end. It has
// no pass order, no intermediate bytes and no fixed-point weights, so it does not share the
// implementation's arithmetic.

double Kernel(double t) {
  t = std::fabs(t);
  if (t < 1) return ((t - 1.8) * t - 0.2) * t + 1;
  if (t < 2) {
    const double u = t - 1;
    return ((-u / 3 + 0.8) * u - 7.0 / 15) * u;
  }
  return 0;
}

// The normalised weights of one axis: for each of the `m` outputs, (source index, weight).
std::vector<std::vector<std::pair<int, double>>> AxisWeights(int n, int m) {
  const double scale = static_cast<double>(n) / m;
  const double ks = scale < 1 ? 1 : 1 / scale;  // the kernel widens when reducing
  std::vector<std::vector<std::pair<int, double>>> weights(static_cast<size_t>(m));
  for (int x = 0; x < m; ++x) {
    const double centre = (x + 0.5) * scale;
    double sum = 0;
    for (int i = 0; i < n; ++i) {
      const double w = Kernel((i + 0.5 - centre) * ks);
      if (w == 0) continue;
      weights[x].push_back({i, w});
      sum += w;
    }
    for (auto& tap : weights[x]) tap.second /= sum;
  }
  return weights;
}

Bitmap Reference(const Bitmap& src, int32_t w, int32_t h, bool alpha) {
  const int ch = alpha ? 4 : 3;
  const auto across = AxisWeights(src.width, w), down = AxisWeights(src.height, h);
  Bitmap out;
  EXPECT_TRUE(out.SetSize(w, h, alpha ? PixelFormat::pf32bit : PixelFormat::pf24bit));
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      double v[4] = {0, 0, 0, 0};
      for (auto [j, wy] : down[y])
        for (auto [i, wx] : across[x])
          for (int c = 0; c < ch; ++c) v[c] += wx * wy * src.Row(j)[static_cast<size_t>(i) * ch + c];
      for (int c = 0; c < ch; ++c)
        out.Row(y)[static_cast<size_t>(x) * ch + c] = static_cast<uint8_t>(std::clamp(std::lround(v[c]), 0L, 255L));
    }
  }
  return out;
}

// A random picture of soft shapes: a sum of a few waves of random direction, frequency (up to a
// quarter cycle per pixel) and phase, kept inside the byte range with room to spare, so that no
// pass of the filter overshoots into clipping (clipping is tested on its own below). With alpha,
// colours are fractions of alpha, as premultiplied pixels are.
Bitmap SoftBitmap(int32_t w, int32_t h, bool alpha, std::mt19937& rng) {
  std::uniform_real_distribution<double> freq(-0.25, 0.25), phase(0, 6.2832);
  auto field = [&] {
    struct Wave {
      double fx, fy, p;
    };
    std::vector<Wave> waves;
    for (int k = 0; k < 3; ++k) waves.push_back({freq(rng), freq(rng), phase(rng)});
    return [waves](int x, int y) {
      double v = 0;
      for (const Wave& wv : waves) v += std::cos(6.2832 * (wv.fx * x + wv.fy * y) + wv.p);
      return v / 3;  // -1 .. 1
    };
  };
  Bitmap b;
  EXPECT_TRUE(b.SetSize(w, h, alpha ? PixelFormat::pf32bit : PixelFormat::pf24bit));
  const auto a = field(), c0 = field(), c1 = field(), c2 = field();
  for (int32_t y = 0; y < h; ++y) {
    uint8_t* p = b.Row(y);
    for (int32_t x = 0; x < w; ++x) {
      const double colours[3] = {c0(x, y), c1(x, y), c2(x, y)};
      if (alpha) {
        const double al = 175 + 60 * a(x, y);  // 115 .. 235
        for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(std::lround(al * (0.5 + 0.3 * colours[c])));
        p[3] = static_cast<uint8_t>(std::lround(al));
        p += 4;
      } else {
        for (int c = 0; c < 3; ++c) *p++ = static_cast<uint8_t>(std::lround(128 + 80 * colours[c]));
      }
    }
  }
  b.alphaFormat = alpha ? AlphaFormat::afDefined : AlphaFormat::afIgnored;
  return b;
}

int MaxDifference(const Bitmap& a, const Bitmap& b) {
  int worst = 0;
  const size_t bytes = static_cast<size_t>(a.width) * (a.pixelFormat == PixelFormat::pf32bit ? 4 : 3);
  for (int32_t y = 0; y < a.height; ++y)
    for (size_t i = 0; i < bytes; ++i) worst = std::max(worst, std::abs(a.Row(y)[i] - b.Row(y)[i]));
  return worst;
}

TEST(ResampleBitmap, AgreesWithTheExactTwoDimensionalFilterOnRandomPictures) {
  // How far apart the two may honestly be: the first pass rounds to bytes (half a unit), which the
  // second pass's weights carry on (their absolute sum stays under 1.2 for this kernel, its
  // negative lobes being shallow), the final rounding adds another half, and the 16.16 weights a
  // little more: under 2 before the model's own rounding, so at most 2 apart in bytes.
  constexpr int kTolerance = 2;
  std::mt19937 rng(20261209);
  std::uniform_int_distribution<int> size(1, 60);
  for (int round = 0; round < 200; ++round) {
    const bool alpha = round % 2 == 0;
    const int32_t sw = size(rng), sh = size(rng), dw = size(rng), dh = size(rng);
    SCOPED_TRACE(::testing::Message() << sw << "x" << sh << " -> " << dw << "x" << dh << (alpha ? " 32-bit" : " 24-bit"));
    Bitmap src = SoftBitmap(sw, sh, alpha, rng);
    Bitmap want = Reference(src, dw, dh, alpha);
    Bitmap dst;
    ASSERT_TRUE(ResampleBitmap(src, dst, dw, dh, alpha));
    ASSERT_EQ(dst.width, dw);
    ASSERT_EQ(dst.height, dh);
    EXPECT_LE(MaxDifference(dst, want), kTolerance);
  }
}

TEST(ResampleBitmap, FastAndPortableLoopsGiveTheSameBytes) {
  std::mt19937 rng(99);
  std::uniform_int_distribution<int> size(1, 90);
  for (int round = 0; round < 80; ++round) {
    const bool alpha = round % 2 == 1;
    const int32_t sw = size(rng), sh = size(rng), dw = size(rng), dh = size(rng);
    SCOPED_TRACE(::testing::Message() << sw << "x" << sh << " -> " << dw << "x" << dh << (alpha ? " 32-bit" : " 24-bit"));
    Bitmap src = RandomBitmap(sw, sh, alpha, rng), copy = src;
    Bitmap fast, portable;
    ASSERT_TRUE(ResampleBitmap(src, fast, dw, dh, alpha));
    ASSERT_TRUE(ResampleBitmapPortable(copy, portable, dw, dh, alpha));
    ASSERT_EQ(fast.bits, portable.bits);
  }
}

TEST(ResampleBitmap, UniformColourSurvivesExactly) {
  struct Case {
    int32_t sw, sh, dw, dh;
  };
  const Case kCases[] = {{4, 1, 2, 1}, {4, 4, 2, 2}, {7, 5, 3, 2}, {3, 3, 8, 9}, {100, 3, 7, 3}};
  for (const Case& c : kCases) {
    for (bool alpha : {false, true}) {
      SCOPED_TRACE(::testing::Message() << c.sw << "x" << c.sh << " -> " << c.dw << "x" << c.dh << " alpha " << alpha);
      Bitmap src;
      ASSERT_TRUE(src.SetSize(c.sw, c.sh, alpha ? PixelFormat::pf32bit : PixelFormat::pf24bit));
      const uint8_t pixel[4] = {17, 99, 180, 200};
      for (int32_t y = 0; y < c.sh; ++y)
        for (int32_t x = 0; x < c.sw; ++x) std::copy(pixel, pixel + (alpha ? 4 : 3), src.Row(y) + x * (alpha ? 4 : 3));
      Bitmap dst;
      ASSERT_TRUE(ResampleBitmap(src, dst, c.dw, c.dh, alpha));
      for (int32_t y = 0; y < c.dh; ++y)
        for (int32_t x = 0; x < c.dw; ++x)
          ASSERT_EQ(dst.PixelAt(x, y), (Rgba{180, 99, 17, static_cast<uint8_t>(alpha ? 200 : 255)})) << x << "," << y;
    }
  }
}

TEST(ResampleBitmap, SameSizeReproducesTheSource) {
  std::mt19937 rng(7);
  for (bool alpha : {false, true}) {
    Bitmap src = RandomBitmap(13, 9, alpha, rng);
    const Bitmap copy = src;
    Bitmap dst;
    ASSERT_TRUE(ResampleBitmap(src, dst, 13, 9, alpha));
    EXPECT_EQ(dst.bits, copy.bits) << "alpha " << alpha;
    EXPECT_EQ(dst.alphaFormat, copy.alphaFormat);
  }
}

TEST(ResampleBitmap, TapsCoverTheKernelAndStayInsideTheLine) {
  struct Case {
    int32_t src, dst;
    float support;
    int32_t maxTaps;
  };
  const Case kCases[] = {
      {10, 20, 2.0f, 6},    // enlarging: kernel at its own scale
      {10, 10, 2.0f, 6},
      {40, 10, 8.0f, 18},   // shrinking by 4 widens the kernel four times
      {7, 3, 2.0f * 7 / 3, 11},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(::testing::Message() << c.src << " -> " << c.dst);
    ResampleTaps t = ComputeResampleTaps(c.src, c.dst);
    EXPECT_NEAR(t.Support, c.support, 1e-5);
    EXPECT_EQ(t.MaxTaps, c.maxTaps);
    ASSERT_EQ(t.Samples.size(), static_cast<size_t>(c.dst));
    for (const auto& s : t.Samples) {
      ASSERT_FALSE(s.Weights.empty());
      EXPECT_GE(s.First, 0);
      EXPECT_LE(s.First + static_cast<int32_t>(s.Weights.size()), c.src);
      EXPECT_LE(static_cast<int32_t>(s.Weights.size()), t.MaxTaps);
      int64_t sum = 0;
      for (int32_t w : s.Weights) sum += w;
      // Each weight is rounded on its own after normalising to 65536.
      EXPECT_LE(std::abs(sum - 65536), static_cast<int64_t>(s.Weights.size()));
    }
  }
  // At the edge only the taps inside the line remain, re-normalised: the first sample of a
  // 4-times reduction keeps 10 of its 18 places yet still sums to 65536.
  ResampleTaps t = ComputeResampleTaps(40, 10);
  EXPECT_EQ(t.Samples[0].First, 0);
  EXPECT_LT(t.Samples[0].Weights.size(), t.Samples[5].Weights.size());
}

TEST(ResampleBitmap, ColourNeverExceedsAlpha) {
  // Colour 200 over alpha 100 is not a premultiplied pixel; the filter clamps colour to alpha.
  Bitmap src;
  ASSERT_TRUE(src.SetSize(6, 6, PixelFormat::pf32bit));
  for (size_t i = 0; i < src.bits.size(); i += 4) src.bits[i] = 200, src.bits[i + 1] = 50, src.bits[i + 3] = 100;
  Bitmap dst;
  ASSERT_TRUE(ResampleBitmap(src, dst, 3, 4, true));
  EXPECT_EQ(dst.PixelAt(1, 1), (Rgba{0, 50, 100, 100}));
  // Overshoot next to a hard transparent edge: an opaque white half beside a transparent half.
  std::mt19937 rng(3);
  Bitmap edge;
  ASSERT_TRUE(edge.SetSize(8, 3, PixelFormat::pf32bit));
  for (int32_t y = 0; y < 3; ++y) std::fill(edge.Row(y), edge.Row(y) + 16, 255);
  ASSERT_TRUE(ResampleBitmap(edge, dst, 21, 3, true));
  for (int32_t x = 0; x < 21; ++x) {
    const Rgba c = dst.PixelAt(x, 1);
    EXPECT_LE(std::max({c.r, c.g, c.b}), c.a) << x;
  }
}

TEST(ResampleBitmap, BadSizesFailAndTouchNothing) {
  struct Case {
    const char* name;
    int32_t srcW, srcH, newW, newH;
  };
  const Case kCases[] = {
      {"new width 0", 4, 4, 0, 4}, {"new height 0", 4, 4, 4, 0}, {"negative width", 4, 4, -3, 4},
      {"empty source", 0, 0, 4, 4},
  };
  std::mt19937 rng(1);
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Bitmap src;
    if (c.srcW > 0) src = RandomBitmap(c.srcW, c.srcH, true, rng);
    Bitmap dst = RandomBitmap(2, 3, false, rng);
    const Bitmap srcBefore = src, dstBefore = dst;
    EXPECT_FALSE(ResampleBitmap(src, dst, c.newW, c.newH, false));
    EXPECT_EQ(src.pixelFormat, srcBefore.pixelFormat);
    EXPECT_EQ(src.bits, srcBefore.bits);
    EXPECT_EQ(dst.width, dstBefore.width);
    EXPECT_EQ(dst.bits, dstBefore.bits);
  }
}

TEST(ResampleBitmap, BottomUpGivesTheSamePictureAsTopDown) {
  std::mt19937 rng(11);
  for (bool alpha : {false, true}) {
    Bitmap top = RandomBitmap(9, 7, alpha, rng);
    Bitmap bottom = top;
    bottom.bottomUp = true;
    for (int32_t y = 0; y < 7; ++y) std::copy(top.Row(y), top.Row(y) + top.Stride(), bottom.Row(y));
    for (auto [w, h] : {std::pair{4, 11}, std::pair{13, 3}}) {
      SCOPED_TRACE(::testing::Message() << w << "x" << h << " alpha " << alpha);
      Bitmap a, b;
      Bitmap t = top, u = bottom;
      ASSERT_TRUE(ResampleBitmap(t, a, w, h, alpha));
      ASSERT_TRUE(ResampleBitmap(u, b, w, h, alpha));
      EXPECT_TRUE(b.bottomUp);
      for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) ASSERT_EQ(a.PixelAt(x, y), b.PixelAt(x, y)) << x << "," << y;
    }
  }
}

TEST(ResampleBitmap, SourceTakesThePixelFormatOfTheFilter) {
  std::mt19937 rng(5);
  Bitmap src = RandomBitmap(5, 5, true, rng), dst;
  ASSERT_TRUE(ResampleBitmap(src, dst, 2, 2, false));
  EXPECT_EQ(src.pixelFormat, PixelFormat::pf24bit);
  EXPECT_EQ(dst.pixelFormat, PixelFormat::pf24bit);
  Bitmap palette;
  ASSERT_TRUE(palette.SetSize(4, 2, PixelFormat::pf8bit));
  palette.palette = {{9, 8, 7, 255}};
  ASSERT_TRUE(ResampleBitmap(palette, dst, 2, 1, true));
  EXPECT_EQ(palette.pixelFormat, PixelFormat::pf32bit);
  EXPECT_EQ(dst.PixelAt(0, 0), (Rgba{9, 8, 7, 255}));
}

}  // namespace
}  // namespace pictara
