// The viewer's colour model: which setting holds the colour around the picture and the colour
// under it in the light and the dark appearance, the custom colours the colour dialog offers,
// and where the chessboard tile comes from.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings.h"

namespace pictara {

// The colour around the picture: BackgroundColorDark in the dark appearance, else BackgroundColor.
TColor BackgroundColorOf(const TSettings& settings, bool dark);
// The colour under the picture: the image background setting of the appearance, or the
// background colour of the same appearance while that setting holds FollowBackgroundColor.
TColor ImageBackgroundColorOf(const TSettings& settings, bool dark);
// Store into the setting of the appearance; the other appearance's values stay as they are.
void SetBackgroundColorOf(TSettings& settings, bool dark, TColor c);
void SetImageBackgroundColorOf(TSettings& settings, bool dark, TColor c);

// A stored colour as the colour dialog's custom list writes it: exactly 8 upper-case hexadecimal
// digits of the 32-bit value (white 00FFFFFF, the follow value 20000000).
std::string CustomColorText(TColor c);

// The custom colour list of each colour command, "ColorA=…" to "ColorD=…". The stored values are
// listed as they are, not resolved, and the pair of the other kind comes first:
//   background command:        ImageBackgroundColor, ImageBackgroundColorDark, BackgroundColor, BackgroundColorDark
//   image background command:  BackgroundColor, BackgroundColorDark, ImageBackgroundColor, ImageBackgroundColorDark
std::vector<std::string> BackgroundCustomColors(const TSettings& settings);
std::vector<std::string> ImageBackgroundCustomColors(const TSettings& settings);

// The sixteen custom slots of the system's colour dialog from such a list: "ColorA" fills slot 0
// up to "ColorP" in slot 15; a slot without an entry, or with one that does not read as
// hexadecimal, is nullopt (the dialog keeps what it has there).
std::array<std::optional<TColor>, 16> CustomColorSlots(const std::vector<std::string>& entries);

// The optional user tile beside the plug-in, and the built-in one.
inline constexpr char kBackgroundPictureFileName[] = "Background.png";
inline constexpr char kChessBackgroundResource[] = "CHESSBACKGROUND";

// Largest tile, in pixels, that is decoded at all. A "Background.png" that claims a huge size
// would otherwise ask for gigabytes before its pixels turn out to be missing; such a file is
// treated like any other unreadable tile.
inline constexpr int64_t kMaxBackgroundPicturePixels = int64_t{8192} * 8192;

// Width and height from a PNG file's header; nullopt when the bytes do not start like a PNG.
std::optional<std::array<int32_t, 2>> PngHeaderSize(std::string_view bytes);

// True when the bytes start like a PNG whose size is positive and within the tile limit.
bool BackgroundPictureSizeAllowed(std::string_view bytes);

}  // namespace pictara
