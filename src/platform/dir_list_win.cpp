// Windows: FindFirstFileW over "*.*" and CompareStringW of the user's locale.
#include <windows.h>

#include <memory>
#include <stdexcept>

#include "platform/dir_list.h"
#include "platform/window_win.h"

namespace pictara {
namespace {



struct FindCloser {
  void operator()(HANDLE h) const { FindClose(h); }
};

}  // namespace

std::vector<std::string> ListFolderFiles(const std::string& folder) {
  WIN32_FIND_DATAW data{};
  // Hidden and system files are found too: FindFirstFileW has no attribute filter.
  const HANDLE found = FindFirstFileW((Wide(folder) + L"*.*").c_str(), &data);
  std::vector<std::string> names;
  if (found == INVALID_HANDLE_VALUE) {
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return names;  // an empty folder (a drive root)
    throw std::runtime_error("Cannot list the folder " + folder);
  }
  std::unique_ptr<void, FindCloser> guard(found);
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(Narrow(data.cFileName));
  } while (FindNextFileW(found, &data));
  return names;
}

int CompareTextWithCase(std::string_view a, std::string_view b) {
  const std::wstring wa = Wide(a);
  const std::wstring wb = Wide(b);
  const int r = CompareStringW(LOCALE_USER_DEFAULT, 0, wa.c_str(), static_cast<int>(wa.size()), wb.c_str(),
                               static_cast<int>(wb.size()));
  if (r == CSTR_LESS_THAN) return -1;
  if (r == CSTR_GREATER_THAN) return 1;
  if (r == CSTR_EQUAL) return 0;
  return wa < wb ? -1 : wa == wb ? 0 : 1;  // the call failed: code-unit order
}

}  // namespace pictara
