#include "render/temp_name.h"

#include <chrono>
#include <mutex>
#include <random>

namespace pictara {

namespace {

// Thumbnail requests may come from a thread of the host other than the viewer's.
std::mutex gRandomLock;
std::mt19937 gRandom;
bool gSeeded = false;

uint32_t ClockSeed() {
  const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
  return static_cast<uint32_t>(ticks ^ (ticks >> 32));
}

}  // namespace

void SeedRandom() { SeedRandom(ClockSeed()); }

void SeedRandom(uint32_t seed) {
  std::lock_guard<std::mutex> lock(gRandomLock);
  gRandom.seed(seed);
  gSeeded = true;
}

uint32_t RandomBelow(uint32_t range) {
  if (range == 0) return 0;
  std::lock_guard<std::mutex> lock(gRandomLock);
  if (!gSeeded) {
    gRandom.seed(ClockSeed());
    gSeeded = true;
  }
  return std::uniform_int_distribution<uint32_t>(0, range - 1)(gRandom);
}

std::string NewTempFileName(const std::string& folder, std::string_view extension,
                            const std::function<bool(const std::string&)>& exists) {
  for (;;) {
    std::string name = folder + "svg" + std::to_string(RandomBelow(999999));
    name += extension;
    if (!exists(name)) return name;
  }
}

}  // namespace pictara
