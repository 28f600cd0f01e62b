// "Convert File...": the save dialog's set-up for the file shown, and the render-and-move steps
// that follow the two dialogs. The command itself (TfmSVG::mnConvertFileClick) runs the dialogs
// and the busy cursor around these.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

#include "render/convert.h"
#include "settings/settings.h"

namespace pictara {

// The converter as the viewer calls it (ConvertSvg's signature); tests may replace it.
using TConvertFunction = std::function<std::string(const std::string& FileName, Size RequestedSize,
                                                   bool UseImageMagick, bool UseRSVGHelper, bool UseInkscape,
                                                   bool DontEnlarge, int32_t& NaturalWidth,
                                                   int32_t& NaturalHeight)>;

// What the system's save dialog is opened with. Filter is in "description|pattern" form; the
// dialog asks before overwriting a file, hides the read-only box and can be resized.
struct TSaveDialogSetup {
  std::string InitialDir;   // with its trailing separator
  std::string FileName;     // proposed name, no folder
  std::string DefaultExt;   // without the dot
  std::string Filter;
  bool OverwritePrompt = true;
  bool HideReadOnly = true;
  bool EnableSizing = true;
  friend bool operator==(const TSaveDialogSetup&, const TSaveDialogSetup&) = default;
};

// "bmp" when ImageMagick renders (it writes BMP), else "png".
std::string ConvertFileExtension(bool useImageMagick);

// The name part of `fileName` with its extension (from the last dot of the name part; none:
// appended) replaced by "." + ext: drawing.svgz with "png" gives drawing.png.
std::string ProposedFileName(const std::string& fileName, const std::string& ext);

// A name as a person reads it: without the long-name prefix AddLongPathPrefix gives
// ("\\?\C:\x" becomes "C:\x", "\\?\UNC\server\x" becomes "\\server\x"); other names unchanged.
std::string RemoveLongPathPrefix(const std::string& fileName);

// The save dialog for the file shown: its folder (without a long-name prefix, which the system's
// dialog does not take), the proposed name, default extension and the filter "*.png|*.png" or
// "*.bmp|*.bmp".
TSaveDialogSetup ConvertFileSaveSetup(const std::string& openedFileName, bool useImageMagick);

// The format name the size dialog shows: the default extension in upper case.
std::string ConvertFileFormatName(bool useImageMagick);

// Renders `source` anew to fit within `box` (enlarging small drawings too) with the renderer the
// settings choose, and moves the result to `target`, replacing a file there and copying across
// volumes. Throws "Convert Error" when the converter made no file. The outcome of the move is not
// reported: a target that cannot be replaced stays as it was. The temporary file is gone
// afterwards in every case.
void ConvertFileTo(const TConvertFunction& convert, const std::string& source, Size box, const TSettings& settings,
                   const std::string& target);

inline constexpr char kConvertErrorMessage[] = "Convert Error";

// The converter made no file for "Convert File...".
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace pictara
