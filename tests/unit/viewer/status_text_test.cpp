#include "viewer/status_text.h"

#include <gtest/gtest.h>

#include <climits>

namespace pictara {
namespace {

TEST(StatusText, Formats) {
  TStatusInfo full;
  full.Width = 1024;
  full.Height = 768;
  full.BitsPerPixel = 32;
  full.Scale = 80;
  full.WidthFromFile = 512;
  full.HeightFromFile = 384;
  full.FileIndex = 1;
  full.FileCount = 14;
  full.OpenedFileName = "/drawings/b.svg";
  full.ElapsedMs = 1234;
  full.ShowOriginalToLoadedRatioPercent = true;
  full.ShowLoadingTime = true;

  TStatusInfo plain;  // before any navigation, no drawing size from the file
  plain.Width = 1024;
  plain.Height = 768;
  plain.BitsPerPixel = 24;
  plain.Scale = 100;
  plain.OpenedFileName = "/drawings/a.svg";
  plain.ShowLoadingTime = false;

  struct Case {
    const char* name;
    TStatusInfo info;
    const char* expected;
  } const kCases[] = {
      {"everything", full, "1024 x 768 x 32  (80%) / 512 x 384  (200%)  -  [2/14]  -  b.svg   (00:01.234)"},
      {"plain", plain, "1024 x 768 x 24  (100%)  -  a.svg"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(StatusText(c.info), c.expected);
  }

  TStatusInfo listOfOne = full;  // a list of one file shows no position
  listOfOne.FileCount = 1;
  listOfOne.FileIndex = 0;
  listOfOne.ShowOriginalToLoadedRatioPercent = false;
  listOfOne.ElapsedMs = 75000;
  EXPECT_EQ(StatusText(listOfOne), "1024 x 768 x 32  (80%) / 512 x 384  -  b.svg   (01:15.0)");

  TStatusInfo overAnHour = plain;  // only the minutes and seconds past the hour
  overAnHour.ShowLoadingTime = true;
  overAnHour.ElapsedMs = 3725500;
  EXPECT_EQ(StatusText(overAnHour), "1024 x 768 x 24  (100%)  -  a.svg   (02:05.500)");
}

TEST(StatusText, DrawingSizePart) {
  struct Case {
    int32_t width, widthFromFile, heightFromFile;
    bool ratio;
    const char* expected;
  } const kCases[] = {
      {300, 200, 100, true, " / 200 x 100  (150%)"},
      {300, 200, 100, false, " / 200 x 100"},
      {1, 200, 100, true, " / 200 x 100  (1%)"},  // 0.5 rounds up
      {1, 201, 100, true, " / 201 x 100  (0%)"},
      {300, 200, 0, true, ""},  // the height unknown: no size and no division
      {300, 0, 100, true, ""},
      {300, -5, 100, true, ""},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.expected);
    TStatusInfo info;
    info.Width = c.width;
    info.WidthFromFile = c.widthFromFile;
    info.HeightFromFile = c.heightFromFile;
    info.ShowOriginalToLoadedRatioPercent = c.ratio;
    EXPECT_EQ(DrawingSizePart(info), c.expected);
  }
}

TEST(ListerCaption, KeepsTheHostsTextBeforeTheBracket) {
  const std::string file = "/pics/b.svg";
  struct Case {
    const char* name;
    bool hasParent;
    std::optional<std::string> current;
    int32_t index, count;
    std::optional<std::string> expected;
  } const kCases[] = {
      {"one file", false, "Lister - [/pics/a.svg]", 0, 0, "Lister - [/pics/b.svg]"},
      {"several files", false, "Lister - [/pics/a.svg]", 1, 3, "Lister - [2/3, b.svg, /pics/b.svg]"},
      {"a list of one shows no position", false, "Lister - [x]", 0, 1, "Lister - [/pics/b.svg]"},
      {"only up to the first bracket", false, "A [b] [c]", 0, 0, "A [/pics/b.svg]"},
      {"no bracket", false, "Lister", 0, 0, "(Pictara) - [/pics/b.svg]"},
      {"nothing read", false, std::nullopt, 0, 0, "(Pictara) - [/pics/b.svg]"},
      {"empty caption", false, "", 1, 2, "(Pictara) - [2/2, b.svg, /pics/b.svg]"},
      {"already so: not set again", false, "Lister - [/pics/b.svg]", 0, 0, std::nullopt},
      {"case matters when comparing", false, "Lister - [/PICS/b.svg]", 0, 0, "Lister - [/pics/b.svg]"},
      {"embedded Lister", true, "Lister - [/pics/a.svg]", 0, 0, std::nullopt},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    TCaptionInfo info;
    info.ListerHasParent = c.hasParent;
    info.CurrentCaption = c.current;
    info.FileIndex = c.index;
    info.FileCount = c.count;
    info.OpenedFileName = file;
    EXPECT_EQ(NewListerCaption(info), c.expected);
  }
}

}  // namespace
}  // namespace pictara
