// Names for temporary files: the temporary folder, "svg", a random number from 0 to 999998 and an
// extension, drawn again until no file of that name exists.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace pictara {

// Seeds the random source from the clock. The library start-up calls it once; without that call
// the source seeds itself from the clock on first use.
void SeedRandom();

// Seeds the random source with a fixed value (tests that want a known sequence).
void SeedRandom(uint32_t seed);

// A random number from 0 to range - 1 (0 when range is 0). Safe to call from any thread.
uint32_t RandomBelow(uint32_t range);

// folder + "svg" + number + extension, the first such name for which exists() is false.
// folder must end with its separator; extension includes its dot.
std::string NewTempFileName(const std::string& folder, std::string_view extension,
                            const std::function<bool(const std::string&)>& exists);

}  // namespace pictara
