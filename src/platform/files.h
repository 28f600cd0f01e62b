// File services of the operating system. Names are UTF-8 and in the system's own form
// (backslashes and drive letters on Windows, "\\?\" long names included).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace pictara {

// Reads a file (shared for reading, not for writing). With maxBytes > 0 at most that many bytes.
// nullopt when it cannot be opened or read.
std::optional<std::string> ReadFileBytes(const std::string& name, int64_t maxBytes = 0);

}  // namespace pictara
