// Where the plug-in lives, and paths given relative to that place.
#pragma once

#include <string>

namespace pictara {

// The folder of the module this code is linked into, with its trailing separator: on Windows the
// plug-in library's own file (never the host program's), on Linux the running program. Empty
// when the system cannot tell.
std::string ModuleFolder();

// Makes `folder` the process's current directory and expands `path` against it to a full path;
// an absolute path is only normalised ("." and ".." removed). The current directory is left at
// `folder` afterwards, because converters started later expect to run from the plug-in's folder.
// If the folder cannot be made current, a relative path is still expanded against `folder`, never
// against whatever directory the host happened to be in. Whether the file exists is not checked.
std::string ExpandPathInFolder(const std::string& folder, const std::string& path);

}  // namespace pictara
