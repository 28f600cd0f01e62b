#include <cstdio>

#include "commands.h"

namespace pictara::tool {

int RunInfo(const Args&) {
  std::fputs("pictara: 'info' is not available in this build\n", stderr);
  return 2;
}

}  // namespace pictara::tool
