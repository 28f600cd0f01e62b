// Opening a drawing from any file bytes (plain, gzip, ZIP) and reading its size, as the converter
// does. The bytes go to a file named "drawing.svgz", so a ZIP seed holds "drawing.svg". The first
// byte picks MaxBytes.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "svginfo/svg_info.h"

namespace {

const std::string& FileName() {
  static const std::string name = [] {
    char dir[] = "/tmp/pictara_fuzz_XXXXXX";
    const char* made = mkdtemp(dir);
    return std::string(made ? made : "/tmp") + "/drawing.svgz";
  }();
  return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static const int64_t kMaxBytes[] = {0, 102400, 1, 64};
  const int64_t maxBytes = kMaxBytes[data[0] % 4];
  FILE* f = std::fopen(FileName().c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data + 1, 1, size - 1, f);
  std::fclose(f);

  const auto text = pictara::OpenSvgStream(FileName(), maxBytes);
  if (text) {
    if (maxBytes > 0 && text->size() > static_cast<size_t>(maxBytes)) __builtin_trap();
    pictara::TSVGInfo info;
    if (pictara::ReadSvgInfo(*text, info)) pictara::CalcSvgPixelSize(info, 90);
  }
  return 0;
}
