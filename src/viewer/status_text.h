// The status text of the bottom bar and the caption of the host's Lister window, built from the
// viewer's state. Pure: the viewer gathers the numbers, these functions make the texts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/muldiv.h"

namespace pictara {

// What the status text shows. Width, Height and BitsPerPixel describe the raster in the image
// box, Scale is the image box's zoom in percent.
struct TStatusInfo {
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t BitsPerPixel = 0;
  int32_t Scale = 100;
  int32_t WidthFromFile = 0;   // the drawing's own size; 0 when unknown
  int32_t HeightFromFile = 0;
  int32_t FileIndex = 0;       // position in the folder list (0-based)
  int32_t FileCount = 0;       // entries of the folder list; 0 when there is no list
  std::string OpenedFileName;  // full name of the file shown
  int64_t ElapsedMs = 0;       // how long the last load took
  bool ShowOriginalToLoadedRatioPercent = false;
  bool ShowLoadingTime = true;
};

// " / W x H" with the drawing's own size, or "" when either is unknown; with the ratio on,
// followed by "  (P%)" where P is the raster width in percent of the drawing width.
std::string DrawingSizePart(const TStatusInfo& info);

// "1024 x 768 x 32  (80%) / 512 x 384  (200%)  -  [2/14]  -  a.svg   (00:01.234)". The folder
// position appears only when the list holds more than one file; the time only with
// ShowLoadingTime. "a.svg" is the file part of OpenedFileName (ExtractFileName). When the image
// box holds no picture the status text is simply empty; that needs no function.
std::string StatusText(const TStatusInfo& info);

struct TCaptionInfo {
  bool ListerHasParent = false;  // an embedded Lister keeps its own caption
  // The caption as read from the Lister window (GetWindowTextW into 1024 characters), nullopt or
  // empty when nothing could be read.
  std::optional<std::string> CurrentCaption;
  int32_t FileIndex = 0;
  int32_t FileCount = 0;  // 0 when there is no folder list
  std::string OpenedFileName;
};

// The caption the Lister window should get, or nullopt when it must not be set: an embedded
// Lister, or a caption that already reads so (setting it again would only flicker). The host's
// caption ends with the file path in square brackets; the text before the first "[" is kept, and
// a caption without "[" (or none) is replaced by "(Pictara) - ".
std::optional<std::string> NewListerCaption(const TCaptionInfo& info);

}  // namespace pictara
