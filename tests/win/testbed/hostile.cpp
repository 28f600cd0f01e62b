// Hostile drawings made at test time: compression bombs, lying archives, entity expansion.
#include "testbed/hostile.h"

#include <zlib.h>

#include <string>

namespace pictara::testbed {

std::string Bomb(int windowBits, int blocks, uLong& crc, uLong& size) {
  z_stream z{};
  deflateInit2(&z, 9, Z_DEFLATED, windowBits, 9, Z_DEFAULT_STRATEGY);
  std::string out(1 << 22, '\0');
  auto feed = [&](const std::string& in, int flush) {
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    z.avail_in = static_cast<uInt>(in.size());
    std::string got;
    do {
      z.next_out = reinterpret_cast<Bytef*>(out.data());
      z.avail_out = static_cast<uInt>(out.size());
      deflate(&z, flush);
      got.append(out.data(), out.size() - z.avail_out);
    } while (z.avail_out == 0);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(in.data()), static_cast<uInt>(in.size()));
    size += static_cast<uLong>(in.size());
    return got;
  };
  crc = crc32(0L, Z_NULL, 0);
  size = 0;
  std::string data = feed(kHostileHead, Z_FULL_FLUSH);
  const std::string blanks(1 << 20, ' ');
  const std::string block = feed(blanks, Z_FULL_FLUSH);
  data += block;
  for (int i = 1; i < blocks; ++i) {
    data += block;  // the same compressed bytes again: the text grows by 1 MB each
    crc = crc32(crc, reinterpret_cast<const Bytef*>(blanks.data()), static_cast<uInt>(blanks.size()));
    size += static_cast<uLong>(blanks.size());
  }
  // deflate's own state saw one block only; end the stream after it in the usual way.
  std::string tail = feed(kHostileTail, Z_FINISH);
  deflateEnd(&z);
  if (windowBits > 15) {
    // The gzip trailer deflate wrote covers what it saw; put the real one in its place.
    tail.resize(tail.size() - 8);
    for (int i = 0; i < 4; ++i) tail += static_cast<char>(crc >> (8 * i));
    for (int i = 0; i < 4; ++i) tail += static_cast<char>(size >> (8 * i));
  }
  return data + tail;
}

namespace {

void Put16(std::string& b, uint16_t v) { b += static_cast<char>(v), b += static_cast<char>(v >> 8); }
void Put32(std::string& b, uint32_t v) { Put16(b, static_cast<uint16_t>(v)), Put16(b, static_cast<uint16_t>(v >> 16)); }

}  // namespace

std::string Zip(const std::string& name, const std::string& deflated, uint32_t crc, uint32_t size,
                uint32_t localOffset) {
  auto header = [&](bool central) {
    std::string h = central ? "PK\x01\x02" : "PK\x03\x04";
    if (central) Put16(h, 20);
    Put16(h, 20);
    Put16(h, 0);
    Put16(h, 8);
    Put32(h, 0);
    Put32(h, crc);
    Put32(h, static_cast<uint32_t>(deflated.size()));
    Put32(h, size);
    Put16(h, static_cast<uint16_t>(name.size()));
    Put16(h, 0);
    if (central) {
      Put16(h, 0), Put16(h, 0), Put16(h, 0), Put32(h, 0), Put32(h, localOffset);
    }
    return h + name;
  };
  std::string zip = header(false) + deflated;
  const auto directory = static_cast<uint32_t>(zip.size());
  const std::string central = header(true);
  zip += central;
  zip += "PK\x05\x06";
  Put16(zip, 0), Put16(zip, 0), Put16(zip, 1), Put16(zip, 1);
  Put32(zip, static_cast<uint32_t>(central.size()));
  Put32(zip, directory);
  Put16(zip, 0);
  return zip;
}

std::string BillionLaughs() {
  std::string laughs = "<!DOCTYPE svg [<!ENTITY lol0 \"lol\">";
  for (int i = 1; i <= 9; ++i) {
    laughs += "<!ENTITY lol" + std::to_string(i) + " \"";
    for (int j = 0; j < 10; ++j) laughs += "&lol" + std::to_string(i - 1) + ";";
    laughs += "\">";
  }
  return laughs + "]>" + std::string(kHostileHead) + "<text>&lol9;</text>" + kHostileTail;
}

}  // namespace pictara::testbed
