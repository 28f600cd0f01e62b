#include "render/resample.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#define PICTARA_RESAMPLE_SSE2 1
#endif

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
  // The same weights for 16-bit multiply-add: w = high * 256 + low with low in 0..255, both as
  // 16-bit halves of one 32-bit word per pair of neighbouring taps (the second 0 for an odd last
  // tap). The sums stay exact; `paired` is false when a weight is too large to split so.
  std::vector<int32_t> highPairs, lowPairs;
  size_t pairStride = 0;
  bool paired = false;
};

void PairWeights(TapTable& t, size_t samples) {
  t.paired = false;
  for (int32_t w : t.weights)
    if (w >= (1 << 23) || w < -(1 << 23)) return;
  t.pairStride = (t.stride + 1) / 2;
  t.highPairs.assign(t.pairStride * samples, 0);
  t.lowPairs.assign(t.pairStride * samples, 0);
  for (size_t x = 0; x < samples; ++x) {
    const int32_t* w = t.weights.data() + x * t.stride;
    const size_t n = static_cast<size_t>(t.count[x]);
    for (size_t k = 0; k < n; k += 2) {
      const int32_t w0 = w[k], w1 = k + 1 < n ? w[k + 1] : 0;
      auto half = [](int32_t v) { return static_cast<uint32_t>(static_cast<uint16_t>(v)); };
      t.highPairs[x * t.pairStride + k / 2] = static_cast<int32_t>(half(w0 >> 8) | half(w1 >> 8) << 16);
      t.lowPairs[x * t.pairStride + k / 2] = static_cast<int32_t>(half(w0 & 0xFF) | half(w1 & 0xFF) << 16);
    }
  }
  t.paired = true;
}

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
    PairWeights(table, static_cast<size_t>(dstCount));
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

#if PICTARA_RESAMPLE_SSE2
// The filters' clamps on sixteen 16.16 sums at once. Shifting right by 16 and saturating to
// 0..255 gives exactly the plain clamp (a sum at or below 0 becomes 0, one at or above 255 << 16
// becomes 255); the alpha clamp is then the byte minimum of each colour and its pixel's alpha.
inline __m128i ClampPlain16(__m128i a0, __m128i a1, __m128i a2, __m128i a3) {
  const __m128i lo = _mm_packs_epi32(_mm_srai_epi32(a0, 16), _mm_srai_epi32(a1, 16));
  const __m128i hi = _mm_packs_epi32(_mm_srai_epi32(a2, 16), _mm_srai_epi32(a3, 16));
  return _mm_packus_epi16(lo, hi);
}

inline __m128i ClampToAlpha16(__m128i bytes) {
  __m128i alpha = _mm_srli_epi32(bytes, 24);
  alpha = _mm_or_si128(alpha, _mm_slli_epi32(alpha, 8));
  alpha = _mm_or_si128(alpha, _mm_slli_epi32(alpha, 16));
  return _mm_min_epu8(bytes, alpha);
}
#endif

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

#if PICTARA_RESAMPLE_SSE2
// The horizontal pass two taps at a time: the channels of two neighbouring pixels interleaved as
// 16-bit pairs, multiplied and added with the paired weights in one instruction per weight half.
// Reads 8 bytes from the first pixel of each pair; near the end of the readable memory `end` they
// are copied out first. Bytes beyond the pixels only meet zero weights or the unused fourth lane.
template <int kBytes, bool kAlpha>
void HorizontalPassSse2(const uint8_t* src, size_t srcStride, const uint8_t* end, uint8_t* dst, size_t dstStride,
                        int32_t rows, int32_t dstCount, const TapTable& t) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i half = _mm_set1_epi32(kHalf);
  for (int32_t r = 0; r < rows; ++r) {
    const uint8_t* s = src + static_cast<size_t>(r) * srcStride;
    uint8_t* d = dst + static_cast<size_t>(r) * dstStride;
    for (int32_t x = 0; x < dstCount; ++x, d += kBytes) {
      const int32_t* hi = t.highPairs.data() + static_cast<size_t>(x) * t.pairStride;
      const int32_t* lo = t.lowPairs.data() + static_cast<size_t>(x) * t.pairStride;
      const uint8_t* p = s + static_cast<size_t>(t.first[x]) * kBytes;
      const int32_t pairs = (t.count[x] + 1) / 2;
      __m128i accHi = zero, accLo = zero;
      for (int32_t j = 0; j < pairs; ++j, p += 2 * kBytes) {
        __m128i px;
        if (end - p >= 8) {
          px = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
        } else {
          alignas(16) uint8_t tail[16] = {};
          std::memcpy(tail, p, static_cast<size_t>(end - p));
          px = _mm_load_si128(reinterpret_cast<const __m128i*>(tail));
        }
        px = _mm_unpacklo_epi8(px, _mm_srli_si128(px, kBytes));
        px = _mm_unpacklo_epi8(px, zero);
        accHi = _mm_add_epi32(accHi, _mm_madd_epi16(px, _mm_set1_epi32(hi[j])));
        accLo = _mm_add_epi32(accLo, _mm_madd_epi16(px, _mm_set1_epi32(lo[j])));
      }
      // An empty tap list leaves the start value, which clamps to 0.
      const __m128i acc = _mm_add_epi32(_mm_add_epi32(_mm_slli_epi32(accHi, 8), accLo), half);
      __m128i bytes = ClampPlain16(acc, zero, zero, zero);
      if constexpr (kAlpha) bytes = ClampToAlpha16(bytes);
      const uint32_t pixel = static_cast<uint32_t>(_mm_cvtsi128_si32(bytes));
      std::memcpy(d, &pixel, kBytes);
    }
  }
}
#endif

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
      size_t done = 0;
#if PICTARA_RESAMPLE_SSE2
      if (t.paired) {
        // Two source rows at a time, their bytes interleaved as 16-bit pairs for multiply-add.
        done = bytes & ~size_t{15};
        const int32_t* hi = t.highPairs.data() + static_cast<size_t>(y) * t.pairStride;
        const int32_t* lo = t.lowPairs.data() + static_cast<size_t>(y) * t.pairStride;
        const __m128i zero = _mm_setzero_si128();
        for (int32_t k = 0; k < n; k += 2) {
          const uint8_t* s0 = rows + static_cast<size_t>(k) * srcStride + off;
          // An odd last tap pairs with itself under a zero weight: no row beyond the taps is read.
          const uint8_t* s1 = k + 1 < n ? s0 + srcStride : s0;
          const __m128i wh = _mm_set1_epi32(hi[k / 2]), wl = _mm_set1_epi32(lo[k / 2]);
          for (size_t j = 0; j < done; j += 16) {
            const __m128i r0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s0 + j));
            const __m128i r1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s1 + j));
            const __m128i l = _mm_unpacklo_epi8(r0, r1), h = _mm_unpackhi_epi8(r0, r1);
            const __m128i q[4] = {_mm_unpacklo_epi8(l, zero), _mm_unpackhi_epi8(l, zero), _mm_unpacklo_epi8(h, zero),
                                  _mm_unpackhi_epi8(h, zero)};
            for (int i = 0; i < 4; ++i) {
              __m128i* at = reinterpret_cast<__m128i*>(a + j + 4 * i);
              const __m128i sum =
                  _mm_add_epi32(_mm_slli_epi32(_mm_madd_epi16(q[i], wh), 8), _mm_madd_epi16(q[i], wl));
              _mm_storeu_si128(at, _mm_add_epi32(_mm_loadu_si128(at), sum));
            }
          }
        }
      }
#endif
      for (int32_t k = 0; k < n && done < bytes; ++k) {
        const int32_t wk = w[k];
        if (wk == 0) continue;
        const uint8_t* __restrict s = rows + static_cast<size_t>(k) * srcStride + off;
        for (size_t j = done; j < bytes; ++j) a[j] += wk * s[j];
      }
      uint8_t* out = d + off;
      size_t clamped = 0;
#if PICTARA_RESAMPLE_SSE2
      for (; clamped + 16 <= bytes; clamped += 16) {
        const __m128i* at = reinterpret_cast<const __m128i*>(a + clamped);
        __m128i v = ClampPlain16(_mm_loadu_si128(at), _mm_loadu_si128(at + 1), _mm_loadu_si128(at + 2),
                                 _mm_loadu_si128(at + 3));
        if constexpr (kAlpha) v = ClampToAlpha16(v);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + clamped), v);
      }
#endif
      if constexpr (kAlpha) {
        for (size_t j = clamped; j < bytes; j += 4) {
          const uint8_t alpha = ClampPlain(a[j + 3]);
          out[j] = ClampToAlpha(a[j], alpha);
          out[j + 1] = ClampToAlpha(a[j + 1], alpha);
          out[j + 2] = ClampToAlpha(a[j + 2], alpha);
          out[j + 3] = alpha;
        }
      } else {
        for (size_t j = clamped; j < bytes; ++j) out[j] = ClampPlain(a[j]);
      }
    }
  }
}

template <int kBytes, bool kAlpha>
bool Resample(const Bitmap& src, Bitmap& dst, bool simd) {
  const int32_t sw = src.width, sh = src.height, dw = dst.width, dh = dst.height;
  const size_t srcStride = src.Stride(), dstStride = dst.Stride();
  TapTable horizontal, vertical;
  if (!BuildTable(sw, dw, horizontal) || !BuildTable(sh, dh, vertical)) return false;
  if (!simd) horizontal.paired = vertical.paired = false;
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
  auto horizontalPass = [&](const uint8_t* from, size_t fromStride, size_t fromBytes, uint8_t* to, size_t toStride,
                            int32_t rows) {
#if PICTARA_RESAMPLE_SSE2
    if (horizontal.paired) {
      HorizontalPassSse2<kBytes, kAlpha>(from, fromStride, from + fromBytes, to, toStride, rows, dw, horizontal);
      return;
    }
#endif
    (void)fromBytes;
    HorizontalPass<kBytes, kAlpha>(from, fromStride, to, toStride, rows, dw, horizontal);
  };
  if (horizontalFirst) {
    horizontalPass(src.bits.data(), srcStride, srcStride * static_cast<size_t>(sh), buffer.data(), bufferStride, sh);
    VerticalPass<kBytes, kAlpha>(buffer.data(), bufferStride, dst.bits.data(), dstStride,
                                 static_cast<size_t>(dw), dh, vertical, acc.data());
  } else {
    VerticalPass<kBytes, kAlpha>(src.bits.data(), srcStride, buffer.data(), bufferStride,
                                 static_cast<size_t>(sw), dh, vertical, acc.data());
    horizontalPass(buffer.data(), bufferStride, buffer.size(), dst.bits.data(), dstStride, dh);
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

namespace {

bool ResampleWith(Bitmap& Src, Bitmap& Dst, int32_t NewWidth, int32_t NewHeight, bool HasAlpha, bool simd) {
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
  return HasAlpha ? Resample<4, true>(Src, Dst, simd) : Resample<3, false>(Src, Dst, simd);
}

}  // namespace

bool ResampleBitmap(Bitmap& Src, Bitmap& Dst, int32_t NewWidth, int32_t NewHeight, bool HasAlpha) {
  return ResampleWith(Src, Dst, NewWidth, NewHeight, HasAlpha, true);
}

bool ResampleBitmapPortable(Bitmap& Src, Bitmap& Dst, int32_t NewWidth, int32_t NewHeight, bool HasAlpha) {
  return ResampleWith(Src, Dst, NewWidth, NewHeight, HasAlpha, false);
}

}  // namespace pictara
