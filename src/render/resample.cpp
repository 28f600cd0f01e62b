#include "render/resample.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

namespace pictara {

namespace {

// One half in 16.16 fixed point: accumulators start here so that the final shift rounds.
constexpr int32_t kHalf = 32768;

// All weights of one axis in one block: sample x uses weights[x * stride .. + count[x]) against
// source indices first[x] ... Gaps where the kernel is exactly 0 hold weight 0, so every sample's
// taps are one contiguous run of source samples and the loops below need no index table.
struct TapTable {
  std::vector<int32_t> first;
  std::vector<int32_t> count;
  std::vector<int32_t> weights;
  size_t stride = 0;
};

struct FloatTap {
  int32_t index;
  float weight;
};

// The kernel, with the single-precision steps of the reference arithmetic: every quantity is a
// float, products and sums are formed in double and stored back as float.
float Spline16(float t) {
  if (t < 1.0f) {
    const double td = t;
    return static_cast<float>(td * td * td - 1.8 * td * td - 0.2 * td + 1.0);
  }
  const float u = static_cast<float>(static_cast<double>(t) - 1.0);
  const double ud = u;
  return static_cast<float>(ud * ud * (0.8 - ud / 3.0) - ud * 7.0 / 15.0);
}

struct AxisScale {
  float scale, kernelScale, support;
};

AxisScale ScaleOf(int32_t srcCount, int32_t dstCount) {
  AxisScale a;
  a.scale = static_cast<float>(static_cast<double>(srcCount) / static_cast<double>(dstCount));
  a.kernelScale = a.scale < 1.0f ? 1.0f : static_cast<float>(1.0 / static_cast<double>(a.scale));
  a.support = static_cast<float>(2.0 / static_cast<double>(a.kernelScale));
  return a;
}

// Taps of destination sample x, normalised to 65536 (empty when the weights sum to 0).
void SampleTaps(const AxisScale& a, int32_t srcCount, int32_t x, std::vector<FloatTap>& taps,
                std::vector<int32_t>& out, int32_t& first) {
  taps.clear();
  out.clear();
  first = 0;
  const float centre = static_cast<float>((static_cast<double>(x) + 0.5) * a.scale);
  const double lo = std::floor(static_cast<double>(centre) - a.support);
  const double hi = std::ceil(static_cast<double>(centre) + a.support);
  float sum = 0.0f;
  for (double id = lo; id <= hi; id += 1.0) {
    const float distance = static_cast<float>(std::fabs(id - static_cast<double>(centre) + 0.5));
    if (distance > a.support) continue;
    const float t = static_cast<float>(static_cast<double>(distance) * a.kernelScale);
    const float w = Spline16(t);
    if (w != 0.0f && id >= 0.0 && id < srcCount) {
      taps.push_back({static_cast<int32_t>(id), w});
      sum = static_cast<float>(static_cast<double>(sum) + w);
    }
  }
  if (sum == 0.0f || taps.empty()) return;
  const float factor = static_cast<float>(65536.0 / static_cast<double>(sum));
  first = taps.front().index;
  out.assign(static_cast<size_t>(taps.back().index - first + 1), 0);
  // Nearest integer, halves to even (the default floating-point rounding).
  for (const FloatTap& t : taps)
    out[static_cast<size_t>(t.index - first)] =
        static_cast<int32_t>(std::nearbyint(static_cast<double>(t.weight) * factor));
}

bool BuildTable(int32_t srcCount, int32_t dstCount, TapTable& table) {
  const AxisScale a = ScaleOf(srcCount, dstCount);
  // At most trunc(2 * support + 2) taps per sample; a contiguous run is no longer than that.
  const double room = std::trunc(2.0 * a.support + 2.0);
  if (!(room >= 1.0) || room > static_cast<double>(std::numeric_limits<int32_t>::max())) return false;
  const size_t stride = static_cast<size_t>(room);
  if (stride > std::numeric_limits<size_t>::max() / 4 / static_cast<size_t>(dstCount)) return false;
  try {
    table.first.assign(static_cast<size_t>(dstCount), 0);
    table.count.assign(static_cast<size_t>(dstCount), 0);
    table.weights.assign(stride * static_cast<size_t>(dstCount), 0);
    table.stride = stride;
    std::vector<FloatTap> taps;
    std::vector<int32_t> w;
    taps.reserve(stride + 2);
    w.reserve(stride + 2);
    for (int32_t x = 0; x < dstCount; ++x) {
      int32_t first = 0;
      SampleTaps(a, srcCount, x, taps, w, first);
      if (w.size() > stride) return false;  // cannot happen with the kernel's support
      table.first[x] = first;
      table.count[x] = static_cast<int32_t>(w.size());
      std::copy(w.begin(), w.end(), table.weights.begin() + static_cast<ptrdiff_t>(x * stride));
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

inline uint8_t ClampPlain(int32_t acc) {
  if (acc <= 0) return 0;
  if (acc >= 255 * 65536) return 255;
  return static_cast<uint8_t>(acc >> 16);
}

inline uint8_t ClampToAlpha(int32_t acc, uint8_t alpha) {
  if (acc <= 0) return 0;
  if (acc >= static_cast<int32_t>(alpha) << 16) return alpha;
  return static_cast<uint8_t>(acc >> 16);
}

// Along rows: every row of `rows` lines, sample x of the destination from the contiguous source
// pixels first[x] ... The four (three) channel sums of a pixel are kept in registers.
template <int kBytes, bool kAlpha>
void HorizontalPass(const uint8_t* src, size_t srcStride, uint8_t* dst, size_t dstStride, int32_t rows,
                    int32_t dstCount, const TapTable& t) {
  for (int32_t r = 0; r < rows; ++r) {
    const uint8_t* s = src + static_cast<size_t>(r) * srcStride;
    uint8_t* d = dst + static_cast<size_t>(r) * dstStride;
    for (int32_t x = 0; x < dstCount; ++x, d += kBytes) {
      const int32_t* w = t.weights.data() + static_cast<size_t>(x) * t.stride;
      const uint8_t* p = s + static_cast<size_t>(t.first[x]) * kBytes;
      const int32_t n = t.count[x];
      int32_t a0 = kHalf, a1 = kHalf, a2 = kHalf, a3 = kHalf;
      for (int32_t k = 0; k < n; ++k, p += kBytes) {
        const int32_t wk = w[k];
        a0 += wk * p[0];
        a1 += wk * p[1];
        a2 += wk * p[2];
        if constexpr (kBytes == 4) a3 += wk * p[3];
      }
      if constexpr (kAlpha) {
        const uint8_t alpha = ClampPlain(a3);
        d[0] = ClampToAlpha(a0, alpha);
        d[1] = ClampToAlpha(a1, alpha);
        d[2] = ClampToAlpha(a2, alpha);
        d[3] = alpha;
      } else {
        d[0] = ClampPlain(a0);
        d[1] = ClampPlain(a1);
        d[2] = ClampPlain(a2);
        if constexpr (kBytes == 4) d[3] = ClampPlain(a3);
      }
    }
  }
}

// Across rows: destination row y is the weighted sum of the contiguous source rows first[y] ...
// The sums of a whole band of bytes are built tap by tap (a plain multiply-add over contiguous
// memory that the compiler vectorises); the band is small enough to stay in the first-level cache.
template <int kBytes, bool kAlpha>
void VerticalPass(const uint8_t* src, size_t srcStride, uint8_t* dst, size_t dstStride, size_t pixels,
                  int32_t dstCount, const TapTable& t, int32_t* acc) {
  constexpr size_t kBandPixels = 512;
  for (int32_t y = 0; y < dstCount; ++y) {
    const int32_t* w = t.weights.data() + static_cast<size_t>(y) * t.stride;
    const uint8_t* rows = src + static_cast<size_t>(t.first[y]) * srcStride;
    const int32_t n = t.count[y];
    uint8_t* d = dst + static_cast<size_t>(y) * dstStride;
    for (size_t x0 = 0; x0 < pixels; x0 += kBandPixels) {
      const size_t bytes = std::min(kBandPixels, pixels - x0) * kBytes;
      const size_t off = x0 * kBytes;
      int32_t* __restrict a = acc;
      for (size_t j = 0; j < bytes; ++j) a[j] = kHalf;
      for (int32_t k = 0; k < n; ++k) {
        const int32_t wk = w[k];
        if (wk == 0) continue;
        const uint8_t* __restrict s = rows + static_cast<size_t>(k) * srcStride + off;
        for (size_t j = 0; j < bytes; ++j) a[j] += wk * s[j];
      }
      uint8_t* out = d + off;
      if constexpr (kAlpha) {
        for (size_t j = 0; j < bytes; j += 4) {
          const uint8_t alpha = ClampPlain(a[j + 3]);
          out[j] = ClampToAlpha(a[j], alpha);
          out[j + 1] = ClampToAlpha(a[j + 1], alpha);
          out[j + 2] = ClampToAlpha(a[j + 2], alpha);
          out[j + 3] = alpha;
        }
      } else {
        for (size_t j = 0; j < bytes; ++j) out[j] = ClampPlain(a[j]);
      }
    }
  }
}

template <int kBytes, bool kAlpha>
bool Resample(const Bitmap& src, Bitmap& dst) {
  const int32_t sw = src.width, sh = src.height, dw = dst.width, dh = dst.height;
  const size_t srcStride = src.Stride(), dstStride = dst.Stride();
  TapTable horizontal, vertical;
  if (!BuildTable(sw, dw, horizontal) || !BuildTable(sh, dh, vertical)) return false;
  // Which direction reduces more goes first, so the second pass works on less data.
  const bool horizontalFirst = static_cast<int64_t>(dw) * sh < static_cast<int64_t>(dh) * sw;
  const size_t bufferRows = static_cast<size_t>(horizontalFirst ? sh : dh);
  const size_t bufferStride = horizontalFirst ? dstStride : srcStride;
  if (bufferStride == 0 || bufferRows > std::numeric_limits<size_t>::max() / 4 / bufferStride) return false;
  std::vector<uint8_t> buffer;
  std::vector<int32_t> acc;
  try {
    buffer.resize(bufferRows * bufferStride);
    acc.resize(512 * kBytes);
  } catch (const std::bad_alloc&) {
    return false;
  }
  // Rows are taken in memory order (lowest address first) on both sides, so bottom-up and top-down
  // bitmaps are handled alike.
  if (horizontalFirst) {
    HorizontalPass<kBytes, kAlpha>(src.bits.data(), srcStride, buffer.data(), bufferStride, sh, dw, horizontal);
    VerticalPass<kBytes, kAlpha>(buffer.data(), bufferStride, dst.bits.data(), dstStride,
                                 static_cast<size_t>(dw), dh, vertical, acc.data());
  } else {
    VerticalPass<kBytes, kAlpha>(src.bits.data(), srcStride, buffer.data(), bufferStride,
                                 static_cast<size_t>(sw), dh, vertical, acc.data());
    HorizontalPass<kBytes, kAlpha>(buffer.data(), bufferStride, dst.bits.data(), dstStride, dh, dw, horizontal);
  }
  return true;
}

}  // namespace

ResampleTaps ComputeResampleTaps(int32_t SrcCount, int32_t DstCount) {
  ResampleTaps r;
  if (SrcCount <= 0 || DstCount <= 0) return r;
  const AxisScale a = ScaleOf(SrcCount, DstCount);
  r.Support = a.support;
  r.MaxTaps = static_cast<int32_t>(std::trunc(2.0 * a.support + 2.0));
  std::vector<FloatTap> taps;
  r.Samples.resize(static_cast<size_t>(DstCount));
  for (int32_t x = 0; x < DstCount; ++x) SampleTaps(a, SrcCount, x, taps, r.Samples[x].Weights, r.Samples[x].First);
  return r;
}

bool ResampleBitmap(Bitmap& Src, Bitmap& Dst, int32_t NewWidth, int32_t NewHeight, bool HasAlpha) {
  if (NewWidth <= 0 || NewHeight <= 0) return false;
  if (Src.width <= 0 || Src.height <= 0) return false;
  const PixelFormat format = HasAlpha ? PixelFormat::pf32bit : PixelFormat::pf24bit;
  if (Src.bits.size() < Src.Stride() * static_cast<size_t>(Src.height)) return false;
  if (!Src.ConvertTo(format)) return false;
  Dst.bottomUp = Src.bottomUp;
  if (!Dst.SetSize(NewWidth, NewHeight, format)) return false;
  Dst.alphaFormat = Src.alphaFormat;
  Dst.palette.clear();
  Dst.transparentColor.reset();
  return HasAlpha ? Resample<4, true>(Src, Dst) : Resample<3, false>(Src, Dst);
}

}  // namespace pictara
