#include "settings/settings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/files.h"

namespace pictara {
namespace {

namespace fs = std::filesystem;

// A real plug-in folder in the temporary folder, with the converter programs the test asks for.
class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedCwd_ = fs::current_path();
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = fs::temp_directory_path() /
              ("pictara-settings-" + std::to_string(getpid()) + "-" + info->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    env_.PluginFolder = folder_.string() + "/";
    env_.Is64BitBuild = true;
    env_.FileExists = FileExists;
  }
  void TearDown() override {
    fs::current_path(savedCwd_);  // reading moves the current directory into the plug-in folder
    fs::remove_all(folder_);
  }

  // Creates a file below the plug-in folder and returns its full name.
  std::string MakeFile(const std::string& relative) {
    const fs::path p = folder_ / relative;
    fs::create_directories(p.parent_path());
    std::ofstream(p) << "x";
    return p.string();
  }
  std::string Full(const std::string& relative) const { return (folder_ / relative).string(); }

  TSettings Read(const std::string& ini, TSettings s = {}) {
    LoadSettings(s, ini, env_);
    return s;
  }
  std::string IniFile() const { return (folder_ / kSettingsFileName).string(); }

  fs::path savedCwd_;
  fs::path folder_;
  TSettingsEnvironment env_;
};

TEST_F(SettingsTest, NoFileOrEmptySectionLeavesEveryInitialValue) {
  for (const std::optional<std::string>& ini : {std::optional<std::string>(), std::optional<std::string>("[Setup]\n")}) {
    TSettings s;
    LoadSettings(s, ini, env_);
    const TSettings initial;
    EXPECT_EQ(s.UseImageMagick, initial.UseImageMagick);
    EXPECT_TRUE(s.UseRSVGHelper);
    EXPECT_TRUE(s.HighPriority);
    EXPECT_TRUE(s.ResponsiveWait);
    EXPECT_TRUE(s.ShowThumbnailsInTC);
    EXPECT_TRUE(s.CopyPngToClipboard);
    EXPECT_EQ(s.OpenWidth, 0);
    EXPECT_EQ(s.BackgroundColor, 0x00FFFFFFu);
    EXPECT_EQ(s.BackgroundColorDark, 0x00202020u);
    EXPECT_EQ(s.ImageBackgroundColor, FollowBackgroundColor);
    EXPECT_EQ(s.RSVGPath, "");
    EXPECT_EQ(s.ImageMagickPath, "");
    EXPECT_FALSE(s.UseInkscape);
  }
}

TEST_F(SettingsTest, IntegersAndTheOpenSizeClamp) {
  struct Case {
    const char* value;
    int32_t openWidth;
  } const kCases[] = {
      {"640", 640},    {"5", 0},         {"1", 0},           {"9", 0},          {"10", 10},
      {"20000", 10000}, {"10000", 10000}, {"10001", 10000},   {"-1", -1},        {"-50", -50},
      {"0x400", 1024}, {"0X400", 1024},  {"$400", 1024},     {"$ff", 255},      {"-$10", -16},
      {"+12", 12},     {"yes", 777},     {"", 777},          {"12px", 777},     {"0x", 777},
      {"$", 777},      {"1.5", 777},     {"--1", 777},       {"-+1", 777},      {"2147483648", 777},
      {"0x1FFFFFFFF", 777},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.value);
    TSettings before;
    before.OpenWidth = 777;  // what an earlier read left; kept when the value does not read
    EXPECT_EQ(Read(std::string("[Setup]\nOpenWidth=") + c.value + "\n", before).OpenWidth, c.openWidth);
  }
}

TEST_F(SettingsTest, ColoursAndBooleans) {
  const TSettings s = Read(
      "[Setup]\n"
      "BackgroundColor=$000000FF\n"
      "ImageBackgroundColor=0xFFFFFFFF\n"  // all 32 bits: hexadecimal wraps into the signed range
      "BackgroundColorDark=2105376\n"
      "ImageBackgroundColorDark=-2147483643\n"
      "HighPriority=0\n"
      "ResponsiveWait=0\n"
      "ShowLoadingTime=2\n"
      "BackgroundImage=-1\n"
      "CopyPngToClipboard=no\n"
      "DontResizeSmall=$1\n"
      "TimeOutSec=30\n");
  EXPECT_EQ(s.BackgroundColor, 0x000000FFu);
  EXPECT_EQ(s.ImageBackgroundColor, 0xFFFFFFFFu);
  EXPECT_EQ(s.BackgroundColorDark, 0x00202020u);
  EXPECT_EQ(s.ImageBackgroundColorDark, 0x80000005u);
  EXPECT_FALSE(s.HighPriority);
  EXPECT_FALSE(s.ResponsiveWait);
  EXPECT_TRUE(s.ShowLoadingTime);
  EXPECT_TRUE(s.BackgroundImage);
  EXPECT_TRUE(s.CopyPngToClipboard);  // not an integer: the default
  EXPECT_TRUE(s.DontResizeSmall);
  EXPECT_EQ(s.TimeOutSec, 30);
}

TEST_F(SettingsTest, FileIsFoundWhateverTheCaseOfSectionAndKeysAndWhateverItsEncoding) {
  const TSettings a = Read("[SETUP]\r\nopenwidth=800\r\nOPENHEIGHT=600\r\nusersvg=0\r\n");
  EXPECT_EQ(a.OpenWidth, 800);
  EXPECT_EQ(a.OpenHeight, 600);
  EXPECT_TRUE(a.UseImageMagick);
  std::string utf16 = "\xFF\xFE";
  for (char c : std::string("[setup]\r\nOpenWidth=0x100\r\n")) utf16 += std::string{c, '\0'};
  EXPECT_EQ(Read(utf16).OpenWidth, 256);
}

TEST_F(SettingsTest, RendererChoice) {
  const std::string inkscape = MakeFile("inkscape/inkscape.exe");
  struct Case {
    const char* name;
    std::string ini;
    bool useImageMagick, useInkscape;
  } const kCases[] = {
      {"defaults: rsvg-convert", "", false, false},
      {"UseRSVG=0: ImageMagick", "UseRSVG=0\n", true, false},
      {"a word is no integer: the default 1", "UseRSVG=yes\n", false, false},
      {"Inkscape present and chosen wins over ImageMagick",
       "UseRSVG=0\nInkscapePath=inkscape/inkscape.exe\nUseInkscape=1\n", false, true},
      {"Inkscape chosen but missing: UseRSVG decides", "UseRSVG=0\nInkscapePath=nothing/here.exe\nUseInkscape=1\n",
       true, false},
      {"Inkscape present, not chosen", "UseRSVG=0\nInkscapePath=" + inkscape + "\nUseInkscape=0\n", true, false},
      {"UseInkscape without InkscapePath is ignored", "UseInkscape=1\n", false, false},
      {"a folder is not a program", "InkscapePath=inkscape\nUseInkscape=1\n", false, false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const TSettings s = Read("[Setup]\n" + c.ini);
    EXPECT_EQ(s.UseImageMagick, c.useImageMagick);
    EXPECT_EQ(s.UseInkscape, c.useInkscape);
  }
  EXPECT_EQ(Read("[Setup]\nInkscapePath=inkscape/inkscape.exe\n").InkscapePath, inkscape);
}

TEST_F(SettingsTest, ImageMagickCandidates) {
  const std::string im64 = MakeFile("ImageMagick_x64/convert.exe");
  const std::string im32 = MakeFile("ImageMagick_x32/convert.exe");
  struct Case {
    const char* name;
    bool is64;
    std::string ini;
    std::string imageMagickPath;
  } const kCases[] = {
      {"64-bit key preferred", true, "ImageMagickPath64=ImageMagick_x64/convert.exe\nImageMagickPath=" + im32 + "\n",
       im64},
      {"64-bit key missing file: the other key", true,
       "ImageMagickPath64=gone/convert.exe\nImageMagickPath=ImageMagick_x32/convert.exe\n", im32},
      {"64-bit key missing file, no other key", true, "ImageMagickPath64=gone/convert.exe\n", ""},
      {"32-bit build ignores the 64-bit key", false,
       "ImageMagickPath64=ImageMagick_x64/convert.exe\nImageMagickPath=ImageMagick_x32/convert.exe\n", im32},
      {"32-bit build, missing file kept as configured", false, "ImageMagickPath=gone/convert.exe\n",
       Full("gone/convert.exe")},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    env_.Is64BitBuild = c.is64;
    const TSettings s = Read("[Setup]\n" + c.ini);
    EXPECT_EQ(s.ImageMagickPath, c.imageMagickPath);
    if (!c.is64) {
      EXPECT_EQ(s.ImageMagickPath64, "");
    }
  }
}

TEST_F(SettingsTest, RelativePathsResolveAgainstThePluginFolderWhichStaysCurrent) {
  const fs::path elsewhere = folder_ / "host-cwd";
  fs::create_directories(elsewhere);
  fs::current_path(elsewhere);  // the host's current directory is somewhere else
  const TSettings s = Read(
      "[Setup]\n"
      "RSVGPath=rsvg/rsvg-convert.exe\n"
      "InkscapePath=./bin/../ink/inkscape\n"
      "RSVGAdditionalCmd=--dpi-x 96\n");
  EXPECT_EQ(s.RSVGPath, Full("rsvg/rsvg-convert.exe"));
  EXPECT_EQ(s.InkscapePath, Full("ink/inkscape"));
  EXPECT_EQ(s.RSVGAdditionalCmd, "--dpi-x 96");  // commands are not paths
  EXPECT_EQ(fs::current_path(), fs::canonical(folder_));
  // Absolute paths are only normalised.
  EXPECT_EQ(Read("[Setup]\nRSVGPath=/opt/./rsvg/../bin/rsvg-convert\n").RSVGPath, "/opt/bin/rsvg-convert");
}

TEST_F(SettingsTest, ALaterReadKeepsCurrentValuesForMissingKeysExceptTheFixedOnes) {
  const std::string inkscape = MakeFile("ink/inkscape");
  const TSettings first = Read(
      "[Setup]\n"
      "UseRSVG=0\nUseRSVGHelper=0\nOpenWidth=800\nBackgroundColorDark=1\nRereadIni=1\nShowLoadingTime=0\n"
      "RSVGPath=r\nRSVGAdditionalCmd=-a\nImageMagicAdditionalCmd=-b\nInkscapePath=ink/inkscape\nUseInkscape=1\n");
  ASSERT_TRUE(first.UseInkscape);
  ASSERT_FALSE(first.UseImageMagick);

  // The user deletes every key, then a viewer window re-reads the file.
  const TSettings later = Read("[Setup]\nOpenHeight=oops\n", first);
  EXPECT_EQ(later.OpenWidth, 800);
  EXPECT_EQ(later.OpenHeight, first.OpenHeight);
  EXPECT_EQ(later.BackgroundColorDark, 1u);
  EXPECT_TRUE(later.RereadIni);
  EXPECT_FALSE(later.ShowLoadingTime);
  // Fixed defaults: back to the initial values.
  EXPECT_FALSE(later.UseImageMagick);
  EXPECT_TRUE(later.UseRSVGHelper);
  EXPECT_EQ(later.RSVGPath, "");
  EXPECT_EQ(later.RSVGAdditionalCmd, "");
  EXPECT_EQ(later.ImageMagicAdditionalCmd, "");
  EXPECT_EQ(later.InkscapePath, "");
  EXPECT_FALSE(later.UseInkscape);  // no InkscapePath any more: off, although it was on
}

TEST_F(SettingsTest, AnImageMagickThatExistsFromAnEarlierReadIsKept) {
  const std::string im = MakeFile("im/convert");
  env_.Is64BitBuild = false;
  const TSettings first = Read("[Setup]\nImageMagickPath=im/convert\n");
  ASSERT_EQ(first.ImageMagickPath, im);
  EXPECT_EQ(Read("[Setup]\nImageMagickPath=other/convert\n", first).ImageMagickPath, im);
  fs::remove(im);
  EXPECT_EQ(Read("[Setup]\nImageMagickPath=other/convert\n", first).ImageMagickPath, Full("other/convert"));
}

TEST_F(SettingsTest, ColourEntriesHaveTheirExactForms) {
  TSettings s;
  const std::vector<TIniEntry> initial = ColorSettingsEntries(s);
  ASSERT_EQ(initial.size(), 5u);
  const char* const kInitial[][2] = {{"BackgroundColor", "$00FFFFFF"},
                                     {"ImageBackgroundColor", "$20000000"},
                                     {"BackgroundColorDark", "2105376"},
                                     {"ImageBackgroundColorDark", "536870912"},
                                     {"BackgroundImage", "0"}};
  for (size_t i = 0; i < initial.size(); ++i) {
    EXPECT_EQ(initial[i].Key, kInitial[i][0]);
    EXPECT_EQ(initial[i].Value, kInitial[i][1]);
  }
  s.BackgroundColor = 0x00ABCDEF;
  s.BackgroundColorDark = 0xFF000010;  // top bit set: written signed so that it reads back
  s.BackgroundImage = true;
  const std::vector<TIniEntry> changed = ColorSettingsEntries(s);
  EXPECT_EQ(changed[0].Value, "$00ABCDEF");
  EXPECT_EQ(changed[2].Value, "-16777200");
  EXPECT_EQ(changed[4].Value, "1");
}

TEST_F(SettingsTest, SavedColoursReadBackAndTheRestOfTheFileStays) {
  {
    std::ofstream(IniFile()) << "; my settings\r\n[Setup]\r\nOpenWidth=640\r\nBackgroundColor=$00000000\r\n\r\n"
                                "[Mine]\r\nKeep=me\r\n";
  }
  TSettings chosen = Read(*ReadFileBytes(IniFile()));
  chosen.BackgroundColorDark = 0x00112233;  // the user picks a new dark background
  chosen.ImageBackgroundColor = 0x00445566;
  chosen.BackgroundImage = true;
  SaveColorSettings(chosen, IniFile());

  const std::string text = *ReadFileBytes(IniFile());
  EXPECT_NE(text.find("BackgroundColorDark=1122867\r\n"), std::string::npos);
  EXPECT_NE(text.find("BackgroundColor=$00000000\r\n"), std::string::npos);
  EXPECT_NE(text.find("; my settings\r\n"), std::string::npos);
  EXPECT_NE(text.find("[Mine]\r\nKeep=me\r\n"), std::string::npos);

  const TSettings back = Read(text);
  EXPECT_EQ(back.OpenWidth, 640);
  EXPECT_EQ(back.BackgroundColor, 0u);
  EXPECT_EQ(back.BackgroundColorDark, 0x00112233u);
  EXPECT_EQ(back.ImageBackgroundColor, 0x00445566u);
  EXPECT_EQ(back.ImageBackgroundColorDark, FollowBackgroundColor);
  EXPECT_TRUE(back.BackgroundImage);
}

TEST_F(SettingsTest, SavingCreatesAMissingFileAndSwallowsFailures) {
  TSettings s;
  s.BackgroundImage = true;
  SaveColorSettings(s, IniFile());
  EXPECT_TRUE(Read(*ReadFileBytes(IniFile())).BackgroundImage);

  // A folder that does not exist: nothing is written and nothing is thrown.
  EXPECT_NO_THROW(SaveColorSettings(s, Full("missing/folder/Pictara.ini")));
  EXPECT_FALSE(fs::exists(Full("missing")));
  EXPECT_TRUE(s.BackgroundImage);
}

TEST(ProcessWideSettings, ReadFromBesideTheProgram) {
  const std::string folder = SettingsFileName().substr(0, SettingsFileName().size() - 11);
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '/');
  EXPECT_EQ(SettingsFileName(), folder + "Pictara.ini");
  // The test program itself lies in that folder.
  EXPECT_TRUE(fs::exists(fs::path(folder) / "unit_settings"));
}

}  // namespace
}  // namespace pictara
