#include <cstdio>

#include "commands.h"

namespace pictara::tool {

int RunThumbnail(const Args&) {
  std::fputs("pictara: 'thumbnail' is not available in this build\n", stderr);
  return 2;
}

}  // namespace pictara::tool
