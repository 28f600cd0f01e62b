// ConvertSvg against running rsvg-convert directly with the same arguments, side by side: what our
// own steps (size reading, temporary names, checks, the runner) add to the converter's time.
// Run: build/bench/bin/bench_convert --benchmark_repetitions=5
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "platform/files.h"
#include "platform/process.h"
#include "render/convert.h"
#include "settings/settings.h"

extern char** environ;

namespace {

using namespace pictara;

// The source tree, from this file's own (absolute) name: .../bench/bench_convert.cpp.
std::string SourceDir() {
  const std::string self = __FILE__;
  return self.substr(0, self.rfind("/bench/") + 1);
}

const std::string kDrawing = SourceDir() + "tests/fixtures/convert/typical800x600.svg";
const std::string kRsvg = "/usr/bin/rsvg-convert";
constexpr Size kScreen{1920, 1080};

TSettings BenchSettings() {
  TSettings s;
  s.RSVGPath = kRsvg;
  // Both sides at the same priority, so only our own work differs.
  s.HighPriority = false;
  return s;
}

// Records the command line ConvertSvg hands to the converter.
class TRecorder : public TConvertServices {
 public:
  std::string parameters;
  int32_t RunAndWait(const std::string& program, const std::string& params,
                     const std::string& directory, TShowMode mode, bool high,
                     uint32_t timeoutMs, TRunControl* control) override {
    parameters = params;
    return TConvertServices::RunAndWait(program, params, directory, mode, high, timeoutMs, control);
  }
};

// The converter's own arguments for the drawing, with the output sent to `output`.
std::vector<std::string> DirectArguments(const std::string& output) {
  TSettings settings = BenchSettings();
  TRecorder recorder;
  int32_t w, h;
  const std::string result =
      ConvertSvg(kDrawing, kScreen, false, true, false, false, w, h, settings, recorder);
  DeleteFileName(result);
  std::vector<std::string> args = SplitCommandLineTail(recorder.parameters);
  args.back() = output;  // "-o" is followed by the output name
  args.insert(args.begin(), kRsvg);
  return args;
}

void RunDirect(std::vector<std::string>& args, const std::string& output) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid;
  if (posix_spawn(&pid, kRsvg.c_str(), nullptr, nullptr, argv.data(), environ) == 0) {
    int status;
    waitpid(pid, &status, 0);
  }
  DeleteFileName(output);
}

void RunOurs(const TSettings& settings) {
  int32_t w, h;
  const std::string result = ConvertSvg(kDrawing, kScreen, false, true, false, false, w, h,
                                        settings, SystemConvertServices());
  benchmark::DoNotOptimize(w);
  DeleteFileName(result);
}

void BM_RsvgConvertDirect(benchmark::State& state) {
  const std::string output = TempFolder() + "bench_direct.png";
  std::vector<std::string> args = DirectArguments(output);
  for (auto _ : state) RunDirect(args, output);
}
BENCHMARK(BM_RsvgConvertDirect)->Unit(benchmark::kMillisecond);

void BM_ConvertSvg(benchmark::State& state) {
  const TSettings settings = BenchSettings();
  for (auto _ : state) RunOurs(settings);
}
BENCHMARK(BM_ConvertSvg)->Unit(benchmark::kMillisecond);

// Both in turn within each iteration, so that machine load drifting over the run hits both
// alike; the counters give each side's mean time and our overhead in percent.
void BM_Interleaved(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  const TSettings settings = BenchSettings();
  const std::string output = TempFolder() + "bench_direct.png";
  std::vector<std::string> args = DirectArguments(output);
  double direct = 0, ours = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    RunDirect(args, output);
    const auto t1 = Clock::now();
    RunOurs(settings);
    const auto t2 = Clock::now();
    direct += std::chrono::duration<double, std::milli>(t1 - t0).count();
    ours += std::chrono::duration<double, std::milli>(t2 - t1).count();
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["direct_ms"] = direct / n;
  state.counters["ours_ms"] = ours / n;
  state.counters["overhead_pct"] = direct > 0 ? (ours - direct) / direct * 100 : 0;
}
BENCHMARK(BM_Interleaved)->Unit(benchmark::kMillisecond)->MinTime(10);

}  // namespace
