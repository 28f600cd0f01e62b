// Linux: the module is the running program; paths are expanded lexically.
#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "platform/module.h"

namespace pictara {

std::string ModuleFolder() {
  std::error_code ec;
  const std::string exe = std::filesystem::read_symlink("/proc/self/exe", ec).string();
  if (ec) return {};
  const size_t slash = exe.rfind('/');
  return slash == std::string::npos ? std::string() : exe.substr(0, slash + 1);
}

std::string ExpandPathInFolder(const std::string& folder, const std::string& path) {
  namespace fs = std::filesystem;
  if (!folder.empty()) {
    [[maybe_unused]] const int ignored = chdir(folder.c_str());
  }
  fs::path full(path);
  if (full.is_relative()) {
    std::error_code ec;
    full = folder.empty() ? fs::absolute(full, ec) : fs::path(folder) / full;
  }
  return full.lexically_normal().string();
}

}  // namespace pictara
