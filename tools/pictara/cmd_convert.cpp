#include <cstdio>

#include "commands.h"

namespace pictara::tool {

int RunConvert(const Args&) {
  std::fputs("pictara: 'convert' is not available in this build\n", stderr);
  return 2;
}

}  // namespace pictara::tool
