#include "platform/files.h"

namespace pictara {

namespace {

// Characters that end a folder part. Windows also accepts '/' and the drive colon.
#ifdef _WIN32
constexpr std::string_view kSeparators = "\\/:";
#else
constexpr std::string_view kSeparators = "/";
#endif

size_t FileNameStart(std::string_view name) {
  const size_t last = name.find_last_of(kSeparators);
  return last == std::string_view::npos ? 0 : last + 1;
}

}  // namespace

std::string ExtractFilePath(std::string_view name) {
  return std::string(name.substr(0, FileNameStart(name)));
}

std::string ExtractFileName(std::string_view name) {
  return std::string(name.substr(FileNameStart(name)));
}

std::string ExtractFileExt(std::string_view name) {
  const std::string_view file = name.substr(FileNameStart(name));
  const size_t dot = file.rfind('.');
  return dot == std::string_view::npos ? std::string() : std::string(file.substr(dot));
}

}  // namespace pictara
