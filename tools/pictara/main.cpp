// pictara: command-line access to the plug-in's core (SVG info, formatting, conversion,
// thumbnails, the document report, the highlighter's tokens). Arguments are taken as UTF-8
// (converted from UTF-16 on Windows).
#include <cstdio>
#include <cstring>
#include <string>

#include "commands.h"
#include "pictara_version.h"

#ifdef _WIN32
#include "base/utf.h"
#endif

namespace {

struct Command {
  const char* name;
  int (*run)(const pictara::tool::Args&);
  const char* usage;
};

constexpr Command kCommands[] = {
    {"info", pictara::tool::RunInfo, "info FILE"},
    {"format", pictara::tool::RunFormat, "format FILE"},
    {"convert", pictara::tool::RunConvert,
     "convert FILE -o OUT [--size WxH] [--dont-enlarge] [--renderer rsvg|magick|inkscape]"},
    {"thumbnail", pictara::tool::RunThumbnail, "thumbnail FILE --size WxH -o OUT.png"},
    {"report", pictara::tool::RunReport, "report FILE"},
    {"tokens", pictara::tool::RunTokens, "tokens FILE"},
};

int Usage() {
  std::fputs("usage:\n  pictara --version\n", stderr);
  for (const Command& c : kCommands) std::fprintf(stderr, "  pictara %s\n", c.usage);
  return 2;
}

int Dispatch(const pictara::tool::Args& all) {
  if (all.empty()) return Usage();
  if (all[0] == "--version") {
    std::printf("pictara %s\n", PICTARA_VERSION);
    return 0;
  }
  for (const Command& c : kCommands) {
    if (all[0] == c.name) return c.run(pictara::tool::Args(all.begin() + 1, all.end()));
  }
  std::fprintf(stderr, "pictara: unknown command '%s'\n", all[0].c_str());
  return Usage();
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  pictara::tool::Args args;
  for (int i = 1; i < argc; ++i)
    args.push_back(pictara::Utf16ToUtf8(reinterpret_cast<const char16_t*>(argv[i])));
  return Dispatch(args);
}
#else
int main(int argc, char** argv) { return Dispatch(pictara::tool::Args(argv + 1, argv + argc)); }
#endif
