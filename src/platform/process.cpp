#include "platform/process.h"

namespace pictara {

std::vector<std::string> SplitCommandLineTail(std::string_view tail) {
  std::vector<std::string> args;
  size_t i = 0;
  const size_t n = tail.size();
  auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
  while (true) {
    while (i < n && isBlank(tail[i])) ++i;
    if (i >= n) break;
    std::string arg;
    bool quoted = false;
    while (i < n && (quoted || !isBlank(tail[i]))) {
      if (tail[i] == '\\') {
        size_t slashes = 0;
        while (i < n && tail[i] == '\\') {
          ++slashes;
          ++i;
        }
        if (i < n && tail[i] == '"') {
          arg.append(slashes / 2, '\\');
          if (slashes % 2 == 1) {
            arg += '"';
            ++i;
          }
          // An even count leaves the quote to the grouping rule below.
        } else {
          arg.append(slashes, '\\');
        }
        continue;
      }
      if (tail[i] == '"') {
        if (quoted && i + 1 < n && tail[i + 1] == '"') {
          arg += '"';
          i += 2;
          continue;
        }
        quoted = !quoted;
        ++i;
        continue;
      }
      arg += tail[i++];
    }
    args.push_back(std::move(arg));
  }
  return args;
}

}  // namespace pictara
