// ConvertSvg with the real converters (Debian's rsvg-convert and ImageMagick convert), and with a
// few system services replaced where the system cannot show a case on demand: no short name, a
// failing copy, a temporary folder with a blank, long network names.
#include "render/convert.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <regex>
#include <set>

#include <gtest/gtest.h>

#include "render/temp_name.h"
#include "settings/settings.h"

namespace pictara {
namespace {

namespace fs = std::filesystem;

const std::string kFixtures = PICTARA_FIXTURES "/convert/";
const std::string kRsvg = "/usr/bin/rsvg-convert";
const std::string kMagick = "/usr/bin/convert";  // /usr/local/bin/convert is not ImageMagick here

// Width and height of a PNG or BMP file; (0, 0) when it is neither.
Size RasterSize(const std::string& name) {
  const auto bytes = ReadFileBytes(name, 64);
  if (!bytes || bytes->size() < 26) return {};
  auto u8 = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>((*bytes)[i])); };
  if (bytes->compare(0, 8, "\x89PNG\r\n\x1a\n") == 0) {
    auto be = [&](size_t i) { return static_cast<int32_t>(u8(i) << 24 | u8(i + 1) << 16 | u8(i + 2) << 8 | u8(i + 3)); };
    return {be(16), be(20)};
  }
  if (bytes->compare(0, 2, "BM") == 0) {
    auto le = [&](size_t i) { return static_cast<int32_t>(u8(i) | u8(i + 1) << 8 | u8(i + 2) << 16 | u8(i + 3) << 24); };
    return {le(18), std::abs(le(22))};
  }
  return {};
}

// The real system, watched: every run is recorded; single services can be replaced.
class TWatchedServices : public TConvertServices {
 public:
  struct Run {
    std::string program, parameters, directory;
    TShowMode showMode;
    bool highPriority;
    uint32_t timeoutMs;
  };
  std::vector<Run> runs;
  std::vector<std::pair<std::string, std::string>> copies;

  std::function<bool(const std::string&)> hasNoShortName = [](const std::string&) { return false; };
  std::string tempFolder;                // empty: the real one
  std::string pluginFolder;              // empty: the real one
  bool copyFails = false;
  bool writeFails = false;
  bool prefixLongNames = false;          // as on Windows
  std::map<std::string, std::string> copySources;  // names only this test knows -> real files
  bool runConverter = true;              // false: record only

  std::string LongName(const std::string& name) override {
    return prefixLongNames ? AddLongPathPrefix(name) : name;
  }
  std::string TempFolder() override {
    return tempFolder.empty() ? TConvertServices::TempFolder() : tempFolder;
  }
  std::string PluginFolder() override {
    return pluginFolder.empty() ? TConvertServices::PluginFolder() : pluginFolder;
  }
  std::optional<std::string> ShortPathName(const std::string& name, size_t bufferChars) override {
    EXPECT_EQ(bufferChars, 260u);
    if (hasNoShortName(name)) return std::nullopt;
    return TConvertServices::ShortPathName(name, bufferChars);
  }
  bool CopyFileOver(const std::string& from, const std::string& to) override {
    copies.emplace_back(from, to);
    if (copyFails) return false;
    const auto known = copySources.find(from);
    return TConvertServices::CopyFileOver(known == copySources.end() ? from : known->second, to);
  }
  bool WriteFileBytes(const std::string& name, std::string_view data) override {
    return !writeFails && TConvertServices::WriteFileBytes(name, data);
  }
  int32_t RunAndWait(const std::string& program, const std::string& parameters,
                     const std::string& directory, TShowMode showMode, bool highPriority,
                     uint32_t timeoutMs, TRunControl* control) override {
    runs.push_back({program, parameters, directory, showMode, highPriority, timeoutMs});
    if (!runConverter) return 0;
    return TConvertServices::RunAndWait(program, parameters, directory, showMode, highPriority,
                                        timeoutMs, control);
  }
};

// Every case runs with its own temporary folder and leaves no file of ours in it.
class ConvertTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("pictara_convert_" + std::to_string(::getpid()) + "_" +
            testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    tmp_ = dir_ / "tmp";
    work_ = dir_ / "work";
    fs::create_directories(tmp_);
    fs::create_directories(work_);
    if (const char* old = std::getenv("TMPDIR")) oldTmp_ = old;
    ::setenv("TMPDIR", tmp_.c_str(), 1);
    settings_.RSVGPath = kRsvg;
    settings_.ImageMagickPath = kMagick;
  }

  void TearDown() override {
    ExpectNoFilesOfOurs(tmp_);
    if (oldTmp_) ::setenv("TMPDIR", oldTmp_->c_str(), 1); else ::unsetenv("TMPDIR");
    fs::remove_all(dir_);
  }

  static void ExpectNoFilesOfOurs(const fs::path& folder) {
    static const std::regex ours(R"(svg[0-9]+\..*)");
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
      EXPECT_FALSE(std::regex_match(entry.path().filename().string(), ours))
          << "left behind: " << entry.path();
    }
  }

  std::string Tmp() const { return tmp_.string() + "/"; }
  std::string Work() const { return work_.string() + "/"; }

  // A converter script in the work folder.
  std::string Script(const std::string& name, const std::string& body) {
    const std::string file = Work() + name;
    EXPECT_TRUE(WriteFileBytes(file, "#!/bin/sh\n" + body + "\n"));
    ::chmod(file.c_str(), 0755);
    return file;
  }

  struct Result {
    std::string output;
    int32_t naturalWidth = -1, naturalHeight = -1;
    Size size;
  };

  Result Convert(const std::string& file, Size requested, bool useMagick = false,
                 bool useHelper = true, bool useInkscape = false, bool dontEnlarge = false) {
    Result r;
    r.output = ConvertSvg(file, requested, useMagick, useHelper, useInkscape, dontEnlarge,
                          r.naturalWidth, r.naturalHeight, settings_, services_);
    if (!r.output.empty()) {
      r.size = RasterSize(r.output);
      DeleteFileName(r.output);  // the caller owns the result
    }
    return r;
  }

  fs::path dir_, tmp_, work_;
  std::optional<std::string> oldTmp_;
  TSettings settings_;
  TWatchedServices services_;
};

TEST_F(ConvertTest, RenderSizeAndCommandLines) {
  struct Case {
    const char* name;
    const char* file;
    Size requested;
    bool magick, dontEnlarge;
    Size natural;
    const char* arguments;  // %in and %out stand for the two names
    Size output;
  };
  const Case kCases[] = {
      {"fits the box", "rect200x100.svg", {800, 800}, false, false, {200, 100},
       " %in -w 800 -h 400 -a -o %out", {800, 400}},
      {"not enlarged", "rect200x100.svg", {800, 800}, false, true, {200, 100},
       " %in -w 200 -h 100 -a -o %out", {200, 100}},
      {"shrunk despite don't-enlarge", "rect200x100.svg", {100, 100}, false, true, {200, 100},
       " %in -w 100 -h 50 -a -o %out", {100, 50}},
      {"huge declaration capped", "huge20000x10000.svg", {0, 0}, false, false, {20000, 10000},
       " %in -w 5000 -h 2500 -a -o %out", {5000, 2500}},
      {"no size, no box", "nosize.svg", {0, 0}, false, false, {0, 0}, " %in -o %out", {50, 30}},
      {"no size: the box is the render size", "nosize.svg", {640, 480}, false, false, {0, 0},
       " %in -w 640 -h 480 -a -o %out", {640, 384}},
      {"gzip passed unchanged", "gzipped.svgz", {0, 0}, false, false, {200, 100},
       " %in -w 200 -h 100 -a -o %out", {200, 100}},
      {"ImageMagick gets the box", "rect200x100.svg", {800, 800}, true, true, {200, 100},
       " -resize 800x800 %in %out", {800, 400}},
      {"ImageMagick without box", "rect200x100.svg", {0, 0}, true, false, {200, 100},
       " %in %out", {200, 100}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    services_.runs.clear();
    const std::string file = kFixtures + c.file;
    const Result r = Convert(file, c.requested, c.magick, true, false, c.dontEnlarge);
    ASSERT_FALSE(r.output.empty());
    EXPECT_EQ(r.naturalWidth, c.natural.width);
    EXPECT_EQ(r.naturalHeight, c.natural.height);
    EXPECT_EQ(r.size, c.output);
    EXPECT_TRUE(std::regex_match(r.output, std::regex(Tmp() + (c.magick ? R"(svg\d+\.bmp)" : R"(svg\d+\.png)"))))
        << r.output;
    ASSERT_EQ(services_.runs.size(), 1u);
    std::string expected = std::regex_replace(c.arguments, std::regex("%in"), file);
    expected = std::regex_replace(expected, std::regex("%out"), r.output);
    EXPECT_EQ(services_.runs[0].parameters, expected);
    EXPECT_EQ(services_.runs[0].program, c.magick ? kMagick : kRsvg);
    EXPECT_EQ(services_.runs[0].directory, "/usr/bin/");
    EXPECT_EQ(services_.runs[0].showMode, TShowMode::Hidden);
  }
}

TEST_F(ConvertTest, AdditionalArgumentsComeFirst) {
  settings_.RSVGAdditionalCmd = "-b white";
  settings_.ImageMagicAdditionalCmd = "-background none";
  const std::string file = kFixtures + "rect200x100.svg";
  const Result rsvg = Convert(file, {400, 400});
  const Result magick = Convert(file, {400, 400}, true);
  ASSERT_EQ(services_.runs.size(), 2u);
  EXPECT_EQ(services_.runs[0].parameters, " -b white " + file + " -w 400 -h 200 -a -o " + rsvg.output);
  EXPECT_EQ(services_.runs[1].parameters, " -background none -resize 400x400 " + file + " " + magick.output);
  EXPECT_EQ(rsvg.size, (Size{400, 200}));
  EXPECT_EQ(magick.size, (Size{400, 200}));
}

TEST_F(ConvertTest, ZipPackedDrawingIsUnpackedAndRemoved) {
  // The wanted entry differs in letter case and follows a decoy in a folder; the drawing it
  // holds is 300 x 150, the decoys 50 x 50.
  const Result r = Convert(kFixtures + "Packed.svgz", {0, 0});
  ASSERT_FALSE(r.output.empty());
  EXPECT_EQ(r.naturalWidth, 300);
  EXPECT_EQ(r.naturalHeight, 150);
  EXPECT_EQ(r.size, (Size{300, 150}));
  ASSERT_EQ(services_.runs.size(), 1u);
  const std::string input = SplitCommandLineTail(services_.runs[0].parameters).at(0);
  EXPECT_TRUE(std::regex_match(input, std::regex(Tmp() + R"(svg\d+\.svg)"))) << input;
  EXPECT_FALSE(PathExists(input));
}

TEST_F(ConvertTest, ZipWithoutTheEntryIsPassedAsItIs) {
  const std::string file = kFixtures + "NoEntry.svgz";
  const Result r = Convert(file, {0, 0});
  EXPECT_TRUE(r.output.empty());  // rsvg-convert cannot read a ZIP archive
  ASSERT_EQ(services_.runs.size(), 1u);
  EXPECT_EQ(SplitCommandLineTail(services_.runs[0].parameters).at(0), file);
}

TEST_F(ConvertTest, NameWithoutShortForm) {
  const std::string file = Work() + "with blank.svg";
  ASSERT_TRUE(CopyFileOver(kFixtures + "rect200x100.svg", file));
  services_.hasNoShortName = [&](const std::string& name) { return name == file; };
  struct Case {
    const char* name;
    bool magick, helper;
    bool copied;
  };
  const Case kCases[] = {
      {"rsvg-convert with helper works on a copy", false, true, true},
      {"rsvg-convert without helper gets the quoted name", false, false, false},
      {"ImageMagick never copies", true, true, false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    services_.runs.clear();
    services_.copies.clear();
    const Result r = Convert(file, {400, 400}, c.magick, c.helper);
    EXPECT_EQ(r.size, (Size{400, 200}));
    ASSERT_EQ(services_.runs.size(), 1u);
    const std::string input = SplitCommandLineTail(services_.runs[0].parameters).at(c.magick ? 2 : 0);
    if (c.copied) {
      ASSERT_EQ(services_.copies.size(), 1u);
      EXPECT_EQ(services_.copies[0].first, file);
      EXPECT_EQ(input, services_.copies[0].second);
      EXPECT_TRUE(std::regex_match(input, std::regex(Tmp() + R"(svg\d+\.svg)")));
      EXPECT_FALSE(PathExists(input)) << "the copy outlived the conversion";
    } else {
      EXPECT_TRUE(services_.copies.empty());
      EXPECT_EQ(input, file);
      EXPECT_NE(services_.runs[0].parameters.find("\"" + file + "\""), std::string::npos);
    }
  }
}

TEST_F(ConvertTest, TemporaryFolderWithBlankAndNoShortForm) {
  const std::string folder = Tmp() + "with blank/";
  fs::create_directories(folder);
  services_.tempFolder = folder;
  services_.hasNoShortName = [&](const std::string& name) { return name == folder; };
  int32_t w, h;
  const std::string output = ConvertSvg(kFixtures + "rect200x100.svg", {0, 0}, false, true, false,
                                        false, w, h, settings_, services_);
  ASSERT_FALSE(output.empty());
  EXPECT_EQ(output.front(), '/') << "the returned name is not quoted";
  EXPECT_EQ(ExtractFilePath(output), folder);
  ASSERT_EQ(services_.runs.size(), 1u);
  EXPECT_EQ(services_.runs[0].parameters.substr(services_.runs[0].parameters.rfind(" -o ")),
            " -o \"" + output + "\"");
  EXPECT_EQ(RasterSize(output), (Size{200, 100}));
  DeleteFileName(output);
  ExpectNoFilesOfOurs(folder);
}

TEST_F(ConvertTest, LongNetworkNameIsCopiedUnderItsUncForm) {
  // 300 characters, beginning with two backslashes: only a Windows system has such a name, so the
  // copy service maps it to the fixture.
  std::string unc = "\\\\server\\share\\" + std::string(281, 'd') + ".svg";
  ASSERT_EQ(unc.size(), 300u);
  const std::string prefixed = "\\\\?\\UNC\\" + unc.substr(2);
  services_.prefixLongNames = true;
  services_.copySources[prefixed] = kFixtures + "rect200x100.svg";
  std::vector<std::string> asked;
  services_.hasNoShortName = [&](const std::string& name) {
    asked.push_back(name);
    return false;
  };
  const Result r = Convert(unc, {0, 0});
  ASSERT_EQ(services_.copies.size(), 1u);
  EXPECT_EQ(services_.copies[0].first, prefixed);
  EXPECT_EQ(std::count(asked.begin(), asked.end(), prefixed), 0) << "a UNC name has no short form";
  ASSERT_EQ(services_.runs.size(), 1u);
  EXPECT_EQ(SplitCommandLineTail(services_.runs[0].parameters).at(0), services_.copies[0].second);
  EXPECT_EQ(r.size, (Size{200, 100}));  // the converter read the copy
}

TEST_F(ConvertTest, FailuresGiveEmptyResultAndNoLeftovers) {
  const std::string emptyWriter = Script("empty-writer", "for last; do :; done; : > \"$last\"");
  const std::string folderWriter = Script("folder-writer", "for last; do :; done; mkdir \"$last\"");
  struct Case {
    const char* name;
    std::string rsvgPath;
    bool copyFails;
    bool expectRun;
  };
  const Case kCases[] = {
      {"no program at the location", Work() + "missing/rsvg-convert", false, false},
      {"copy for rsvg-convert fails", kRsvg, true, false},
      {"zero-length output is deleted", emptyWriter, false, true},
      {"a folder as output does not count", folderWriter, false, true},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    services_.runs.clear();
    settings_.RSVGPath = c.rsvgPath;
    services_.copyFails = c.copyFails;
    // ZIP-packed, so there is also an unpacked drawing to clean up on every path.
    services_.hasNoShortName = [](const std::string&) { return true; };
    const Result r = Convert(kFixtures + "Packed.svgz", {100, 100});
    EXPECT_TRUE(r.output.empty());
    EXPECT_EQ(services_.runs.size(), c.expectRun ? 1u : 0u);
    // The folder made in place of the output is not ours to remove; clear it for the next row.
    for (const auto& e : fs::directory_iterator(tmp_))
      if (e.is_directory()) fs::remove_all(e.path());
    ExpectNoFilesOfOurs(tmp_);
  }
}

TEST_F(ConvertTest, UnpackFailureThrowsAfterCleaningUp) {
  services_.writeFails = true;
  int32_t w = 7, h = 7;
  EXPECT_THROW(ConvertSvg(kFixtures + "Packed.svgz", {0, 0}, false, true, false, false, w, h,
                          settings_, services_),
               std::runtime_error);
  EXPECT_TRUE(services_.runs.empty());
}

TEST_F(ConvertTest, ProgramChoice) {
  // Stand-in programs: only the choice and the run's parameters are looked at here.
  services_.runConverter = false;
  const std::string plugin = Work() + "plugin/";
  fs::create_directories(plugin + "rsvg");
  fs::create_directories(plugin + "ImageMagick_x64");
  const std::string besideRsvg = plugin + "rsvg/rsvg-convert";
  const std::string besideMagick = plugin + "ImageMagick_x64/convert";
  const std::string inkscape = Script("inkscape", "exit 0");
  services_.pluginFolder = plugin;
  struct Case {
    const char* name;
    bool magick, inkscape;
    std::string rsvgPath, magickPath;
    bool besideExists;
    std::string expected;  // empty: nothing run
  };
  const Case kCases[] = {
      {"ImageMagick setting names an existing file", true, false, "", kMagick, true, kMagick},
      {"ImageMagick setting missing: beside the plug-in", true, false, "", Work() + "nope", true, besideMagick},
      {"ImageMagick nowhere", true, false, "", Work() + "nope", false, ""},
      {"rsvg-convert setting wins", false, false, kRsvg, "", true, kRsvg},
      {"rsvg-convert setting missing: nothing run", false, false, Work() + "nope", "", true, ""},
      {"rsvg-convert beside the plug-in", false, false, "", "", true, besideRsvg},
      {"rsvg-convert from PATH", false, false, "", "", false, "rsvg-convert on PATH"},
      {"Inkscape replaces the choice", false, true, kRsvg, "", true, inkscape},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    services_.runs.clear();
    fs::remove(besideRsvg);
    fs::remove(besideMagick);
    if (c.besideExists) {
      WriteFileBytes(besideRsvg, "");
      WriteFileBytes(besideMagick, "");
    }
    settings_.RSVGPath = c.rsvgPath;
    settings_.ImageMagickPath = c.magickPath;
    settings_.InkscapePath = inkscape;
    Convert(kFixtures + "rect200x100.svg", {0, 0}, c.magick, true, c.inkscape);
    if (c.expected.empty()) {
      EXPECT_TRUE(services_.runs.empty());
      continue;
    }
    ASSERT_EQ(services_.runs.size(), 1u);
    const std::string expected =
        c.expected == "rsvg-convert on PATH" ? *FindProgramOnPath("rsvg-convert") : c.expected;
    EXPECT_EQ(services_.runs[0].program, expected);
    EXPECT_EQ(services_.runs[0].directory, ExtractFilePath(expected));
  }
}

TEST_F(ConvertTest, InkscapeCommandLines) {
  services_.runConverter = false;
  settings_.InkscapePath = Script("inkscape", "exit 0");
  settings_.RSVGAdditionalCmd = "--not-for-inkscape";
  const std::string file = kFixtures + "rect200x100.svg";
  const std::string noShort = Work() + "no short.svg";
  ASSERT_TRUE(CopyFileOver(file, noShort));
  services_.hasNoShortName = [&](const std::string& name) { return name == noShort; };
  struct Case {
    std::string file;
    Size requested;
    const char* arguments;
  };
  const Case kCases[] = {
      {file, {800, 800}, " %in -e=%out -w800 -h400 -z"},
      {file, {0, 0}, " %in -e=%out -z"},  // own size only when a box was asked for
      // No short form: passed in full (quoted) rather than as nothing; no copy.
      {noShort, {0, 0}, " \"%in\" -e=%out -z"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.file);
    services_.runs.clear();
    int32_t w, h;
    const std::string out = ConvertSvg(c.file, c.requested, false, true, true, false, w, h,
                                       settings_, services_);
    EXPECT_TRUE(out.empty());  // the stand-in writes nothing
    ASSERT_EQ(services_.runs.size(), 1u);
    std::string expected = std::regex_replace(c.arguments, std::regex("%in"), c.file);
    const std::string tail = services_.runs[0].parameters;
    const size_t e = tail.find("-e=") + 3;
    const std::string output = tail.substr(e, tail.find(' ', e) - e);
    EXPECT_TRUE(std::regex_match(output, std::regex(Tmp() + R"(svg\d+\.png)"))) << output;
    expected = std::regex_replace(expected, std::regex("%out"), output);
    EXPECT_EQ(tail, expected);
    EXPECT_TRUE(services_.copies.empty());
  }
}

TEST_F(ConvertTest, RunSettingsArePassedOn) {
  services_.runConverter = false;
  struct Case {
    int32_t timeOutSec;
    bool highPriority;
    uint32_t timeoutMs;
  };
  constexpr Case kCases[] = {
      {0, true, 0},
      {3, false, 3000},
      {-1, true, 4294966296u},  // formed in 32 bits: a very long, finite wait
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.timeOutSec);
    services_.runs.clear();
    settings_.TimeOutSec = c.timeOutSec;
    settings_.HighPriority = c.highPriority;
    Convert(kFixtures + "rect200x100.svg", {0, 0});
    ASSERT_EQ(services_.runs.size(), 1u);
    EXPECT_EQ(services_.runs[0].timeoutMs, c.timeoutMs);
    EXPECT_EQ(services_.runs[0].highPriority, c.highPriority);
  }
}

TEST(FitSize, KeepsAspectAndTruncates) {
  struct Case {
    Size size, box, expected;
  };
  constexpr Case kCases[] = {
      {{200, 100}, {800, 800}, {800, 400}},
      {{100, 200}, {800, 800}, {400, 800}},
      {{300, 100}, {100, 100}, {100, 33}},     // truncated toward zero
      {{400, 300}, {100, 50}, {66, 50}},       // wide, but the height limits
      {{300, 400}, {50, 100}, {50, 66}},       // tall, but the width limits
      {{100, 100}, {30, 20}, {20, 20}},
      {{20000, 10000}, {5000, 5000}, {5000, 2500}},
      {{0, 100}, {800, 800}, {0, 100}},        // not positive: unchanged
      {{-5, 10}, {800, 800}, {-5, 10}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.size.width << "x" << c.size.height << " in "
                                    << c.box.width << "x" << c.box.height);
    const Size got = FitSize(c.size, c.box);
    EXPECT_EQ(got.width, c.expected.width);
    EXPECT_EQ(got.height, c.expected.height);
  }
}

TEST(AddLongPathPrefix, OnlyLongNamesWithoutPrefix) {
  const std::string body(250, 'a');
  struct Case {
    std::string name, expected;
  };
  const Case kCases[] = {
      {"C:\\" + std::string(252, 'a'), "C:\\" + std::string(252, 'a')},            // 255: unchanged
      {"C:\\" + std::string(253, 'a'), "\\\\?\\C:\\" + std::string(253, 'a')},     // 256
      {"\\\\srv\\" + body, "\\\\?\\UNC\\srv\\" + body},
      {"\\\\?\\C:\\" + body, "\\\\?\\C:\\" + body},                                // already there
      {"C:\\" + std::string(120, 'a') + "\xc3\xa4" + std::string(131, 'a'),
       "C:\\" + std::string(120, 'a') + "\xc3\xa4" + std::string(131, 'a')},      // 255 UTF-16 units
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name.size());
    EXPECT_EQ(AddLongPathPrefix(c.name), c.expected);
  }
}

TEST(NewTempFileName, DrawsUntilTheNameIsFree) {
  std::vector<std::string> tried;
  const std::string name = NewTempFileName("/t/", ".png", [&](const std::string& n) {
    tried.push_back(n);
    return tried.size() < 3;
  });
  ASSERT_EQ(tried.size(), 3u);
  EXPECT_EQ(name, tried.back());
  for (const std::string& n : tried)
    EXPECT_TRUE(std::regex_match(n, std::regex(R"(/t/svg(0|[1-9][0-9]{0,5})\.png)"))) << n;
  for (int i = 0; i < 1000; ++i) EXPECT_LT(RandomBelow(999999), 999999u);
}

// The viewer builds its windows while its first converter runs: the work handed to the conversion
// runs once, after the converter has started and before it is waited for; work that fails ends
// the converter, leaves no file behind and passes its error on.
TEST_F(ConvertTest, WorkBesideTheConverterRunsWhileItRuns) {
  const std::string go = Work() + "go";
  // Writes its output only once the work has run (it waits for the file the work makes); a second
  // run of the work would find the file there already.
  settings_.RSVGPath = Script("waits-for-go", "while [ ! -e \"" + go +
                                                  "\" ]; do sleep 0.01; done; for last; do :; done; echo x > \"$last\"");
  int runs = 0;
  {
    TWhileConvertingScope meanwhile([&] {
      ++runs;
      EXPECT_TRUE(WriteFileBytes(go, "go"));
    });
    const Result r = Convert(kFixtures + "rect200x100.svg", {10, 10});
    EXPECT_FALSE(r.output.empty()) << "the converter saw the work done while it ran";
    meanwhile.RunNow();
    EXPECT_EQ(runs, 1);
  }
  {
    // No conversion (no program): the work is left for RunNow.
    settings_.RSVGPath = Work() + "missing";
    TWhileConvertingScope meanwhile([&] { ++runs; });
    EXPECT_TRUE(Convert(kFixtures + "rect200x100.svg", {10, 10}).output.empty());
    EXPECT_EQ(runs, 1);
    meanwhile.RunNow();
    EXPECT_EQ(runs, 2);
  }
  {
    DeleteFileName(go);
    settings_.RSVGPath = Script("waits-for-go", "while [ ! -e \"" + go + "\" ]; do sleep 0.01; done");
    TWhileConvertingScope meanwhile([] { throw std::runtime_error("no windows"); });
    int32_t w = 0, h = 0;
    EXPECT_THROW(ConvertSvg(kFixtures + "rect200x100.svg", {10, 10}, false, true, false, false, w, h, settings_, services_),
                 std::runtime_error)
        << "the converter, waiting for a file nobody makes, was ended rather than waited for";
    // TearDown checks that no file of ours is left.
  }
}

}  // namespace
}  // namespace pictara
