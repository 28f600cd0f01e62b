// The size dialog of "Convert File..." without its window: the size list, the parsing of its
// rows, the spin controls' range and the layout.
#include <gtest/gtest.h>

#include "viewer/size_dialog_model.h"

namespace pictara {
namespace {

TEST(SizeDialog, RowsParseAtEverySeparator) {
  struct Case {
    const char* row;
    bool parsed;
    int32_t width, height;
  } const kCases[] = {
      {"1280 x 720", true, 1280, 720},
      {"1024x1024", true, 1024, 1024},
      {"1024X768", true, 1024, 768},
      {"800,600", true, 800, 600},
      {"800-600", true, 800, 600},
      {"800.600", true, 800, 600},
      {"800:600", true, 800, 600},
      {"800;600", true, 800, 600},
      {"x 5 x 6", true, 5, 6},
      {" ,.;:-xX 7;;8 x 9", true, 7, 8},
      {"", false, 0, 0},
      {"1920", false, 0, 0},
      {"  x  ", false, 0, 0},
      {"wide x 600", false, 0, 0},
      {"99999999999999 x 3", true, INT32_MAX, 3},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.row);
    int32_t w = -1, h = -1;
    EXPECT_EQ(ParseSizeRow(c.row, w, h), c.parsed);
    EXPECT_EQ(w, c.parsed ? c.width : -1);
    EXPECT_EQ(h, c.parsed ? c.height : -1);
  }
}

TEST(SizeDialog, StartsWithThePictureSizeTheScreenSizeAndASeparator) {
  const TfmSize dialog(800, 600, "PNG", {1920, 1080});
  EXPECT_EQ(dialog.Caption(), "Select max image dimensions");
  EXPECT_EQ(dialog.lblInfo(), "Please enter maximal image dimensions for save to PNG:");
  ASSERT_EQ(dialog.comboSizes().size(), 25u);
  const std::vector<std::string> first(dialog.comboSizes().begin(), dialog.comboSizes().begin() + 6);
  EXPECT_EQ(first, (std::vector<std::string>{"800 x 600", "1920 x 1080", "", "1280 x 720", "1920 x 1080", ""}));
  EXPECT_EQ(dialog.comboSizes()[15], "1024x1024");
  EXPECT_EQ(dialog.comboSizes().back(), "16 x 16");
  EXPECT_EQ(dialog.ItemIndex(), 0);
  EXPECT_EQ(dialog.udWidthPosition(), 800);
  EXPECT_EQ(dialog.udHeightPosition(), 600);
  EXPECT_EQ(TfmSize(1, 1, "BMP", {1, 1}).lblInfo(), "Please enter maximal image dimensions for save to BMP:");
}

TEST(SizeDialog, PositionsStayWithinTwoToTenThousand) {
  const TfmSize big(12000, 1, "PNG", {1920, 1080});
  EXPECT_EQ(big.udWidthPosition(), 10000);
  EXPECT_EQ(big.udHeightPosition(), 2);
  EXPECT_EQ(big.comboSizes()[0], "10000 x 2") << "the first row shows the starting size after clamping";
  EXPECT_EQ(big.edWidthText(), "10000") << "no thousands separator";

  struct Case {
    const char* typed;
    int32_t position;
  } const kTyped[] = {
      {"640", 640}, {" 640 ", 640}, {"+640", 640}, {"1", 2}, {"-5", 2}, {"0", 2}, {"20000", 10000},
      {"99999999999999999999", 10000}, {"", 500}, {"abc", 500}, {"6 4 0", 500}, {"1,024", 500}, {"12px", 500},
      {"-", 500},
  };
  for (const Case& c : kTyped) {
    SCOPED_TRACE(c.typed);
    TfmSize dialog(500, 500, "PNG", {1920, 1080});
    dialog.edWidthChange(c.typed);
    dialog.edHeightChange(c.typed);
    EXPECT_EQ(dialog.udWidthPosition(), c.position);
    EXPECT_EQ(dialog.udHeightPosition(), c.position);
  }
}

TEST(SizeDialog, ListChoicesAndSwap) {
  TfmSize dialog(800, 600, "PNG", {1366, 768});
  dialog.comboSizesChange(4);  // "1920 x 1080"
  EXPECT_EQ(dialog.udWidthPosition(), 1920);
  EXPECT_EQ(dialog.udHeightPosition(), 1080);
  dialog.btResizeSwapSizesClick();
  EXPECT_EQ(dialog.udWidthPosition(), 1080);
  EXPECT_EQ(dialog.udHeightPosition(), 1920);
  dialog.comboSizesChange(2);  // separator
  EXPECT_EQ(dialog.ItemIndex(), 2);
  EXPECT_EQ(dialog.udWidthPosition(), 1080) << "a separator row changes nothing";
  dialog.comboSizesChange(1);  // the screen
  EXPECT_EQ(dialog.udWidthPosition(), 1366);
  EXPECT_EQ(dialog.udHeightPosition(), 768);
  dialog.comboSizesChange(25);
  dialog.comboSizesChange(-1);
  EXPECT_EQ(dialog.ItemIndex(), 1) << "no such row";
  dialog.comboSizesChange(24);  // "16 x 16"
  EXPECT_EQ(dialog.udWidthPosition(), 16);
}

struct ScriptedHost : ISizeDialogHost {
  std::function<bool(TfmSize&)> answer;
  bool ExecuteSizeDialog(TfmSize& dialog) override { return answer(dialog); }
};

TEST(SizeDialog, SelectImageSizeWritesBackOnlyOnOk) {
  ScriptedHost host;
  host.answer = [](TfmSize& d) {
    d.comboSizesChange(10);  // "3840 x 2160"
    return true;
  };
  int32_t w = 800, h = 600;
  EXPECT_TRUE(SelectImageSize(w, h, "PNG", {1920, 1080}, host));
  EXPECT_EQ(w, 3840);
  EXPECT_EQ(h, 2160);
  host.answer = [](TfmSize& d) {
    d.edWidthChange("999");
    return false;
  };
  EXPECT_FALSE(SelectImageSize(w, h, "PNG", {1920, 1080}, host));
  EXPECT_EQ(w, 3840);
  EXPECT_EQ(h, 2160);
  host.answer = [](TfmSize&) { return true; };
  w = 12000;
  h = 0;
  EXPECT_TRUE(SelectImageSize(w, h, "PNG", {1920, 1080}, host));
  EXPECT_EQ(w, 10000) << "values handed back lie within 2 ... 10000";
  EXPECT_EQ(h, 2);
}

TEST(SizeDialog, LayoutAsDesignedAndScaledToTheScreen) {
  const TSizeDialogLayout design = ScaledSizeDialogLayout(120);
  EXPECT_EQ(design.ClientSize, (Size{532, 174}));
  std::vector<std::string> tabOrder(8);
  for (const TSizeDialogControl& c : design.Controls) {
    if (c.TabOrder >= 0) tabOrder.at(static_cast<size_t>(c.TabOrder)) = c.Name;
    EXPECT_LE(c.Bounds.right, design.ClientSize.width) << c.Name;
    EXPECT_LE(c.Bounds.bottom, design.ClientSize.height) << c.Name;
  }
  EXPECT_EQ(tabOrder, (std::vector<std::string>{"edWidth", "udWidth", "btResizeSwapSizes", "edHeight", "udHeight",
                                                "comboSizes", "Button1", "Button2"}));
  const auto find = [](const TSizeDialogLayout& l, TSizeDialogControlId id) {
    for (const TSizeDialogControl& c : l.Controls)
      if (c.Id == id) return c;
    throw std::out_of_range("no control");
  };
  EXPECT_EQ(find(design, TSizeDialogControlId::lblInfo).Bounds, (Rect{16, 8, 513, 41}));
  EXPECT_EQ(find(design, TSizeDialogControlId::Button2).Bounds, (Rect{273, 141, 348, 166}));
  EXPECT_STREQ(find(design, TSizeDialogControlId::btResizeSwapSizes).Text, "<>");
  EXPECT_STREQ(find(design, TSizeDialogControlId::Button2).Text, "Cancel");

  struct Case {
    int ppi;
    Size client;
    Rect udWidth;
    int32_t font;
  } const kCases[] = {
      {96, {426, 139}, {97, 58, 110, 74}, 11},
      {144, {638, 209}, {145, 86, 166, 112}, 17},
      {240, {1064, 348}, {242, 144, 276, 186}, 28},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.ppi);
    const TSizeDialogLayout scaled = ScaledSizeDialogLayout(c.ppi);
    EXPECT_EQ(scaled.ClientSize, c.client);
    EXPECT_EQ(scaled.FontHeight, c.font);
    // The spin button still touches its edit.
    EXPECT_EQ(find(scaled, TSizeDialogControlId::udWidth).Bounds, c.udWidth);
    EXPECT_EQ(find(scaled, TSizeDialogControlId::edWidth).Bounds.right, c.udWidth.left);
  }
  EXPECT_EQ(ScaledSizeDialogLayout(0).ClientSize, design.ClientSize);
}

}  // namespace
}  // namespace pictara
