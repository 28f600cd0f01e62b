#include "viewer/colours.h"

#include <cstdio>

namespace pictara {

TColor BackgroundColorOf(const TSettings& settings, bool dark) {
  return dark ? settings.BackgroundColorDark : settings.BackgroundColor;
}

TColor ImageBackgroundColorOf(const TSettings& settings, bool dark) {
  const TColor own = dark ? settings.ImageBackgroundColorDark : settings.ImageBackgroundColor;
  return own == FollowBackgroundColor ? BackgroundColorOf(settings, dark) : own;
}

void SetBackgroundColorOf(TSettings& settings, bool dark, TColor c) {
  (dark ? settings.BackgroundColorDark : settings.BackgroundColor) = c;
}

void SetImageBackgroundColorOf(TSettings& settings, bool dark, TColor c) {
  (dark ? settings.ImageBackgroundColorDark : settings.ImageBackgroundColor) = c;
}

std::string CustomColorText(TColor c) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(c));
  return text;
}

namespace {

std::vector<std::string> CustomColors(TColor a, TColor b, TColor c, TColor d) {
  return {"ColorA=" + CustomColorText(a), "ColorB=" + CustomColorText(b), "ColorC=" + CustomColorText(c),
          "ColorD=" + CustomColorText(d)};
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::vector<std::string> BackgroundCustomColors(const TSettings& s) {
  return CustomColors(s.ImageBackgroundColor, s.ImageBackgroundColorDark, s.BackgroundColor, s.BackgroundColorDark);
}

std::vector<std::string> ImageBackgroundCustomColors(const TSettings& s) {
  return CustomColors(s.BackgroundColor, s.BackgroundColorDark, s.ImageBackgroundColor, s.ImageBackgroundColorDark);
}

std::array<std::optional<TColor>, 16> CustomColorSlots(const std::vector<std::string>& entries) {
  std::array<std::optional<TColor>, 16> slots;
  for (const std::string& entry : entries) {
    // "Color" + one letter A..P + "=" + 1 to 8 hexadecimal digits.
    if (entry.size() < 8 || entry.compare(0, 5, "Color") != 0 || entry[6] != '=') continue;
    const char letter = entry[5];
    const int slot = letter >= 'A' && letter <= 'P' ? letter - 'A' : letter >= 'a' && letter <= 'p' ? letter - 'a' : -1;
    if (slot < 0 || entry.size() > 15) continue;
    uint32_t value = 0;
    bool ok = true;
    for (size_t i = 7; i < entry.size(); ++i) {
      const int digit = HexDigit(entry[i]);
      if (digit < 0) {
        ok = false;
        break;
      }
      value = value << 4 | static_cast<uint32_t>(digit);
    }
    if (ok) slots[static_cast<size_t>(slot)] = value;
  }
  return slots;
}

std::optional<std::array<int32_t, 2>> PngHeaderSize(std::string_view bytes) {
  static constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  // Signature, IHDR length and type, then width and height, big-endian.
  if (bytes.size() < 24) return std::nullopt;
  for (size_t i = 0; i < 8; ++i)
    if (static_cast<unsigned char>(bytes[i]) != kSignature[i]) return std::nullopt;
  if (bytes.substr(12, 4) != "IHDR") return std::nullopt;
  const auto be32 = [&](size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(bytes[at + i]);
    return v;
  };
  const uint32_t w = be32(16), h = be32(20);
  if (w > 0x7FFFFFFF || h > 0x7FFFFFFF) return std::nullopt;
  return std::array<int32_t, 2>{static_cast<int32_t>(w), static_cast<int32_t>(h)};
}

bool BackgroundPictureSizeAllowed(std::string_view bytes) {
  const auto size = PngHeaderSize(bytes);
  if (!size || (*size)[0] <= 0 || (*size)[1] <= 0) return false;
  return int64_t{(*size)[0]} * (*size)[1] <= kMaxBackgroundPicturePixels;
}

}  // namespace pictara
