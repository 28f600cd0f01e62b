// "Convert File...": the save dialog's set-up, and rendering anew into the chosen file with the
// real converter (rsvg-convert on PATH).
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "platform/files.h"
#include "platform/image_codec.h"
#include "viewer/convert_file.h"

namespace pictara {
namespace {

namespace fs = std::filesystem;

TEST(ConvertFile, ProposedNameDefaultExtensionAndFilterFollowTheRenderer) {
  struct Case {
    const char* shown;
    const char* ext;
    const char* proposed;
  } const kNames[] = {
      {"drawing.svgz", "png", "drawing.png"},
      {"drawing.svgz", "bmp", "drawing.bmp"},
      {"/home/me/pics/drawing.svg", "png", "drawing.png"},
      {"/home/me/my.pics/archive.tar.svg", "png", "archive.tar.png"},
      {"/home/me/pics/noext", "bmp", "noext.bmp"},
  };
  for (const Case& c : kNames) {
    SCOPED_TRACE(c.shown);
    EXPECT_EQ(ProposedFileName(c.shown, c.ext), c.proposed);
  }
  const TSaveDialogSetup png = ConvertFileSaveSetup("/home/me/pics/drawing.svgz", false);
  EXPECT_EQ(png, (TSaveDialogSetup{"/home/me/pics/", "drawing.png", "png", "*.png|*.png", true, true, true}));
  const TSaveDialogSetup bmp = ConvertFileSaveSetup("/home/me/pics/drawing.svgz", true);
  EXPECT_EQ(bmp, (TSaveDialogSetup{"/home/me/pics/", "drawing.bmp", "bmp", "*.bmp|*.bmp", true, true, true}));
  EXPECT_EQ(ConvertFileFormatName(false), "PNG");
  EXPECT_EQ(ConvertFileFormatName(true), "BMP");
}

TEST(ConvertFile, SaveDialogFolderLosesTheLongNamePrefix) {
  struct Case {
    const char* name;
    const char* readable;
  } const kNames[] = {
      {R"(\\?\C:\deep\drawing.svg)", R"(C:\deep\drawing.svg)"},
      {R"(\\?\UNC\server\share\drawing.svg)", R"(\\server\share\drawing.svg)"},
      {R"(\\server\share\drawing.svg)", R"(\\server\share\drawing.svg)"},
      {R"(C:\pics\drawing.svg)", R"(C:\pics\drawing.svg)"},
      {R"(\\?\)", ""},
  };
  for (const Case& c : kNames) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RemoveLongPathPrefix(c.name), c.readable);
  }
}

class ConvertFileTo_ : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = (fs::temp_directory_path() / ("pictara-convert-file-" + std::to_string(getpid()))).string() + "/";
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // The real converter, with a note of what it was asked and which file it made.
  TConvertFunction Real() {
    return [this](const std::string& file, Size size, bool magick, bool helper, bool inkscape, bool dontEnlarge,
                  int32_t& w, int32_t& h) {
      asked = size;
      askedDontEnlarge = dontEnlarge;
      made = ConvertSvg(file, size, magick, helper, inkscape, dontEnlarge, w, h);
      return made;
    };
  }

  std::string dir_;
  Size asked;
  bool askedDontEnlarge = true;
  std::string made;
  const std::string drawing = std::string(PICTARA_FIXTURES) + "/viewer/half_transparent100x50.svg";
};

TEST_F(ConvertFileTo_, RendersEnlargedIntoTheBoxAndMovesTheFile) {
  const std::string target = dir_ + "big.jpg";  // the name keeps what the user typed
  ConvertFileTo(Real(), drawing, {3840, 2160}, TSettings{}, target);
  EXPECT_EQ(asked, (Size{3840, 2160}));
  EXPECT_FALSE(askedDontEnlarge);
  EXPECT_FALSE(FileExists(made)) << "the temporary file was moved";
  std::string error;
  const auto png = DecodePngFile(target, &error);
  ASSERT_TRUE(png) << "PNG content under a .jpg name: " << error;
  EXPECT_EQ(png->width, 3840);
  EXPECT_EQ(png->height, 1920);
}

TEST_F(ConvertFileTo_, NoFileFromTheConverterIsConvertErrorAndNoTarget) {
  const TConvertFunction fails = [](const std::string&, Size, bool, bool, bool, bool, int32_t&, int32_t&) {
    return std::string();
  };
  const TConvertFunction vanished = [this](const std::string&, Size, bool, bool, bool, bool, int32_t&, int32_t&) {
    return dir_ + "svg123.png";  // a name, but no file there
  };
  for (const TConvertFunction& convert : {fails, vanished}) {
    try {
      ConvertFileTo(convert, drawing, {100, 100}, TSettings{}, dir_ + "out.png");
      ADD_FAILURE() << "no error";
    } catch (const EConvertError& e) {
      EXPECT_STREQ(e.what(), "Convert Error");
    }
    EXPECT_FALSE(PathExists(dir_ + "out.png"));
  }
}

TEST_F(ConvertFileTo_, ATargetThatCannotBeReplacedStaysAndTheTemporaryFileGoes) {
  // A folder under the chosen name: the move fails, without a message.
  const std::string target = dir_ + "taken.png";
  fs::create_directories(target);
  ASSERT_TRUE(WriteFileBytes(target + "/keep", "mine"));
  ConvertFileTo(Real(), drawing, {200, 200}, TSettings{}, target);
  EXPECT_FALSE(made.empty());
  EXPECT_FALSE(PathExists(made)) << "temporary file left behind";
  EXPECT_EQ(ReadFileBytes(target + "/keep"), std::optional<std::string>("mine"));
}

}  // namespace
}  // namespace pictara
