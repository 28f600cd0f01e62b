#include <cstdlib>

#include "platform/load_trace.h"

namespace pictara {

std::string LoadTraceVariable() {
  const char* value = std::getenv("PICTARA_TRACE");
  return value ? value : "";
}

}  // namespace pictara
