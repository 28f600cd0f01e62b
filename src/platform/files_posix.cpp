#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "platform/files.h"

namespace pictara {

std::optional<std::string> ReadFileBytes(const std::string& name, int64_t maxBytes) {
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(name.c_str(), "rb"), &std::fclose);
  if (!f) return std::nullopt;
  std::string data;
  char buf[65536];
  for (;;) {
    size_t want = sizeof buf;
    if (maxBytes > 0) {
      const auto left = static_cast<uint64_t>(maxBytes) - data.size();
      if (left == 0) break;
      if (left < want) want = static_cast<size_t>(left);
    }
    const size_t got = std::fread(buf, 1, want, f.get());
    data.append(buf, got);
    if (got < want) {
      if (std::ferror(f.get())) return std::nullopt;
      break;
    }
  }
  return data;
}

bool WriteFileBytes(const std::string& name, std::string_view data) {
  FILE* f = std::fopen(name.c_str(), "wb");
  if (!f) return false;
  bool ok = data.empty() || std::fwrite(data.data(), 1, data.size(), f) == data.size();
  if (std::fclose(f) != 0) ok = false;
  if (!ok) std::remove(name.c_str());
  return ok;
}

std::optional<FileEntry> ReadFileEntry(const std::string& name) {
  struct stat st;
  if (name.empty() || ::stat(name.c_str(), &st) != 0) return std::nullopt;
  FileEntry entry;
  entry.isFolder = S_ISDIR(st.st_mode);
  entry.size = entry.isFolder ? 0 : static_cast<int64_t>(st.st_size);
  return entry;
}

bool FileExists(const std::string& name) {
  const auto entry = ReadFileEntry(name);
  return entry && !entry->isFolder;
}

bool PathExists(const std::string& name) {
  struct stat st;
  return !name.empty() && ::lstat(name.c_str(), &st) == 0;
}

bool CopyFileOver(const std::string& from, const std::string& to) {
  std::error_code ec;
  return std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing,
                                    ec) &&
         !ec;
}

bool MoveFileOver(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) == 0) return true;
  if (errno != EXDEV) return false;
  if (!CopyFileOver(from, to)) return false;
  if (::unlink(from.c_str()) != 0) {
    // Keep exactly one copy: the move did not happen.
    ::unlink(to.c_str());
    return false;
  }
  return true;
}

bool DeleteFileName(const std::string& name) {
  const auto entry = ReadFileEntry(name);
  if (entry && entry->isFolder) return false;
  return ::unlink(name.c_str()) == 0;
}

std::string TempFolder() {
  const char* env = std::getenv("TMPDIR");
  std::string folder = env && *env ? env : "/tmp";
  if (folder.back() != kPathSeparator) folder += kPathSeparator;
  return folder;
}

std::optional<std::string> ShortPathName(const std::string& name, size_t bufferChars) {
  if (!PathExists(name)) return std::nullopt;
  if (name.size() + 1 > bufferChars) return std::nullopt;
  return name;
}

std::optional<std::string> FindProgramOnPath(const std::string& name) {
  if (name.empty()) return std::nullopt;
  if (name.find('/') != std::string::npos) {
    if (FileExists(name) && ::access(name.c_str(), X_OK) == 0) return name;
    return std::nullopt;
  }
  const char* path = std::getenv("PATH");
  std::string_view rest = path ? path : "/usr/local/bin:/usr/bin:/bin";
  while (true) {
    const size_t colon = rest.find(':');
    std::string folder(rest.substr(0, colon));
    if (folder.empty()) folder = ".";
    const std::string candidate = folder + "/" + name;
    if (FileExists(candidate) && ::access(candidate.c_str(), X_OK) == 0) return candidate;
    if (colon == std::string_view::npos) break;
    rest.remove_prefix(colon + 1);
  }
  return std::nullopt;
}

}  // namespace pictara
