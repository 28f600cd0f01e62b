// Process-wide options of the plug-in, read from "Pictara.ini" (section "Setup") beside the
// plug-in library.
//
// File format: an INI text file. A byte-order mark selects UTF-8 or UTF-16; otherwise the system's
// 8-bit code page applies. Section and key names match without regard to case. Integers are
// decimal, or hexadecimal after "$" or "0x"; booleans are integers (0 false, else true); a value
// that does not read takes the key's default. Fields are named like their keys.
//
// Defaults: on the first read the initial values below. On later reads (RereadIni) a missing or
// unreadable key keeps the value the field holds now, except "UseRSVG", "UseRSVGHelper",
// "UseInkscape", the four path keys and the two command keys, which always fall back to their
// initial values. Since the first read starts from the initial values, one rule covers both.
//
// Paths (RSVGPath, ImageMagickPath64, ImageMagickPath, InkscapePath) are expanded against the
// plug-in's folder, which is left as the process's current directory. OpenWidth and OpenHeight:
// 1 to 9 become 0, above 10000 becomes 10000, 0 and negative values stay (-1: the window's size).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "settings/ini_file.h"

namespace pictara {

using TColor = uint32_t;  // 0x00BBGGRR

// In the image-background colours: the drawing has no background of its own; the window
// background colour applies.
constexpr TColor FollowBackgroundColor = 0x20000000;

struct TSettings {
  bool UseImageMagick = false;
  bool UseRSVGHelper = true;
  int32_t OpenWidth = 0;
  int32_t OpenHeight = 0;
  bool HighPriority = true;
  int32_t TimeOutSec = 0;
  // A viewer load keeps the host's windows painted and answers Esc while the converter runs; off:
  // the thread just blocks until the converter ends.
  bool ResponsiveWait = true;
  std::string RSVGPath;
  std::string ImageMagickPath64;
  std::string ImageMagickPath;
  TColor BackgroundColor = 0x00FFFFFF;
  TColor ImageBackgroundColor = FollowBackgroundColor;
  TColor BackgroundColorDark = 0x00202020;
  TColor ImageBackgroundColorDark = FollowBackgroundColor;
  std::string ImageMagicAdditionalCmd;
  std::string RSVGAdditionalCmd;
  bool InternalConvertPNGtoBitmap = false;
  bool ShowThumbnailsInTC = true;
  bool ShowLoadingTime = true;
  bool BackgroundImage = false;
  std::string InkscapePath;
  bool UseInkscape = false;
  bool RereadIni = false;
  bool CopyPngToClipboard = true;
  bool UpdateListerCaption = true;
  bool DontResizeSmall = false;
  bool DontResizeSmallThumbnail = false;
  bool ShowOriginalToLoadedRatioPercent = false;

  bool operator==(const TSettings&) const = default;
};

// The one process-wide copy.
TSettings& Settings();

inline constexpr char kSettingsFileName[] = "Pictara.ini";
inline constexpr char kSettingsSection[] = "Setup";

// What reading depends on besides the file itself.
struct TSettingsEnvironment {
  std::string PluginFolder;  // with its trailing separator; relative paths are expanded against it
  bool Is64BitBuild = sizeof(void*) == 8;  // only the 64-bit build reads "ImageMagickPath64"
  // Whether a name denotes an existing file (not a folder). Decides the ImageMagick candidate and
  // whether Inkscape is usable.
  std::function<bool(const std::string&)> FileExists;
};

// Reads the settings file's raw bytes (nullopt: there is no file) into `settings` by the rules
// above. Never writes the file. Changes the current directory when a path key is set.
void LoadSettings(TSettings& settings, const std::optional<std::string>& iniBytes, const TSettingsEnvironment& env);

// Reads "Pictara.ini" from the plug-in's folder into Settings(); called at library load and,
// with RereadIni, when a viewer window is created.
void LoadSettings();

// The five keys the colour writer stores, in writing order: the light colours as "$" and eight
// upper-case hexadecimal digits, the dark colours as signed decimal integers, BackgroundImage as
// "1" or "0". Every form reads back through the integer syntax.
std::vector<TIniEntry> ColorSettingsEntries(const TSettings& settings);

// Writes those five keys into section "Setup" of `iniFileName`, keeping every other key and
// section; creates the file when missing. Failures are swallowed: the values in memory stay as
// the user chose them.
void SaveColorSettings(const TSettings& settings, const std::string& iniFileName);

// SaveColorSettings of Settings() into "Pictara.ini" beside the plug-in.
void SaveColorSettings();

// Every key of section "Setup", in reading order.
std::vector<std::string> SettingsKeys();

// Full name of "Pictara.ini" beside the plug-in.
std::string SettingsFileName();

}  // namespace pictara
