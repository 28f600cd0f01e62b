// Folder listings and the order in which the viewer shows a folder's files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pictara {

// The names (without folder) of the files directly inside `folder`, which ends with its
// separator: no subfolders, no folders themselves, hidden and system files included, in the order
// the system gives them. An empty folder gives an empty list. Throws std::runtime_error when the
// folder cannot be listed (it no longer exists, the name is not valid).
std::vector<std::string> ListFolderFiles(const std::string& folder);

// The user locale's ordinary order of two texts with case distinguished; <0, 0 or >0. Windows:
// CompareStringW of the user's locale. Linux: the locale-aware comparison without case first,
// then lower case before upper case ("a.svg" < "A.svg" < "b.svg").
int CompareTextWithCase(std::string_view a, std::string_view b);

}  // namespace pictara
