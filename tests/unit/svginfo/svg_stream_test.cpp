// Opening drawings: plain, gzip and ZIP files (real ones, made by gzip and Info-ZIP zip, see
// tests/fixtures/svginfo/make_fixtures.sh), and damaged copies of them.
#include <gtest/gtest.h>
#include <zlib.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/files.h"
#include "svginfo/svg_info.h"
#include "svginfo/zip_reader.h"

namespace pictara {
namespace {

namespace fs = std::filesystem;

const std::string kFixtures = PICTARA_FIXTURES "/svginfo/";

std::string Fixture(const std::string& name) {
  auto bytes = ReadFileBytes(kFixtures + name);
  EXPECT_TRUE(bytes.has_value()) << name;
  return bytes.value_or("");
}

// A folder of its own for files a test writes; removed with everything in it.
class ScratchDir {
 public:
  ScratchDir() {
    static std::atomic<int> counter{0};
    path_ = fs::path(testing::TempDir()) /
            ("pictara_svginfo_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
    fs::create_directories(path_);
  }
  ~ScratchDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  std::string Write(const std::string& name, std::string_view bytes) const {
    const fs::path p = path_ / name;
    std::ofstream(p, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return p.string();
  }

 private:
  fs::path path_;
};

void Put32(std::string& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
}
uint32_t Get32(const std::string& b, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b[at + i]);
  return v;
}
size_t CentralDirectory(const std::string& zip) { return Get32(zip, zip.rfind("PK\x05\x06") + 16); }

TEST(OpenSvgStream, PlainGzipAndZipGiveTheSameInfo) {
  const std::string plain = Fixture("drawing.svg");
  TSVGInfo expected;
  ASSERT_TRUE(ReadSvgInfo(plain, expected));
  EXPECT_EQ(expected.Width, "100mm");
  EXPECT_EQ(expected.IntWidth, 378);

  for (const char* name : {"drawing.svg", "drawing.svgz", "zipped.svgz", "stored.svgz", "utf8-bom.svg",
                           "utf16le-bom.svg", "utf16be-bom.svg"}) {
    SCOPED_TRACE(name);
    const auto text = OpenSvgStream(kFixtures + name, 0);
    ASSERT_TRUE(text.has_value());
    TSVGInfo info;
    ASSERT_TRUE(ReadSvgInfo(*text, info));
    EXPECT_EQ(info.Width, expected.Width);
    EXPECT_EQ(info.Height, expected.Height);
    EXPECT_EQ(info.ViewBox, expected.ViewBox);
    EXPECT_EQ(info.IntWidth, expected.IntWidth);
    EXPECT_EQ(info.IntHeight, expected.IntHeight);
  }
  EXPECT_EQ(*OpenSvgStream(kFixtures + "drawing.svgz", 0), plain);
  EXPECT_EQ(*OpenSvgStream(kFixtures + "zipped.svgz", 0), plain);  // not the entry in the folder
}

TEST(OpenSvgStream, GivesNothingForWhatItCannotOrMayNotRead) {
  struct Case {
    const char* name;
    const char* why;
  } const kCases[] = {
      {"missing.svg", "no such file"},
      {"noentry.svgz", "ZIP without the drawing's entry"},
      {"encrypted.svgz", "encrypted entry"},
      {"bzip2.svgz", "compression method other than deflate"},
      {"zip64.svgz", "ZIP64 records"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.why);
    EXPECT_FALSE(OpenSvgStream(kFixtures + c.name, 0).has_value());
    EXPECT_FALSE(OpenSvgStream(kFixtures + c.name, 100).has_value());
  }
}

TEST(OpenSvgStream, MaxBytesCutsEveryKindOfFile) {
  const std::string plain = Fixture("drawing.svg");
  for (const char* name : {"drawing.svg", "drawing.svgz", "zipped.svgz", "stored.svgz"}) {
    SCOPED_TRACE(name);
    const auto text = OpenSvgStream(kFixtures + name, 100);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, plain.substr(0, 100));
    EXPECT_EQ(*OpenSvgStream(kFixtures + name, 100000), plain);
  }
}

TEST(OpenSvgStream, DamagedGzip) {
  const std::string gz = Fixture("drawing.svgz");
  ScratchDir dir;
  std::string flipped = gz;
  flipped[gz.size() - 6] ^= 0x55;  // the CRC in the trailer no longer matches
  std::string corrupt = gz;
  for (size_t i = 20; i < 40; ++i) corrupt[i] = '\xFF';
  const std::string truncated = gz.substr(0, gz.size() - 30);
  EXPECT_FALSE(OpenSvgStream(dir.Write("crc.svgz", flipped), 0).has_value());
  EXPECT_FALSE(OpenSvgStream(dir.Write("corrupt.svgz", corrupt), 0).has_value());
  EXPECT_FALSE(OpenSvgStream(dir.Write("truncated.svgz", truncated), 0).has_value());
  // The head of a cut file is still there for a reader that wants only the head.
  const auto head = OpenSvgStream(dir.Write("truncated2.svgz", truncated), 20);
  ASSERT_TRUE(head.has_value());
  EXPECT_EQ(*head, Fixture("drawing.svg").substr(0, 20));
}

// A gzip file of a few hundred kilobytes that claims 300 MiB of text. Made with zlib: one
// flushed deflate block of zeros repeated (each block after a full flush stands alone).
std::string GzipBomb() {
  z_stream z{};
  EXPECT_EQ(deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY), Z_OK);
  const std::string zeros(1 << 20, '\0');
  std::string block(1 << 16, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zeros.data()));
  z.avail_in = static_cast<uInt>(zeros.size());
  z.next_out = reinterpret_cast<Bytef*>(block.data());
  z.avail_out = static_cast<uInt>(block.size());
  EXPECT_EQ(deflate(&z, Z_FULL_FLUSH), Z_OK);
  block.resize(block.size() - z.avail_out);
  deflateEnd(&z);
  std::string gz("\x1F\x8B\x08\0\0\0\0\0\0\x03", 10);
  for (int i = 0; i < 300; ++i) gz += block;
  gz += std::string("\x03\x00", 2);  // an empty final block
  gz += std::string(8, '\0');        // trailer (never reached)
  return gz;
}

TEST(OpenSvgStream, DecompressionBombsAreCapped) {
  ScratchDir dir;
  const std::string file = dir.Write("bomb.svgz", GzipBomb());
  EXPECT_FALSE(OpenSvgStream(file, 0).has_value());
  const auto head = OpenSvgStream(file, 102400);  // the converter's head read is unaffected
  ASSERT_TRUE(head.has_value());
  EXPECT_EQ(head->size(), 102400u);

  // A ZIP entry that declares more than the cap is refused before any inflating.
  std::string zip = Fixture("stored.svgz");
  const size_t cd = CentralDirectory(zip);
  Put32(zip, cd + 20, 0x20000000);
  Put32(zip, cd + 24, 0x20000000);
  EXPECT_FALSE(OpenSvgStream(dir.Write("stored.svgz", zip), 0).has_value());
}

TEST(OpenSvgStream, DamagedZip) {
  const std::string zip = Fixture("zipped.svgz");
  const size_t cd = CentralDirectory(zip);
  const size_t entry = zip.find("PK\x01\x02", zip.find("PK\x01\x02", cd) + 4);  // the drawing
  ASSERT_NE(entry, std::string::npos);
  struct Case {
    const char* name;
    std::string bytes;
  };
  std::vector<Case> cases;
  auto patched = [&](const char* name, size_t at, uint32_t value) {
    std::string b = zip;
    Put32(b, at, value);
    cases.push_back({name, b});
  };
  patched("uncompressed size smaller than the data", entry + 24, 100);
  patched("uncompressed size larger than the data", entry + 24, 5000);
  patched("compressed size beyond the directory", entry + 20, 4000);
  patched("local header inside the directory", entry + 42, static_cast<uint32_t>(cd + 4));
  patched("local header beyond the file", entry + 42, 0x7FFFFFF0);
  patched("CRC wrong", entry + 16, 0x12345678);
  patched("directory beyond the end record", zip.rfind("PK\x05\x06") + 16, static_cast<uint32_t>(zip.size()));
  patched("directory size lies", zip.rfind("PK\x05\x06") + 12, 0xFFFF);
  patched("entry count lies", zip.rfind("PK\x05\x06") + 8, 0x00090009);
  {
    std::string b = zip;
    b[entry + 8] |= 1;  // the encryption flag
    cases.push_back({"encryption flag", b});
  }
  cases.push_back({"cut in the middle", zip.substr(0, zip.size() / 2)});
  cases.push_back({"cut in the end record", zip.substr(0, zip.size() - 10)});
  ScratchDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = dir.Write("zipped.svgz", c.bytes);
    EXPECT_FALSE(OpenSvgStream(file, 0).has_value());
    EXPECT_FALSE(ExtractSvgFromZip(c.bytes, "zipped.svgz").result == ZipSvgText::Result::Found);
  }
}

TEST(OpenSvgStream, TextThatHappensToStartWithPkIsPlainText) {
  ScratchDir dir;
  const std::string text = "PK is not an archive <svg/>";
  const auto got = OpenSvgStream(dir.Write("pk.svg", text), 0);
  ASSERT_TRUE(got.has_value());
  EXPECT_EQ(*got, text);
}

TEST(ZipReader, ListsEntriesAndFindsTheDrawingByName) {
  const std::string zip = Fixture("zipped.svgz");
  const ZipArchive archive(zip);
  ASSERT_EQ(archive.status(), ZipArchive::Status::Ok);
  ASSERT_EQ(archive.Entries().size(), 3u);
  EXPECT_EQ(archive.Entries()[0].name, "folder/zipped.svg");
  EXPECT_EQ(archive.Entries()[1].name, "ZIPPED.Svg");
  EXPECT_EQ(archive.Extract(archive.Entries()[2]).value_or(""), "not a drawing\n");
  EXPECT_TRUE(IsZipArchive(zip));
  EXPECT_FALSE(IsZipArchive(Fixture("drawing.svgz")));
  EXPECT_FALSE(IsZipArchive(Fixture("zip64.svgz")));

  struct Case {
    const char* fileName;
    ZipSvgText::Result result;
  } const kCases[] = {
      {"C:\\art\\zipped.svgz", ZipSvgText::Result::Found},
      {"/home/u/Zipped.zip", ZipSvgText::Result::Found},
      {"zipped", ZipSvgText::Result::Found},
      {"readme.svgz", ZipSvgText::Result::Missing},  // readme.txt is not readme.svg
      {"folder.svgz", ZipSvgText::Result::Missing},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.fileName);
    EXPECT_EQ(ExtractSvgFromZip(zip, c.fileName).result, c.result);
  }
  EXPECT_EQ(ExtractSvgFromZip("<svg/>", "x.svgz").result, ZipSvgText::Result::NotZip);
  EXPECT_EQ(SvgEntryNameFor("C:\\a.b\\logo.svgz"), "logo.svg");
  EXPECT_EQ(SvgEntryNameFor("/x/logo"), "logo.svg");
}

TEST(ZipReader, NamesWithoutTheUtf8FlagAreCodePage437) {
  // A ZIP written by a DOS-era tool: "Ä.svg" stored as 0x8E under code page 437.
  std::string zip = Fixture("stored.svgz");
  ScratchDir dir;
  std::string renamed = zip;
  for (size_t at = 0; (at = renamed.find("stored.svg", at)) != std::string::npos; at += 10)
    renamed.replace(at, 10, "\x8Etored.svg");
  const ZipArchive archive(renamed);
  ASSERT_EQ(archive.status(), ZipArchive::Status::Ok);
  EXPECT_EQ(archive.Entries()[0].name, "\xC3\x84tored.svg");
  EXPECT_EQ(ExtractSvgFromZip(renamed, "\xC3\xA4TORED.svgz").result, ZipSvgText::Result::Found);
}

}  // namespace
}  // namespace pictara
