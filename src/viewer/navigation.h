// Stepping through the SVG files of the shown file's folder.
//
// The folder list is built at the first step, once: the folder's files that IsSvgFileName
// accepts, as full names, sorted in the user locale's order with case distinguished. From then on
// it only loses entries: a file that cannot be shown is dropped and the step goes on to its
// neighbour in the same direction. When one file or none is left, the list is emptied and the
// arrow buttons go away for the rest of the viewer's life.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pictara {

// The extension (from the last point of the file part on) is ".svg" or ".svgz", compared without
// regard to ASCII case. "x.SVG" is one, "x.svg.bak" is not.
bool IsSvgFileName(std::string_view name);

// Where the folder's file names and their order come from; the defaults are the system's.
struct TFolderSource {
  // Names of the files directly in a folder (which ends with its separator); throws on failure.
  std::function<std::vector<std::string>(const std::string& folder)> ListFiles;
  // The order of two full names: <0, 0, >0.
  std::function<int(std::string_view, std::string_view)> Compare;
  static TFolderSource System();
};

// The list of the folder of `openedFileName`: every SVG file of that folder as folder part +
// name, sorted. Throws when the folder cannot be listed.
std::vector<std::string> BuildFilesList(const std::string& openedFileName, const TFolderSource& source);

// Which arrow button: sbtNext steps forward, sbtPrev backward, none shows the entry at the
// current index again.
enum class TNavigationStep { Next, Previous, None };

enum class TNavigationResult {
  Loaded,         // a file of the list is shown now
  ButtonsHidden,  // one file or none left: hide the arrow buttons for good and update the status
  Unchanged,      // TNavigationStep::None without a current entry: nothing to show again
};

// One press of an arrow button, on the viewer's FilesList and FileIndex.
//
// The list is built when absent; if the listing throws, the list is left present but empty and
// the exception passes on (the next press then hides the buttons). `load` shows a file and says
// whether that worked; an exception from it counts as false. FileIndex is stepped before `load`
// runs, so the status text made during the load already shows the new position.
TNavigationResult NavigateFolder(std::optional<std::vector<std::string>>& FilesList, int32_t& FileIndex,
                                 TNavigationStep step, const std::string& OpenedFileName,
                                 const TFolderSource& source, const std::function<bool(const std::string&)>& load);

}  // namespace pictara
