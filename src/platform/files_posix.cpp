#include <cstdio>
#include <memory>

#include "platform/files.h"

namespace pictara {

std::optional<std::string> ReadFileBytes(const std::string& name, int64_t maxBytes) {
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(name.c_str(), "rb"), &std::fclose);
  if (!f) return std::nullopt;
  std::string data;
  char buf[65536];
  for (;;) {
    size_t want = sizeof buf;
    if (maxBytes > 0) {
      const auto left = static_cast<uint64_t>(maxBytes) - data.size();
      if (left == 0) break;
      if (left < want) want = static_cast<size_t>(left);
    }
    const size_t got = std::fread(buf, 1, want, f.get());
    data.append(buf, got);
    if (got < want) {
      if (std::ferror(f.get())) return std::nullopt;
      break;
    }
  }
  return data;
}

}  // namespace pictara
