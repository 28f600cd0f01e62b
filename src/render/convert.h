// SVG/SVGZ file to raster file: runs an external converter (rsvg-convert, ImageMagick convert or
// Inkscape) that writes a PNG (BMP for ImageMagick) into the temporary folder.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/geometry.h"
#include "platform/files.h"
#include "platform/process.h"

namespace pictara {

struct TSettings;

// Fits size into box keeping the aspect ratio, enlarging or shrinking; truncates toward zero. A
// size that is not positive comes back unchanged.
Size FitSize(Size size, Size box);

// A name of 256 UTF-16 characters or more that does not contain "\\?\" gets the long-name prefix:
// a network name "\\server\..." becomes "\\?\UNC\server\...", any other name "\\?\" + name.
std::string AddLongPathPrefix(const std::string& FileName);

// Everything ConvertSvg asks of the system. The default methods call the real platform; tests
// override single methods to reach what the system does not show on demand (no short name, a
// failing copy, a temporary folder with a blank, long network names).
class TConvertServices {
 public:
  virtual ~TConvertServices() = default;
  // The name in the form handed to the system: AddLongPathPrefix on Windows, unchanged on Linux.
  virtual std::string LongName(const std::string& name);
  virtual bool FileExists(const std::string& name);
  virtual bool PathExists(const std::string& name);
  virtual std::optional<FileEntry> ReadFileEntry(const std::string& name);
  virtual std::string TempFolder();
  virtual std::optional<std::string> ShortPathName(const std::string& name, size_t bufferChars);
  virtual bool CopyFileOver(const std::string& from, const std::string& to);
  virtual bool DeleteFileName(const std::string& name);
  virtual bool WriteFileBytes(const std::string& name, std::string_view data);
  virtual int32_t RunAndWait(const std::string& program, const std::string& parameters,
                             const std::string& directory, TShowMode showMode, bool highPriority,
                             uint32_t timeoutMs, TRunControl* control);
  // Deletes the file when it exists (a late output; see render/late_outputs.h); true when it is
  // gone.
  bool RemoveIfExists(const std::string& name);
  // The folder of the plug-in library, with its trailing separator.
  virtual std::string PluginFolder();
  // Linux only: a program of that name on PATH (the real method answers nullopt on Windows).
  virtual std::optional<std::string> FindProgramOnPath(const std::string& name);
};

// While alive, the next conversion on this thread runs `work` once its converter has started and
// before it waits for it: the viewer builds its windows meanwhile. Work that has not run when the
// conversion returns (no converter was started, or a stand-in converted) is left to RunNow.
class TWhileConvertingScope {
 public:
  explicit TWhileConvertingScope(std::function<void()> work);
  ~TWhileConvertingScope();
  TWhileConvertingScope(const TWhileConvertingScope&) = delete;
  TWhileConvertingScope& operator=(const TWhileConvertingScope&) = delete;
  // The work, unless it has run already.
  void RunNow();
  // For the converter: the work of the innermost scope on this thread, once.
  static void RunPending();

 private:
  std::function<void()> work_;
  TWhileConvertingScope* previous_;
};

// The services backed by the real system.
TConvertServices& SystemConvertServices();

// Deletes what converters left running after their time limit have written since, for those that
// have exited; the library calls it when it unloads (the converter before each conversion).
void DeleteLateOutputs(bool mayBlock);

// Deletes a converter's output file once its owner is done with it. A file that cannot be deleted
// now (a process the converter started still holds it open) is deleted by a later conversion or
// when the library unloads.
void DeleteConverterOutput(const std::string& name, TConvertServices& services);
void DeleteConverterOutput(const std::string& name);

// Converts FileName into a raster file fitted into RequestedSize (not positive: no box) and
// returns the output file's name, which the caller owns and must delete or move; empty when the
// conversion failed. NaturalWidth/NaturalHeight receive the drawing's own size at 90 pixels per
// inch (0 when unknown). The program and its options come from the settings; the three renderer
// switches are passed by the caller. On the thread of a viewer's load (TResponsiveWaitScope) and
// with the setting ResponsiveWait, the wait keeps the host's windows alive and Esc gives up: the
// converter is ended and the result is empty. Throws (after removing its own temporary files) only when a
// ZIP-packed drawing cannot be unpacked into the temporary folder.
std::string ConvertSvg(const std::string& FileName, Size RequestedSize, bool UseImageMagick,
                       bool UseRSVGHelper, bool UseInkscape, bool DontEnlarge,
                       int32_t& NaturalWidth, int32_t& NaturalHeight);

// The same with explicit settings and services.
std::string ConvertSvg(const std::string& FileName, Size RequestedSize, bool UseImageMagick,
                       bool UseRSVGHelper, bool UseInkscape, bool DontEnlarge,
                       int32_t& NaturalWidth, int32_t& NaturalHeight, const TSettings& settings,
                       TConvertServices& services);

}  // namespace pictara
