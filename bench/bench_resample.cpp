// ResampleBitmap on the sizes the plug-in meets: a screen-sized picture to a thumbnail, a drawing
// doubled for a high-density screen, a large render to a thumbnail. At the end bench/pillow_resize.py
// measures Pillow's bicubic resize on the same sizes, and the two are printed side by side.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>

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

// Keeps each case's processor time per iteration (ms) while printing as usual.
class Collector : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration || r.aggregate_name == "median") {
        const std::string& args = r.run_name.args;  // "bpp:32/sw:1920/..."
        cpuMs[Key(args)] = r.GetAdjustedCPUTime();
      }
    ConsoleReporter::ReportRuns(runs);
  }
  // "32/1920x1080->480x270", as the Pillow script names its cases.
  static std::string Key(const std::string& args) {
    int v[5] = {};
    std::sscanf(args.c_str(), "bpp:%d/sw:%d/sh:%d/dw:%d/dh:%d", &v[0], &v[1], &v[2], &v[3], &v[4]);
    char key[64];
    std::snprintf(key, sizeof key, "%d/%dx%d->%dx%d", v[0], v[1], v[2], v[3], v[4]);
    return key;
  }
  std::map<std::string, double> cpuMs;
};

// Pillow's bicubic resize on the same cases (bench/pillow_resize.py beside this file, Debian's
// python3-pil), then both processor times side by side.
void CompareWithPillow(const Collector& ours) {
  std::string script = __FILE__;
  script = script.substr(0, script.find_last_of('/') + 1) + "pillow_resize.py";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(("/usr/bin/python3 '" + script + "' 2>&1").c_str(), "r"), pclose);
  if (!pipe) return;
  std::printf("\n%-30s %12s %12s %8s\n", "case (processor time)", "ResampleBitmap", "Pillow", "ratio");
  char line[256];
  while (std::fgets(line, sizeof line, pipe.get())) {
    char name[64] = {};
    double wall = 0, cpu = 0;
    if (std::sscanf(line, "pillow/%63s wall %lf ms cpu %lf ms", name, &wall, &cpu) != 3) {
      std::fputs(line, stdout);
      continue;
    }
    auto it = ours.cpuMs.find(name);
    if (it == ours.cpuMs.end()) continue;
    std::printf("%-30s %9.2f ms %9.2f ms %7.2fx\n", name, it->second, cpu, cpu / it->second);
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  Collector collector;
  benchmark::RunSpecifiedBenchmarks(&collector);
  benchmark::Shutdown();
  CompareWithPillow(collector);
  return 0;
}
