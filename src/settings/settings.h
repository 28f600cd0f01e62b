// Process-wide options of the plug-in, read from "Pictara.ini" (section "Setup") beside the
// plug-in library.
//
// File format: an INI text file. A byte-order mark selects UTF-8 or UTF-16; otherwise the system's
// 8-bit code page applies. Section and key names match without regard to case. Integers are
// decimal, or hexadecimal after "$" or "0x"; booleans are integers (0 false, else true); a value
// that does not read takes the key's default. Fields are named like their keys.
#pragma once

#include <cstdint>
#include <string>

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
};

// The one process-wide copy.
TSettings& Settings();

}  // namespace pictara
