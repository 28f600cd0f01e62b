// Hostile drawings made at test time, for the fault tests of the viewer, the thumbnails and the
// source window.
#pragma once

#include <cstdint>
#include <string>

namespace pictara::testbed {

// Every hostile drawing below is this head, something, and this tail: a valid 40 x 20 drawing.
inline constexpr char kHostileHead[] = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"40\" height=\"20\">";
inline constexpr char kHostileTail[] = "<rect width=\"40\" height=\"20\" fill=\"#0a0\"/></svg>";

// Raw deflate (window bits -15) or gzip (31) of head + `blocks` MB of blanks + tail, made by
// repeating one flushed block, so that a few hundred KB claim hundreds of MB. crc and size: of the
// text.
std::string Bomb(int windowBits, int blocks, unsigned long& crc, unsigned long& size);

// A one-entry ZIP archive of deflated data; sizes and offset as given (they may lie).
std::string Zip(const std::string& name, const std::string& deflated, uint32_t crc, uint32_t size,
                uint32_t localOffset = 0);

// Nine levels of entities, ten references each: a billion "lol"s for a reader that expands them.
std::string BillionLaughs();

}  // namespace pictara::testbed
