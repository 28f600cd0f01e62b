// ResampleBitmap on the sizes the plug-in meets: a screen-sized picture to a thumbnail, a drawing
// doubled for a high-density screen, a large render to a thumbnail. bench/pillow_resize.py measures
// Pillow's bicubic resize on the same sizes for comparison.
#include <benchmark/benchmark.h>

#include <random>

#include "render/resample.h"

namespace {

pictara::Bitmap Noise(int32_t w, int32_t h, bool alpha) {
  pictara::Bitmap b;
  b.SetSize(w, h, alpha ? pictara::PixelFormat::pf32bit : pictara::PixelFormat::pf24bit);
  b.alphaFormat = alpha ? pictara::AlphaFormat::afDefined : pictara::AlphaFormat::afIgnored;
  std::mt19937 rng(1);
  for (size_t i = 0; i < b.bits.size(); ++i) b.bits[i] = static_cast<uint8_t>(rng());
  if (alpha)  // premultiplied: colour within alpha
    for (size_t i = 0; i + 3 < b.bits.size(); i += 4)
      for (int c = 0; c < 3; ++c) b.bits[i + c] = static_cast<uint8_t>(b.bits[i + c] % (b.bits[i + 3] + 1));
  return b;
}

void BM_Resample(benchmark::State& state) {
  const bool alpha = state.range(0) == 32;
  const auto sw = static_cast<int32_t>(state.range(1)), sh = static_cast<int32_t>(state.range(2));
  const auto dw = static_cast<int32_t>(state.range(3)), dh = static_cast<int32_t>(state.range(4));
  pictara::Bitmap src = Noise(sw, sh, alpha);
  pictara::Bitmap dst;
  for (auto _ : state) {
    if (!pictara::ResampleBitmap(src, dst, dw, dh, alpha)) state.SkipWithError("ResampleBitmap failed");
    benchmark::DoNotOptimize(dst.bits.data());
  }
}

void Sizes(benchmark::internal::Benchmark* b) {
  for (int bits : {32, 24}) {
    b->Args({bits, 1920, 1080, 480, 270});
    b->Args({bits, 1000, 1000, 2000, 2000});
    b->Args({bits, 4000, 3000, 256, 192});
  }
  b->ArgNames({"bpp", "sw", "sh", "dw", "dh"});
  b->Unit(benchmark::kMillisecond);
  b->UseRealTime();
}

BENCHMARK(BM_Resample)->Apply(Sizes);

}  // namespace

BENCHMARK_MAIN();
