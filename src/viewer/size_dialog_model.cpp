#include "viewer/size_dialog_model.h"

#include <algorithm>
#include <cstdio>

#include "base/muldiv.h"

namespace pictara {

namespace {

using K = TSizeDialogControlKind;
using I = TSizeDialogControlId;

// Left, top, width, height as designed at 120 pixels per inch. The labels Label1 to Label3 are
// sized to their text in the design; here they reach up to the next column.
const TSizeDialogControl kDesign[] = {
    {I::lblInfo, "lblInfo", K::Label, {16, 8, 16 + 497, 8 + 33}, kSizeDialogInfoFormat, -1},
    {I::Label1, "Label1", K::Label, {16, 56, 16 + 170, 56 + 16}, "Max Image Width:", -1},
    {I::edWidth, "edWidth", K::Edit, {16, 72, 16 + 105, 72 + 21}, "2", 0},
    {I::udWidth, "udWidth", K::SpinButton, {121, 72, 121 + 17, 72 + 21}, "", 1},
    {I::btResizeSwapSizes, "btResizeSwapSizes", K::Button, {150, 72, 150 + 33, 72 + 21}, "<>", 2},
    {I::Label2, "Label2", K::Label, {200, 56, 200 + 150, 56 + 16}, "Max Image Height:", -1},
    {I::edHeight, "edHeight", K::Edit, {200, 72, 200 + 105, 72 + 21}, "2", 3},
    {I::udHeight, "udHeight", K::SpinButton, {305, 72, 305 + 16, 72 + 21}, "", 4},
    {I::Label3, "Label3", K::Label, {360, 56, 360 + 145, 56 + 16}, "Predefined Size:", -1},
    {I::comboSizes, "comboSizes", K::DropDownList, {360, 72, 360 + 145, 72 + 21}, "", 5},
    {I::Button1, "Button1", K::Button, {185, 141, 185 + 75, 141 + 25}, "OK", 6},
    {I::Button2, "Button2", K::Button, {273, 141, 273 + 75, 141 + 25}, "Cancel", 7},
};

constexpr Size kDesignClient{532, 174};
constexpr int32_t kDesignFontHeight = 14;
constexpr int kDesignPixelsPerInch = 120;

bool IsSizeSeparator(char c) {
  switch (c) {
    case ' ': case ',': case '-': case '.': case ':': case ';': case 'X': case 'x': return true;
    default: return false;
  }
}

// A whole decimal number with an optional sign; values beyond the 32-bit range saturate, which
// the clamp to 2 … 10000 makes harmless.
bool ParseWholeNumber(std::string_view text, int64_t& value) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return false;
  int64_t v = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    v = std::min<int64_t>(v * 10 + (text[i] - '0'), int64_t{1} << 40);
  }
  value = negative ? -v : v;
  return true;
}

int32_t Clamp(int64_t value) { return static_cast<int32_t>(std::clamp<int64_t>(value, kSizeDialogMin, kSizeDialogMax)); }

std::string SizeRow(int32_t width, int32_t height) { return std::to_string(width) + " x " + std::to_string(height); }

}  // namespace

TSizeDialogLayout SizeDialogDesign() {
  TSizeDialogLayout layout;
  layout.ClientSize = kDesignClient;
  layout.FontHeight = kDesignFontHeight;
  layout.Controls.assign(std::begin(kDesign), std::end(kDesign));
  return layout;
}

TSizeDialogLayout ScaledSizeDialogLayout(int pixelsPerInch) {
  TSizeDialogLayout layout = SizeDialogDesign();
  if (pixelsPerInch < 1) return layout;
  const auto scale = [pixelsPerInch](int32_t v) { return MulDiv(v, pixelsPerInch, kDesignPixelsPerInch); };
  layout.ClientSize = {scale(layout.ClientSize.width), scale(layout.ClientSize.height)};
  layout.FontHeight = scale(layout.FontHeight);
  for (TSizeDialogControl& c : layout.Controls) {
    // Edges are scaled, not sizes, so that controls that touch in the design still touch.
    c.Bounds = {scale(c.Bounds.left), scale(c.Bounds.top), scale(c.Bounds.right), scale(c.Bounds.bottom)};
  }
  return layout;
}

const std::vector<std::string>& DesignSizeRows() {
  static const std::vector<std::string> rows = {
      "1280 x 720", "1920 x 1080", "",          "1024 x 768", "1024 x 720", "2048 x 1536", "2560 x 1600",
      "3840 x 2160", "",           "240 x 320", "480 x 800",  "",           "1024x1024",   "512 x 512",
      "256 x 256",  "128 x 128",   "96 x 96",   "64 x 64",    "48 x 48",    "32 x 32",     "24 x 24",
      "16 x 16"};
  return rows;
}

bool ParseSizeRow(const std::string& row, int32_t& width, int32_t& height) {
  std::vector<std::string_view> words;
  const std::string_view text(row);
  size_t i = 0;
  while (words.size() < 2) {
    while (i < text.size() && IsSizeSeparator(text[i])) ++i;
    if (i == text.size()) break;
    const size_t start = i;
    while (i < text.size() && !IsSizeSeparator(text[i])) ++i;
    words.push_back(text.substr(start, i - start));
  }
  if (words.size() < 2) return false;
  int64_t w = 0, h = 0;
  if (!ParseWholeNumber(words[0], w) || !ParseWholeNumber(words[1], h)) return false;
  width = static_cast<int32_t>(std::clamp<int64_t>(w, INT32_MIN, INT32_MAX));
  height = static_cast<int32_t>(std::clamp<int64_t>(h, INT32_MIN, INT32_MAX));
  return true;
}

int32_t SpinPositionFromText(const std::string& text, int32_t current) {
  std::string_view t(text);
  while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
  while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
  int64_t value = 0;
  if (!ParseWholeNumber(t, value)) return current;
  return Clamp(value);
}

TfmSize::TfmSize(int32_t width, int32_t height, const std::string& formatName, Size screen) {
  const std::string_view format(kSizeDialogInfoFormat);
  const size_t at = format.find("%s");
  info_.append(format.substr(0, at)).append(formatName).append(format.substr(at + 2));
  SetWidthPosition(width);
  SetHeightPosition(height);
  rows_ = DesignSizeRows();
  rows_.insert(rows_.begin(), SizeRow(width_, height_));
  rows_.insert(rows_.begin() + 1, "");
  rows_.insert(rows_.begin() + 1, SizeRow(screen.width, screen.height));
  itemIndex_ = 0;
}

void TfmSize::SetWidthPosition(int32_t value) { width_ = Clamp(value); }
void TfmSize::SetHeightPosition(int32_t value) { height_ = Clamp(value); }

void TfmSize::edWidthChange(const std::string& text) { width_ = SpinPositionFromText(text, width_); }
void TfmSize::edHeightChange(const std::string& text) { height_ = SpinPositionFromText(text, height_); }

void TfmSize::comboSizesChange(int32_t index) {
  if (index < 0 || index >= static_cast<int32_t>(rows_.size())) return;
  itemIndex_ = index;
  int32_t w = 0, h = 0;
  if (!ParseSizeRow(rows_[static_cast<size_t>(index)], w, h)) return;
  SetWidthPosition(w);
  SetHeightPosition(h);
}

void TfmSize::btResizeSwapSizesClick() { std::swap(width_, height_); }

bool SelectImageSize(int32_t& Width, int32_t& Height, const std::string& FormatName, Size screen,
                     ISizeDialogHost& host) {
  TfmSize dialog(Width, Height, FormatName, screen);
  if (!host.ExecuteSizeDialog(dialog)) return false;
  Width = dialog.udWidthPosition();
  Height = dialog.udHeightPosition();
  return true;
}

}  // namespace pictara
