#include "viewer/navigation.h"

#include <algorithm>

#include "platform/dir_list.h"
#include "platform/files.h"

namespace pictara {

bool IsSvgFileName(std::string_view name) {
  const std::string ext = ExtractFileExt(name);
  const auto equalNoCase = [&](std::string_view want) {
    return ext.size() == want.size() && std::equal(ext.begin(), ext.end(), want.begin(), [](char a, char b) {
             return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b;
           });
  };
  return equalNoCase(".svg") || equalNoCase(".svgz");
}

TFolderSource TFolderSource::System() { return {ListFolderFiles, CompareTextWithCase}; }

std::vector<std::string> BuildFilesList(const std::string& openedFileName, const TFolderSource& source) {
  const std::string folder = ExtractFilePath(openedFileName);
  std::vector<std::string> files;
  for (const std::string& name : source.ListFiles(folder)) {
    if (IsSvgFileName(name)) files.push_back(folder + name);
  }
  std::sort(files.begin(), files.end(),
            [&](const std::string& a, const std::string& b) { return source.Compare(a, b) < 0; });
  return files;
}

TNavigationResult NavigateFolder(std::optional<std::vector<std::string>>& FilesList, int32_t& FileIndex,
                                 TNavigationStep step, const std::string& OpenedFileName,
                                 const TFolderSource& source, const std::function<bool(const std::string&)>& load) {
  if (!FilesList) {
    FilesList.emplace();  // present from now on, also when the listing fails
    *FilesList = BuildFilesList(OpenedFileName, source);
    const auto at = std::find(FilesList->begin(), FilesList->end(), OpenedFileName);
    FileIndex = at == FilesList->end() ? -1 : static_cast<int32_t>(at - FilesList->begin());
  }
  std::vector<std::string>& files = *FilesList;
  // A loop rather than a new press per dropped file, so a folder full of broken files cannot
  // exhaust the stack; each round removes one entry, so it ends.
  for (;;) {
    const auto count = static_cast<int32_t>(files.size());
    if (count <= 1) {
      files.clear();
      return TNavigationResult::ButtonsHidden;
    }
    if (step == TNavigationStep::Next) {
      FileIndex = FileIndex + 1 >= count ? 0 : FileIndex + 1;
    } else if (step == TNavigationStep::Previous) {
      FileIndex = FileIndex - 1 < 0 ? count - 1 : FileIndex - 1;
    } else if (FileIndex < 0 || FileIndex >= count) {
      // Showing "the current entry again" with no current entry (the shown file is not in the
      // list, or the dropped file was the last one): indexing would run past the list's ends.
      return TNavigationResult::Unchanged;
    }
    bool ok = false;
    try {
      ok = load(files[static_cast<size_t>(FileIndex)]);
    } catch (...) {
      ok = false;
    }
    if (ok) return TNavigationResult::Loaded;
    files.erase(files.begin() + FileIndex);
    // Forward: back by one, so the next forward step lands on the entry after the dropped one.
    // Backward: the unchanged index already points past it, the step goes on from there.
    if (step == TNavigationStep::Next) --FileIndex;
  }
}

}  // namespace pictara
