#include "render/convert.h"

#include <cmath>
#include <limits>
#include <stdexcept>
#include <utility>

#include "base/ascii.h"
#include "platform/module.h"
#include "base/utf.h"
#include "platform/load_trace.h"
#include "render/late_outputs.h"
#include "render/temp_name.h"
#include "settings/settings.h"
#include "svginfo/svg_info.h"
#include "svginfo/zip_reader.h"

namespace pictara {

namespace {

// Only this much of the drawing's text is read for its size.
constexpr int64_t kSizeReadLimit = 102400;
// Drawings that declare huge sizes are rendered no larger than this (aspect ratio kept).
constexpr int32_t kMaxRenderSide = 5000;
// Short names are asked for with a buffer of this many characters.
constexpr size_t kShortNameBuffer = 260;
// Names this long (in UTF-16 units) need the long-name prefix on Windows.
constexpr size_t kLongNameLength = 256;
constexpr int kSizeDpi = 90;

#ifdef _WIN32
constexpr std::string_view kExeSuffix = ".exe";
#else
constexpr std::string_view kExeSuffix = "";
#endif
constexpr std::string_view kMagickFolder = sizeof(void*) == 8 ? "ImageMagick_x64" : "ImageMagick_x32";

int32_t TruncToInt(double value) {
  if (!(value > std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
  if (value >= std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(std::trunc(value));
}

std::string Quoted(const std::string& arg) {
  return arg.find(' ') == std::string::npos ? arg : "\"" + arg + "\"";
}

// One temporary file and its one owner: deleted when the owner goes out of scope, on every path
// (returns and exceptions alike), unless handed on with Release.
class TTempFile {
 public:
  explicit TTempFile(TConvertServices& services) : services_(services) {}
  TTempFile(const TTempFile&) = delete;
  TTempFile& operator=(const TTempFile&) = delete;
  ~TTempFile() { Remove(); }

  void Own(std::string name) {
    Remove();
    name_ = std::move(name);
  }
  const std::string& Name() const { return name_; }
  bool Owns() const { return !name_.empty(); }
  void Remove() {
    DeleteConverterOutput(name_, services_);
    name_.clear();
  }
  std::string Release() { return std::exchange(name_, std::string()); }

 private:
  TConvertServices& services_;
  std::string name_;
};

std::string NewTempName(TConvertServices& services, std::string_view extension) {
  return NewTempFileName(services.TempFolder(), extension,
                         [&](const std::string& name) { return services.PathExists(name); });
}

// A ZIP-packed .svgz: unpacks the entry named like the file with extension ".svg" (letter case
// ignored, first match, entries in folders never match) into `unpacked`. Returns false when the
// file is no readable ZIP archive or lacks that entry; throws when the entry cannot be unpacked.
bool UnpackZippedSvg(const std::string& fileName, TTempFile& unpacked, TConvertServices& services) {
  if (!EqualsIgnoreAsciiCase(ExtractFileExt(fileName), ".svgz")) return false;
  const std::optional<std::string> bytes = ReadFileBytes(fileName);
  if (!bytes || ZipArchive(*bytes).status() != ZipArchive::Status::Ok) return false;

  const std::string tempName = NewTempName(services, ".svg");
  ZipSvgText packed = ExtractSvgFromZip(*bytes, fileName);
  if (packed.result == ZipSvgText::Result::Missing) return false;
  if (packed.result != ZipSvgText::Result::Found)
    throw std::runtime_error("Cannot unpack \"" + SvgEntryNameFor(fileName) + "\" from \"" +
                             fileName + "\"");
  unpacked.Own(tempName);
  if (!services.WriteFileBytes(tempName, packed.text))
    throw std::runtime_error("Cannot create file \"" + tempName + "\"");
  return true;
}

// The converter program for the switches; empty when none is configured.
std::string ChooseProgram(bool useImageMagick, bool useInkscape, const TSettings& settings,
                          TConvertServices& services) {
  std::string program;
  if (useImageMagick) {
    program = services.PluginFolder() + std::string(kMagickFolder) + kPathSeparator + "convert" +
              std::string(kExeSuffix);
    if (!settings.ImageMagickPath.empty() && services.FileExists(settings.ImageMagickPath))
      program = settings.ImageMagickPath;
  } else if (!settings.RSVGPath.empty()) {
    program = settings.RSVGPath;
  } else {
    program = services.PluginFolder() + "rsvg" + kPathSeparator + "rsvg-convert" +
              std::string(kExeSuffix);
    // Linux installations keep the converter in the system, not beside the plug-in.
    if (!services.FileExists(program)) {
      if (auto onPath = services.FindProgramOnPath("rsvg-convert")) program = *onPath;
    }
  }
  if (useInkscape) program = settings.InkscapePath;
  return program;
}

}  // namespace

Size FitSize(Size size, Size box) {
  if (size.width <= 0 || size.height <= 0) return size;
  const double r = static_cast<double>(size.width) / size.height;
  Size result;
  if (size.width > size.height) {
    result = {box.width, TruncToInt(box.width / r)};
    if (result.height > box.height) result = {TruncToInt(box.height * r), box.height};
  } else {
    result = {TruncToInt(box.height * r), box.height};
    if (result.width > box.width) result = {box.width, TruncToInt(box.width / r)};
  }
  return result;
}

std::string AddLongPathPrefix(const std::string& FileName) {
  if (Utf16Length(FileName) < kLongNameLength || FileName.find("\\\\?\\") != std::string::npos)
    return FileName;
  if (FileName.starts_with("\\\\")) return "\\\\?\\UNC\\" + FileName.substr(2);
  return "\\\\?\\" + FileName;
}

std::string TConvertServices::LongName(const std::string& name) {
#ifdef _WIN32
  return AddLongPathPrefix(name);
#else
  return name;
#endif
}
bool TConvertServices::FileExists(const std::string& name) { return pictara::FileExists(name); }
bool TConvertServices::PathExists(const std::string& name) { return pictara::PathExists(name); }
std::optional<FileEntry> TConvertServices::ReadFileEntry(const std::string& name) {
  return pictara::ReadFileEntry(name);
}
std::string TConvertServices::TempFolder() { return pictara::TempFolder(); }
std::optional<std::string> TConvertServices::ShortPathName(const std::string& name,
                                                           size_t bufferChars) {
  return pictara::ShortPathName(name, bufferChars);
}
bool TConvertServices::CopyFileOver(const std::string& from, const std::string& to) {
  return pictara::CopyFileOver(from, to);
}
bool TConvertServices::DeleteFileName(const std::string& name) {
  return pictara::DeleteFileName(name);
}
bool TConvertServices::WriteFileBytes(const std::string& name, std::string_view data) {
  return pictara::WriteFileBytes(name, data);
}
int32_t TConvertServices::RunAndWait(const std::string& program, const std::string& parameters,
                                     const std::string& directory, TShowMode showMode,
                                     bool highPriority, uint32_t timeoutMs, TRunControl* control) {
  return pictara::RunAndWait(program, parameters, directory, showMode, highPriority, timeoutMs,
                             control);
}
bool TConvertServices::RemoveIfExists(const std::string& name) {
  return !PathExists(name) || DeleteFileName(name) || !PathExists(name);
}
std::string TConvertServices::PluginFolder() { return ModuleFolder(); }
std::optional<std::string> TConvertServices::FindProgramOnPath(const std::string& name) {
  return pictara::FindProgramOnPath(name);
}

namespace {
thread_local TWhileConvertingScope* gWhileConverting = nullptr;
}  // namespace

TWhileConvertingScope::TWhileConvertingScope(std::function<void()> work)
    : work_(std::move(work)), previous_(gWhileConverting) {
  gWhileConverting = this;
}

TWhileConvertingScope::~TWhileConvertingScope() { gWhileConverting = previous_; }

void TWhileConvertingScope::RunNow() {
  // Taken out first: work that throws is not tried a second time.
  if (std::function<void()> work = std::exchange(work_, nullptr)) work();
}

void TWhileConvertingScope::RunPending() {
  if (gWhileConverting) gWhileConverting->RunNow();
}

TConvertServices& SystemConvertServices() {
  static TConvertServices services;
  return services;
}

void DeleteLateOutputs(bool mayBlock) {
  LateOutputs().Sweep([](const std::string& name) { return SystemConvertServices().RemoveIfExists(name); },
                      mayBlock);
}

void DeleteConverterOutput(const std::string& name, TConvertServices& services) {
  if (!name.empty() && !services.RemoveIfExists(name)) LateOutputs().AddUndeleted(name);
}

void DeleteConverterOutput(const std::string& name) { DeleteConverterOutput(name, SystemConvertServices()); }

std::string ConvertSvg(const std::string& FileName, Size RequestedSize, bool UseImageMagick,
                       bool UseRSVGHelper, bool UseInkscape, bool DontEnlarge,
                       int32_t& NaturalWidth, int32_t& NaturalHeight) {
  return ConvertSvg(FileName, RequestedSize, UseImageMagick, UseRSVGHelper, UseInkscape,
                    DontEnlarge, NaturalWidth, NaturalHeight, Settings(), SystemConvertServices());
}

std::string ConvertSvg(const std::string& FileName, Size RequestedSize, bool UseImageMagick,
                       bool UseRSVGHelper, bool UseInkscape, bool DontEnlarge,
                       int32_t& NaturalWidth, int32_t& NaturalHeight, const TSettings& settings,
                       TConvertServices& services) {
  NaturalWidth = 0;
  NaturalHeight = 0;
  Size renderSize;
  TTraceScope names("temporary names and copies");
  LateOutputs().Sweep([&](const std::string& name) { return services.RemoveIfExists(name); });
  std::string fileName = services.LongName(FileName);

  // A ZIP-packed drawing goes to the converter unpacked; the gzip form is passed as it is.
  TTempFile unpacked(services);
  if (UnpackZippedSvg(fileName, unpacked, services)) fileName = services.LongName(unpacked.Name());

  const std::string program = ChooseProgram(UseImageMagick, UseInkscape, settings, services);
  if (program.empty() || !services.FileExists(program)) return {};

  TTempFile output(services);
  output.Own(NewTempName(services, UseImageMagick ? ".bmp" : ".png"));

  // Converters built for the 8-bit code page cannot open every long name; the short form can be.
  std::optional<std::string> shortName;
  if (fileName.find("\\\\?\\UNC\\") == std::string::npos) {
    shortName = services.ShortPathName(fileName, kShortNameBuffer);
    if (shortName) {
      const size_t prefix = shortName->find("\\\\?\\");
      if (prefix != std::string::npos) shortName->erase(prefix, 4);
    }
  }

  const bool needsCopy = !shortName && !UseInkscape;
  TTempFile copy(services);
  if (needsCopy && !UseImageMagick && UseRSVGHelper) {
    copy.Own(NewTempName(services, ".svg"));
    if (!services.CopyFileOver(fileName, copy.Name())) return {};
  }

  std::string outputArg = output.Name();
  if (auto shortFolder = services.ShortPathName(ExtractFilePath(output.Name()), kShortNameBuffer)) {
    std::string folder = *shortFolder;
    if (folder.empty() || folder.back() != kPathSeparator) folder += kPathSeparator;
    const std::string shortOutput = folder + ExtractFileName(output.Name());
    output.Release();
    output.Own(shortOutput);
    outputArg = shortOutput;
  }

  std::string inputArg = copy.Owns() ? copy.Name() : fileName;
  if (!needsCopy) {
    // Inkscape always takes the short form; a name without one is passed in full rather than as
    // nothing at all.
    inputArg = shortName ? *shortName : fileName;
  }
  inputArg = Quoted(inputArg);
  outputArg = Quoted(outputArg);
  names.End();

  TTraceScope sizeRead("size read");
  if (const auto text = OpenSvgStream(fileName, kSizeReadLimit)) {
    TSVGInfo info;
    if (ReadSvgInfo(*text, info)) {
      CalcSvgPixelSize(info, kSizeDpi);
      NaturalWidth = info.IntWidth;
      NaturalHeight = info.IntHeight;
      Size size{info.IntWidth, info.IntHeight};
      if (size.width > kMaxRenderSide || size.height > kMaxRenderSide)
        size = FitSize(size, {kMaxRenderSide, kMaxRenderSide});
      if (size.IsPositive()) {
        renderSize = size;
        if (RequestedSize.IsPositive() &&
            (!DontEnlarge || size.width > RequestedSize.width ||
             size.height > RequestedSize.height))
          renderSize = FitSize(size, RequestedSize);
      }
    }
  }

  sizeRead.End();

  if (!UseImageMagick && !renderSize.IsPositive()) renderSize = RequestedSize;
  std::string args;
  if (UseImageMagick) {
    if (RequestedSize.IsPositive())
      args = " -resize " + std::to_string(RequestedSize.width) + "x" +
             std::to_string(RequestedSize.height) + " " + inputArg + " " + outputArg;
    else
      args = " " + inputArg + " " + outputArg;
    if (!settings.ImageMagicAdditionalCmd.empty())
      args = " " + settings.ImageMagicAdditionalCmd + args;
  } else {
    if (renderSize.IsPositive())
      args = " " + inputArg + " -w " + std::to_string(renderSize.width) + " -h " +
             std::to_string(renderSize.height) + " -a -o " + outputArg;
    else
      args = " " + inputArg + " -o " + outputArg;
    if (!settings.RSVGAdditionalCmd.empty()) args = " " + settings.RSVGAdditionalCmd + args;
  }
  if (UseInkscape) {
    if (RequestedSize.IsPositive())
      args = " " + inputArg + " -e=" + outputArg + " -w" + std::to_string(renderSize.width) +
             " -h" + std::to_string(renderSize.height) + " -z";
    else
      args = " " + inputArg + " -e=" + outputArg + " -z";
  }

  // Formed in 32 bits and read as unsigned: a negative setting is a very long, finite wait.
  const uint32_t timeoutMs = static_cast<uint32_t>(settings.TimeOutSec) * 1000u;
  TRunControl control;
  if (settings.ResponsiveWait) control.ResponsiveWindow = TResponsiveWaitScope::Current();
  control.WhileRunning = [&settings](TRunControl& c) {
    TWhileConvertingScope::RunPending();
    // The window to keep alive may have been made just now.
    if (settings.ResponsiveWait) c.ResponsiveWindow = TResponsiveWaitScope::Current();
  };
  try {
    services.RunAndWait(program, args, ExtractFilePath(program), TShowMode::Hidden,
                        settings.HighPriority, timeoutMs, &control);
  } catch (...) {
    // The work beside the converter failed and the converter was ended; one that would not go
    // may still write its output.
    if (control.Abandoned) LateOutputs().Add(std::move(control.Abandoned), output.Name());
    throw;
  }
  // Still running: whatever it writes from now on is deleted once it has exited.
  if (control.Abandoned) LateOutputs().Add(std::move(control.Abandoned), output.Name());

  TTraceScope judgement("output judgement");
  copy.Remove();

  int64_t size = -1;
  if (control.Cancelled) {
    // Given up by the user: what the ended converter left is no picture (size stays -1).
  } else if (services.PathExists(output.Name())) {
    const std::optional<FileEntry> entry = services.ReadFileEntry(output.Name());
    if (entry && !entry->isFolder) size = entry->size;
  } else {
    output.Release();  // nothing was written: nothing to delete
  }
  std::string result;
  if (size > 0) result = output.Release();
  output.Remove();
  unpacked.Remove();
  return result;
}

}  // namespace pictara
