// pictara convert FILE -o OUT [--size WxH] [--dont-enlarge] [--renderer rsvg|magick|inkscape]
// Runs the plug-in's conversion with the settings of "Pictara.ini" beside the tool (the switches
// override them) and moves the result to OUT.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>

#include "commands.h"
#include "platform/files.h"
#include "render/convert.h"
#include "settings/settings.h"

namespace pictara::tool {

namespace {

// Width and height from a PNG or BMP header; nullopt for anything else.
std::optional<Size> RasterSize(const std::string& name) {
  const auto bytes = ReadFileBytes(name, 32);
  if (!bytes || bytes->size() < 26) return std::nullopt;
  auto u8 = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>((*bytes)[i])); };
  if (bytes->compare(0, 8, "\x89PNG\r\n\x1a\n") == 0)
    return Size{static_cast<int32_t>(u8(16) << 24 | u8(17) << 16 | u8(18) << 8 | u8(19)),
                 static_cast<int32_t>(u8(20) << 24 | u8(21) << 16 | u8(22) << 8 | u8(23))};
  if (bytes->compare(0, 2, "BM") == 0) {
    const auto height = static_cast<int32_t>(u8(22) | u8(23) << 8 | u8(24) << 16 | u8(25) << 24);
    return Size{static_cast<int32_t>(u8(18) | u8(19) << 8 | u8(20) << 16 | u8(21) << 24),
                 height < 0 ? -height : height};  // top-down bitmaps store a negative height
  }
  return std::nullopt;
}

// The converter runs in its own folder and reading the settings may change the current folder,
// so names from the command line are made full first.
std::string FullName(const std::string& name) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path full = fs::absolute(fs::path(std::u8string(name.begin(), name.end())), ec);
  if (ec) return name;
  const std::u8string text = full.lexically_normal().u8string();
  return std::string(text.begin(), text.end());
}

std::optional<Size> ParseSize(const std::string& text) {
  const size_t x = text.find_first_of("xX");
  if (x == std::string::npos || x == 0 || x + 1 == text.size()) return std::nullopt;
  char* end = nullptr;
  const long w = std::strtol(text.c_str(), &end, 10);
  if (end != text.c_str() + x) return std::nullopt;
  const long h = std::strtol(text.c_str() + x + 1, &end, 10);
  if (*end != '\0' || w < 0 || h < 0 || w > 100000 || h > 100000) return std::nullopt;
  return Size{static_cast<int32_t>(w), static_cast<int32_t>(h)};
}

int Usage(const char* problem) {
  std::fprintf(stderr, "pictara convert: %s\n", problem);
  std::fputs("usage: pictara convert FILE -o OUT [--size WxH] [--dont-enlarge] "
             "[--renderer rsvg|magick|inkscape]\n",
             stderr);
  return 2;
}

int ConvertError(const std::string& detail) {
  std::fputs("Convert Error\n", stderr);
  if (!detail.empty()) std::fprintf(stderr, "%s\n", detail.c_str());
  return 1;
}

}  // namespace

int RunConvert(const Args& args) {
  std::string input, output, renderer;
  Size size;
  bool dontEnlarge = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "-o" && hasValue) {
      output = args[++i];
    } else if (a == "--size" && hasValue) {
      const auto parsed = ParseSize(args[++i]);
      if (!parsed) return Usage("--size wants WxH, for example 800x600");
      size = *parsed;
    } else if (a == "--dont-enlarge") {
      dontEnlarge = true;
    } else if (a == "--renderer" && hasValue) {
      renderer = args[++i];
      if (renderer != "rsvg" && renderer != "magick" && renderer != "inkscape")
        return Usage("--renderer is rsvg, magick or inkscape");
    } else if (!a.empty() && a[0] == '-') {
      return Usage(("unknown option " + a).c_str());
    } else if (input.empty()) {
      input = a;
    } else {
      return Usage("only one FILE");
    }
  }
  if (input.empty() || output.empty()) return Usage("FILE and -o OUT are required");
  input = FullName(input);
  output = FullName(output);

  LoadSettings();
  TSettings& settings = Settings();
  if (renderer == "rsvg") {
    settings.UseImageMagick = false;
    settings.UseInkscape = false;
  } else if (renderer == "magick") {
    settings.UseImageMagick = true;
    settings.UseInkscape = false;
  } else if (renderer == "inkscape") {
    settings.UseImageMagick = false;
    settings.UseInkscape = true;
  }

  int32_t naturalWidth = 0, naturalHeight = 0;
  std::string result;
  try {
    result = ConvertSvg(input, size, settings.UseImageMagick, settings.UseRSVGHelper,
                        settings.UseInkscape, dontEnlarge, naturalWidth, naturalHeight);
  } catch (const std::exception& e) {
    return ConvertError(e.what());
  }
  if (result.empty()) return ConvertError("");
  if (!MoveFileOver(result, output)) {
    DeleteFileName(result);
    return ConvertError("cannot write " + output);
  }

  const Size outputSize = RasterSize(output).value_or(Size{});
  std::printf("Natural: %d x %d\n", naturalWidth, naturalHeight);
  std::printf("Output: %d x %d\n", outputSize.width, outputSize.height);
  return 0;
}

}  // namespace pictara::tool
