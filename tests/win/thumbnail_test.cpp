// Thumbnails through the plug-in's real exports, rendered by the real converters (the bridges in
// bin/rsvg and bin/ImageMagick_* run the Linux programs).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "testbed/testbed.h"

namespace pictara {
namespace {

using testbed::Plugin;
using testbed::PluginCopy;

std::string Utf8(const std::wstring& w) { return testbed::Narrow(w); }

#ifdef _WIN64
constexpr wchar_t kMagickFolder[] = L"ImageMagick_x64";
constexpr char kMagickKey[] = "ImageMagickPath64";
#else
constexpr wchar_t kMagickFolder[] = L"ImageMagick_x32";
constexpr char kMagickKey[] = "ImageMagickPath";
#endif

// Conversions write into a temporary folder of their own, so that leftovers can be counted
// while other tests run.
class ThumbnailExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t old[MAX_PATH] = {};
    GetEnvironmentVariableW(L"TMP", old, MAX_PATH);
    oldTmp_ = old;
    GetEnvironmentVariableW(L"TEMP", old, MAX_PATH);
    oldTemp_ = old;
  }
  void TearDown() override { RestoreTemp(); }
  void RestoreTemp() {
    SetEnvironmentVariableW(L"TMP", oldTmp_.c_str());
    SetEnvironmentVariableW(L"TEMP", oldTemp_.c_str());
    if (!temp_.empty()) testbed::RemoveTree(temp_);
    temp_.clear();
  }
  // Call after any PluginCopy is made: from here on the system's temporary folder is ours.
  void UsePrivateTemp() {
    temp_ = testbed::NewTempFolder(L"pictara-thumbs-");
    SetEnvironmentVariableW(L"TMP", temp_.c_str());
    SetEnvironmentVariableW(L"TEMP", temp_.c_str());
  }
  int FilesInTemp() const {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((temp_ + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int n = 0;
    do {
      if (wcscmp(data.cFileName, L".") != 0 && wcscmp(data.cFileName, L"..") != 0) ++n;
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return n;
  }
  static std::string Ini(const std::string& keys) { return "[Setup]\r\n" + keys; }
  static std::string RsvgKey() { return "RSVGPath=" + Utf8(testbed::ProgramFolder()) + "rsvg\\rsvg-convert.exe\r\n"; }

  std::wstring temp_, oldTmp_, oldTemp_;
};

struct DibInfo {
  LONG width = 0, height = 0;
  WORD bitsPerPixel = 0;
  bool topLeftTransparent = false;
};

// Reads the section and frees it, as the host would after use.
DibInfo Inspect(HBITMAP bitmap) {
  DibInfo info;
  DIBSECTION dib{};
  if (GetObjectW(bitmap, sizeof(dib), &dib) == sizeof(dib)) {
    info.width = dib.dsBm.bmWidth;
    info.height = dib.dsBm.bmHeight;
    info.bitsPerPixel = dib.dsBm.bmBitsPixel;
    if (info.bitsPerPixel == 32 && dib.dsBm.bmBits) {
      // Top row first when the section is top-down (negative height in its header).
      const auto* bits = static_cast<const uint8_t*>(dib.dsBm.bmBits);
      const size_t top = dib.dsBmih.biHeight < 0 ? 0 : static_cast<size_t>(info.height - 1) * dib.dsBm.bmWidthBytes;
      info.topLeftTransparent = bits[top + 3] == 0;
    }
  }
  DeleteObject(bitmap);
  return info;
}

TEST_F(ThumbnailExportTest, DrawingFittedIntoTheRequestedBox) {
  Plugin plugin;
  ASSERT_TRUE(plugin.Loaded()) << plugin.Problem();
  UsePrivateTemp();
  const std::wstring file = testbed::FixturePath("raster/wide_1000x500.svg");
  HBITMAP wide = plugin.ListGetPreviewBitmapW(file.c_str(), 200, 200, nullptr, 0);
  ASSERT_NE(wide, nullptr);
  DibInfo info = Inspect(wide);
  EXPECT_EQ(info.width, 200);
  EXPECT_EQ(info.height, 100);
  EXPECT_EQ(info.bitsPerPixel, 32);  // rsvg-convert's PNG has alpha
  EXPECT_TRUE(info.topLeftTransparent);
  // The 8-bit entry converts the name and takes the same path.
  HBITMAP ansi = plugin.ListGetPreviewBitmap(Utf8(file).c_str(), 200, 200, nullptr, 0);
  ASSERT_NE(ansi, nullptr);
  EXPECT_EQ(Inspect(ansi).width, 200);
  EXPECT_EQ(FilesInTemp(), 0);
}

TEST_F(ThumbnailExportTest, SettingsDecideSizeRendererAndWhetherAtAll) {
  struct Case {
    const char* name;
    std::string keys;
    int request;
    bool expected;
    LONG width, height;
  };
  // "UseRSVG=0" is the switch to ImageMagick.
  const std::string magick = "UseRSVG=0\r\n" + std::string(kMagickKey) + "=" + Utf8(testbed::ProgramFolder()) +
                             Utf8(kMagickFolder) + "\\convert.exe\r\n";
  const Case kCases[] = {
      {"small drawing not enlarged", RsvgKey() + "DontResizeSmallThumbnail=1\r\n", 2000, true, 1000, 500},
      {"small drawing enlarged", RsvgKey(), 2000, true, 2000, 1000},
      {"thumbnails switched off", RsvgKey() + "ShowThumbnailsInTC=0\r\n", 200, false, 0, 0},
      {"ImageMagick bitmap as written", magick, 200, true, 200, 100},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    PluginCopy copy(Ini(c.keys));
    auto plugin = std::make_unique<Plugin>(copy.PluginPath());
    ASSERT_TRUE(plugin->Loaded()) << plugin->Problem();
    UsePrivateTemp();
    const std::wstring file = testbed::FixturePath("raster/wide_1000x500.svg");
    HBITMAP bitmap = plugin->ListGetPreviewBitmapW(file.c_str(), c.request, c.request, nullptr, 0);
    ASSERT_EQ(bitmap != nullptr, c.expected);
    if (bitmap) {
      DibInfo info = Inspect(bitmap);
      EXPECT_EQ(info.width, c.width);
      EXPECT_EQ(info.height, c.height);
    }
    EXPECT_EQ(FilesInTemp(), 0);
    plugin.reset();
    RestoreTemp();  // before the next copy of the plug-in is made
  }
}

TEST_F(ThumbnailExportTest, NothingAndNoLeftoversWhenTheConverterFails) {
  Plugin plugin;
  ASSERT_TRUE(plugin.Loaded()) << plugin.Problem();
  UsePrivateTemp();
  for (const char* name : {"raster/unrenderable.svg", "raster/no-such-file.svg"}) {
    SCOPED_TRACE(name);
    const std::wstring file = testbed::FixturePath(name);
    EXPECT_EQ(plugin.ListGetPreviewBitmapW(file.c_str(), 200, 200, nullptr, 0), nullptr);
  }
  EXPECT_EQ(FilesInTemp(), 0);
}

}  // namespace
}  // namespace pictara
