// Linux: readdir, and the case-blind locale comparison with a case tie-break.
#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "platform/codepage.h"
#include "platform/dir_list.h"

namespace pictara {

std::vector<std::string> ListFolderFiles(const std::string& folder) {
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.empty() ? "." : folder.c_str()), closedir);
  if (!dir) throw std::runtime_error("Cannot list the folder " + folder + ": " + std::strerror(errno));
  std::vector<std::string> names;
  while (const dirent* e = readdir(dir.get())) {
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    bool isFolder = e->d_type == DT_DIR;
    if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
      struct stat st {};
      isFolder = stat((folder + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    if (!isFolder) names.push_back(name);
  }
  return names;
}

namespace {

// Lower case sorts before upper case of the same letter; any other byte keeps its place.
unsigned CaseRank(unsigned char c) {
  if (c >= 'a' && c <= 'z') return c * 2u;
  if (c >= 'A' && c <= 'Z') return (c - 'A' + 'a') * 2u + 1u;
  return c * 2u;
}

}  // namespace

int CompareTextWithCase(std::string_view a, std::string_view b) {
  if (const int r = CompareTextIgnoreCase(a, b); r != 0) return r < 0 ? -1 : 1;
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const unsigned x = CaseRank(static_cast<unsigned char>(a[i]));
    const unsigned y = CaseRank(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace pictara
