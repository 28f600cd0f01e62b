// TfmSize without its window: the size dialog of "Convert File...", which asks for the largest
// width and height of the raster file to write. The Win32 dialog builds its controls from the
// layout below, shows the model's texts and hands the user's actions back to it; what it returns
// on OK are the model's two positions, always within 2 … 10000.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "viewer/form_layout.h"

namespace pictara {

inline constexpr int32_t kSizeDialogMin = 2;
inline constexpr int32_t kSizeDialogMax = 10000;

// ---- Layout ------------------------------------------------------------------------------------

enum class TSizeDialogControlKind { Label, Edit, SpinButton, Button, DropDownList };

// The controls, in tab order (labels take no focus and are listed with the control they name).
enum class TSizeDialogControlId {
  lblInfo, Label1, edWidth, udWidth, btResizeSwapSizes, Label2, edHeight, udHeight, Label3, comboSizes,
  Button1, Button2,
};

struct TSizeDialogControl {
  TSizeDialogControlId Id;
  const char* Name;
  TSizeDialogControlKind Kind;
  Rect Bounds;   // client coordinates
  const char* Text;   // the window text: caption of a label or button, initial text of an edit
  int32_t TabOrder;   // -1: not a tab stop
};

struct TSizeDialogLayout {
  Size ClientSize;
  int32_t FontHeight = 0;  // Tahoma, pixels
  std::vector<TSizeDialogControl> Controls;
};

inline constexpr char kSizeDialogCaption[] = "Select max image dimensions";
inline constexpr char kSizeDialogInfoFormat[] = "Please enter maximal image dimensions for save to %s:";
// Rows the drop-down list shows at once.
inline constexpr int32_t kSizeDialogVisibleRows = 14;

// The dialog as designed for a 120 pixels-per-inch screen: client 532 × 174, and every control's
// place, text and tab order.
TSizeDialogLayout SizeDialogDesign();
// The design scaled to the screen's density: each value multiplied by pixelsPerInch / 120 with the
// system's multiply-divide rounding. Below 1 pixel per inch the design is given unchanged.
TSizeDialogLayout ScaledSizeDialogLayout(int pixelsPerInch);

// ---- Model -------------------------------------------------------------------------------------

// The design-time rows of comboSizes (empty strings are separator rows).
const std::vector<std::string>& DesignSizeRows();

// Width and height from a size row: the text split into words at any run of space, comma, hyphen,
// full stop, colon, semicolon, "X" and "x" (leading separators skipped). False, nothing written,
// when there are fewer than two words or the first two are not whole numbers.
bool ParseSizeRow(const std::string& row, int32_t& width, int32_t& height);

// A spin control's position after the user typed into its edit: blanks around the text are
// ignored; a whole decimal number (optional sign, no thousands separators) is taken and kept within
// 2 … 10000; anything else leaves the position as it was.
int32_t SpinPositionFromText(const std::string& text, int32_t current);

class TfmSize {
 public:
  // The dialog for a picture of width × height, saved in `formatName` (PNG or BMP), on a screen of
  // `screen` pixels: positions clamped to 2 … 10000; the list starts with that size, the screen
  // size and a separator, then the design rows; row 0 is selected.
  TfmSize(int32_t width, int32_t height, const std::string& formatName, Size screen);

  std::string Caption() const { return kSizeDialogCaption; }
  const std::string& lblInfo() const { return info_; }
  const std::vector<std::string>& comboSizes() const { return rows_; }
  int32_t ItemIndex() const { return itemIndex_; }

  int32_t udWidthPosition() const { return width_; }
  int32_t udHeightPosition() const { return height_; }
  // Set by program: kept within 2 … 10000.
  void SetWidthPosition(int32_t value);
  void SetHeightPosition(int32_t value);
  // What the edits show for the positions ("%d", no thousands separator).
  std::string edWidthText() const { return std::to_string(width_); }
  std::string edHeightText() const { return std::to_string(height_); }

  // The user typed into an edit (SpinPositionFromText).
  void edWidthChange(const std::string& text);
  void edHeightChange(const std::string& text);
  // The user picked row `index` of the list: a size row sets both positions; a separator row changes
  // nothing but the selection; an index outside the list changes nothing.
  void comboSizesChange(int32_t index);
  // "<>": the two positions change places.
  void btResizeSwapSizesClick();

 private:
  std::string info_;
  std::vector<std::string> rows_;
  int32_t itemIndex_ = 0;
  int32_t width_ = kSizeDialogMin;
  int32_t height_ = kSizeDialogMin;
};

// What shows the dialog: modal, above the viewer, its popup parent; true when it closed with OK.
class ISizeDialogHost {
 public:
  virtual ~ISizeDialogHost() = default;
  virtual bool ExecuteSizeDialog(TfmSize& dialog) = 0;
};

// Shows the size dialog; on OK writes the chosen values back and returns true; otherwise returns
// false and leaves both unchanged.
bool SelectImageSize(int32_t& Width, int32_t& Height, const std::string& FormatName, Size screen,
                     ISizeDialogHost& host);

}  // namespace pictara
