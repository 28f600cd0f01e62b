// Input and output shared by the commands that read one SVG file and write text.
#include <cstdio>

#include "commands.h"
#include "svginfo/svg_info.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace pictara::tool {

std::optional<std::string> ReadSvgArgument(const Args& args, const char* usage, int64_t maxBytes) {
  if (args.size() != 1) {
    std::fprintf(stderr, "usage: pictara %s\n", usage);
    return std::nullopt;
  }
  std::optional<std::string> text = OpenSvgStream(args[0], maxBytes);
  if (!text) std::fprintf(stderr, "pictara: cannot read '%s'\n", args[0].c_str());
  return text;
}

bool WriteStdout(std::string_view bytes) {
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);  // the bytes carry their own line ends
#endif
  if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() || std::fflush(stdout) != 0) {
    std::fputs("pictara: cannot write the output\n", stderr);
    return false;
  }
  return true;
}

}  // namespace pictara::tool
