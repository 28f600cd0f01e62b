// The plug-in's ConvertSvg under Wine, with the converters where the plug-in looks for them: the
// real rsvg-convert and ImageMagick reached through the bridge programs, and converters that
// misbehave on purpose.
#include <windows.h>

#include <gtest/gtest.h>

#include "converters/support.h"
#include "render/convert.h"
#include "settings/settings.h"

namespace pictara {
namespace {

using namespace testing_support;

class WineConvert : public PrivateTempTest {
 protected:
  void SetUp() override {
    PrivateTempTest::SetUp();
    Settings() = TSettings();  // defaults: the converters beside the plug-in
  }

  struct Result {
    std::string output;
    int32_t naturalWidth = -1, naturalHeight = -1;
    Size size;
  };

  Result Convert(const std::string& file, Size requested, bool magick = false,
                 bool dontEnlarge = false, bool keep = false) {
    Result r;
    r.output = ConvertSvg(file, requested, magick, Settings().UseRSVGHelper, false, dontEnlarge,
                          r.naturalWidth, r.naturalHeight);
    if (!r.output.empty()) {
      r.size = RasterSize(r.output);
      if (!keep) {
        EXPECT_TRUE(DeleteFileName(r.output));  // the caller owns the result
      }
    }
    return r;
  }
};

TEST_F(WineConvert, RealConvertersBesideThePlugin) {
  struct Case {
    const char* name;
    const char* file;
    Size requested;
    bool magick, dontEnlarge;
    Size natural, output;
  };
  const Case kCases[] = {
      {"fits the box", "rect200x100.svg", {800, 800}, false, false, {200, 100}, {800, 400}},
      {"not enlarged", "rect200x100.svg", {800, 800}, false, true, {200, 100}, {200, 100}},
      {"huge declaration capped", "huge20000x10000.svg", {0, 0}, false, false, {20000, 10000}, {5000, 2500}},
      {"no size, no box", "nosize.svg", {0, 0}, false, false, {0, 0}, {50, 30}},
      {"gzip passed unchanged", "gzipped.svgz", {0, 0}, false, false, {200, 100}, {200, 100}},
      {"ZIP entry unpacked", "Packed.svgz", {0, 0}, false, false, {300, 150}, {300, 150}},
      {"ImageMagick gets the box", "rect200x100.svg", {800, 800}, true, true, {200, 100}, {800, 400}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const Result r = Convert(Fixtures() + c.file, c.requested, c.magick, c.dontEnlarge);
    ASSERT_FALSE(r.output.empty());
    EXPECT_EQ(r.naturalWidth, c.natural.width);
    EXPECT_EQ(r.naturalHeight, c.natural.height);
    EXPECT_EQ(r.size, c.output);
    EXPECT_EQ(ExtractFileExt(r.output), c.magick ? ".bmp" : ".png");
  }
}

TEST_F(WineConvert, NameWithBlanksAndNonAsciiLetters) {
  const std::string work = Folder() + "work dir\\";
  ASSERT_TRUE(CreateDirectoryW(Wide(work).c_str(), nullptr));
  const std::string file = work + "Zeichnung \xc3\xa4 \xe2\x82\xac.svg";
  ASSERT_TRUE(CopyFileOver(Fixtures() + "rect200x100.svg", file));
  // The converter is handed the short form, which has neither blanks nor letters outside ASCII.
  const auto shortName = ShortPathName(file, 260);
  ASSERT_TRUE(shortName.has_value());
  EXPECT_EQ(shortName->find(' '), std::string::npos) << *shortName;
  for (bool helper : {true, false}) {
    SCOPED_TRACE(helper);
    Settings().UseRSVGHelper = helper;
    const Result r = Convert(file, {400, 400});
    EXPECT_EQ(r.size, (Size{400, 200}));
  }
  DeleteFileName(file);
}

TEST_F(WineConvert, MisbehavingConverters) {
  struct Case {
    const char* name;
    const char* program;
  };
  constexpr Case kCases[] = {
      {"zero-length output is deleted", "empty-convert.exe"},
      {"crash leaves nothing", "crash-convert.exe"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Settings().RSVGPath = ProgramFolder() + "converters\\" + c.program;
    const Result r = Convert(Fixtures() + "rect200x100.svg", {100, 100});
    EXPECT_TRUE(r.output.empty());
  }
}

TEST_F(WineConvert, TimeLimitReturnsWhatExistsAndLeavesTheConverterRunning) {
  const std::string go = Folder() + "go";
  Settings().RSVGPath = OwnCopyOf("slow-convert.exe");
  const std::wstring exe = Wide(ExtractFileName(Settings().RSVGPath));
  Settings().RSVGAdditionalCmd = "--write-output --wait-for \"" + go + "\"";
  Settings().TimeOutSec = 1;
  const Result r = Convert(Fixtures() + "rect200x100.svg", {100, 100}, false, false, true);
  // The converter had written a non-empty file before the limit: that file is the result.
  EXPECT_FALSE(r.output.empty());
  EXPECT_TRUE(ProcessRunning(exe.c_str()));
  ASSERT_TRUE(WriteFileBytes(go, ""));
  EXPECT_TRUE(WaitUntilGone(exe.c_str()));
  if (!r.output.empty()) DeleteFileName(r.output);
  DeleteFileName(go);
}

TEST_F(WineConvert, MissingConverterRunsNothing) {
  Settings().RSVGPath = ProgramFolder() + "converters\\missing.exe";
  EXPECT_TRUE(Convert(Fixtures() + "rect200x100.svg", {0, 0}).output.empty());
  Settings() = TSettings();
  Settings().ImageMagickPath = ProgramFolder() + "converters\\missing.exe";
  // A missing ImageMagick setting falls back to the folder beside the plug-in.
  EXPECT_EQ(Convert(Fixtures() + "rect200x100.svg", {0, 0}, true).size, (Size{200, 100}));
}

}  // namespace
}  // namespace pictara
