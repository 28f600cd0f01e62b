#include <cstdio>

#include "commands.h"

namespace pictara::tool {

int RunFormat(const Args&) {
  std::fputs("pictara: 'format' is not available in this build\n", stderr);
  return 2;
}

}  // namespace pictara::tool
