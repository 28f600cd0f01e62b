// Faults on demand through the real plug-in: converters that write harmful output or never end,
// temporary and plug-in folders that cannot be written, long and network names, files that go
// away or change under the viewer, and hostile drawings. Each must end in a clear failure by
// result (no message unless a command reports one), leave no file of ours behind, and leave the
// host able to go on.
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "testbed/hostile.h"
#include "testbed/testbed.h"
#include "viewer/viewer_form_win.h"

namespace tb = pictara::testbed;

namespace {

const std::wstring kSquare = tb::FixturePath("viewer/square100.svg");  // 100 x 100, #CC2200
const std::wstring kShapes = tb::FixturePath("viewer/shapes.svg");     // 320 x 200

#ifdef _WIN64
constexpr char kMagickKey[] = "ImageMagickPath64";
#else
constexpr char kMagickKey[] = "ImageMagickPath";
#endif

std::string Utf8(const std::wstring& w) { return tb::Narrow(w); }

// Files named like the plug-in's temporary files ("svg", digits, an extension) in the folder.
std::vector<std::wstring> FilesOfOurs(const std::wstring& folder) {
  std::vector<std::wstring> found;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"svg*.*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return found;
  do {
    const std::wstring name = data.cFileName;
    const size_t digits = name.find_first_not_of(L"0123456789", 3);
    if (digits > 3 && digits != std::wstring::npos && name[digits] == L'.') found.push_back(name);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return found;
}

std::vector<DWORD> ProcessesNamed(const std::wstring& exe) {
  std::vector<DWORD> ids;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return ids;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL ok = Process32FirstW(snap, &entry); ok; ok = Process32NextW(snap, &entry))
    if (_wcsicmp(entry.szExeFile, exe.c_str()) == 0) ids.push_back(entry.th32ProcessID);
  CloseHandle(snap);
  return ids;
}

// Ends the processes this test started under that (unique) program name, by their ids.
void EndProcesses(const std::wstring& exe) {
  for (DWORD id : ProcessesNamed(exe)) {
    if (HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {
      TerminateProcess(p, 1);
      WaitForSingleObject(p, 10000);
      CloseHandle(p);
    }
  }
}

bool WaitUntilGone(const std::wstring& exe) {
  for (int i = 0; i < 600 && !ProcessesNamed(exe).empty(); ++i) Sleep(50);
  return ProcessesNamed(exe).empty();
}

// The temporary folder of every test is its own (TMP/TEMP), checked for leftovers at the end.
class FaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    oldTmp_ = Var(L"TMP");
    oldTemp_ = Var(L"TEMP");
    temp_ = tb::NewTempFolder(L"pictara-faults-");
    UseTemp(temp_);
  }
  void TearDown() override {
    EXPECT_TRUE(FilesOfOurs(temp_).empty()) << "left behind: " << Utf8(FilesOfOurs(temp_).empty() ? L"" : FilesOfOurs(temp_)[0]);
    SetEnvironmentVariableW(L"TMP", oldTmp_.c_str());
    SetEnvironmentVariableW(L"TEMP", oldTemp_.c_str());
    tb::RemoveTree(temp_);
  }
  static void UseTemp(const std::wstring& folder) {
    SetEnvironmentVariableW(L"TMP", folder.c_str());
    SetEnvironmentVariableW(L"TEMP", folder.c_str());
  }
  static std::wstring Var(const wchar_t* name) {
    wchar_t value[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableW(name, value, MAX_PATH);
    return n < MAX_PATH ? value : L"";
  }
  static std::string RsvgKey() { return "RSVGPath=" + Utf8(tb::ProgramFolder()) + "rsvg\\rsvg-convert.exe\r\n"; }

  // The host goes on: a good drawing still shows through the plug-in beside the test.
  static void ExpectTheHostStillWorks() {
    tb::Plugin plugin;
    ASSERT_TRUE(plugin.Loaded()) << plugin.Problem();
    tb::ListerWindow lister({.file = kSquare});
    HWND viewer = plugin.ListLoadW(lister.Handle(), kSquare.c_str(), 0);
    EXPECT_NE(viewer, nullptr);
    if (viewer) plugin.ListCloseWindow(viewer);
  }

  std::wstring temp_, oldTmp_, oldTemp_;
};

TEST_F(FaultTest, HarmfulConverterOutputFailsQuietlyAndLeavesNothing) {
  struct Case {
    const char* name;
    const char* keys;  // how the fault converter is set up; %s is its path
    bool magick;
    bool hangs;
    bool holds;
  } const kCases[] = {
      {"truncated PNG", "RSVGAdditionalCmd=--write truncated-png\r\n", false, false, false},
      {"PNG claiming 100000 x 100000", "RSVGAdditionalCmd=--write huge-png\r\n", false, false, false},
      {"BMP with a lying header", "ImageMagicAdditionalCmd=--write lying-bmp\r\nUseRSVG=0\r\n", true, false, false},
      {"never exits", "RSVGAdditionalCmd=--hang\r\nTimeOutSec=1\r\n", false, true, false},
      {"a child keeps the output open", "RSVGAdditionalCmd=--hold-open 3000\r\n", false, false, true},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    // A copy of the converter under a name of its own, so that its processes are found by name.
    const std::wstring exe = L"fault-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                             std::to_wstring(&c - kCases) + L".exe";
    tb::TempFolder programs;
    const std::wstring converter = programs.Path() + exe;
    ASSERT_TRUE(CopyFileW((tb::ProgramFolder() + L"converters\\fault-convert.exe").c_str(), converter.c_str(), FALSE));
    std::string ini = "[Setup]\r\n" + std::string(c.keys) +
                      (c.magick ? std::string(kMagickKey) + "=" : std::string("RSVGPath=")) + Utf8(converter) + "\r\n";
    UseTemp(oldTmp_);  // the copy of the plug-in is made in the system's temporary folder
    auto copy = std::make_unique<tb::PluginCopy>(ini);
    UseTemp(temp_);
    {
      tb::Plugin plugin(copy->PluginPath());
      ASSERT_TRUE(plugin.Loaded()) << plugin.Problem();
      tb::MessageBoxWatcher boxes;
      tb::ListerWindow lister({.file = kShapes});
      HWND viewer = plugin.ListLoadW(lister.Handle(), kShapes.c_str(), 0);
      EXPECT_EQ(viewer, nullptr);
      EXPECT_TRUE(lister.Children().empty());
      EXPECT_EQ(plugin.ListGetPreviewBitmapW(kShapes.c_str(), 200, 200, nullptr, 0), nullptr);
      tb::PumpMessages();
      EXPECT_TRUE(boxes.Boxes().empty());
      if (c.hangs) {
        EXPECT_FALSE(ProcessesNamed(exe).empty()) << "the converter is left running, not ended";
        EndProcesses(exe);
      }
      // What could not be deleted while it was held open is deleted once it can be: by a later
      // conversion or, here, when the plug-in unloads.
      if (c.holds) { EXPECT_TRUE(WaitUntilGone(exe)); }
    }
    EXPECT_TRUE(WaitUntilGone(exe));
    EXPECT_TRUE(FilesOfOurs(temp_).empty()) << "after unloading";
    ExpectTheHostStillWorks();
    copy.reset();
  }
}

bool WriteBytes(const std::wstring& file, const std::string& bytes) {
  HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
  CloseHandle(h);
  return ok;
}

using pictara::testbed::ImageBoxOf;

std::wstring StatusOf(HWND viewer) {
  for (HWND w : tb::Descendants(viewer))
    if (tb::ClassOf(w) == L"PictaraPanel" && GetDlgCtrlID(w) == pictara::idPanInfo) return tb::TextOf(w);
  return L"<no status panel>";
}

void PressKey(HWND viewer, UINT key) { SendMessageW(ImageBoxOf(viewer), WM_KEYDOWN, key, 0); }

TEST_F(FaultTest, TemporaryFolderMissingOrUnwritableGivesNoPicture) {
  tb::Plugin plugin;
  ASSERT_TRUE(plugin.Loaded()) << plugin.Problem();
  // /proc cannot be written even by root, as which the tests may run (read-only attributes and
  // permissions would not hold then). A full folder is a small file system that the test script
  // mounts and fills (PICTARA_FULL_FOLDER): a name can still be made there, but no converter
  // output fits.
  std::vector<std::wstring> folders = {temp_ + L"missing\\", L"Z:\\proc\\"};
  const char* full = getenv("PICTARA_FULL_FOLDER");
  if (full && *full) folders.push_back(tb::UnixPathToWindows(full) + L"\\");
  else std::printf("note: PICTARA_FULL_FOLDER not set, no full temporary folder tried\n");
  for (const std::wstring& folder : folders) {
    SCOPED_TRACE(Utf8(folder));
    UseTemp(folder);
    tb::MessageBoxWatcher boxes;
    tb::ListerWindow lister({.file = kSquare});
    EXPECT_EQ(plugin.ListLoadW(lister.Handle(), kSquare.c_str(), 0), nullptr);
    EXPECT_EQ(plugin.ListGetPreviewBitmapW(kSquare.c_str(), 64, 64, nullptr, 0), nullptr);
    EXPECT_TRUE(lister.Children().empty());
    tb::PumpMessages();
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_TRUE(FilesOfOurs(folder).empty());
  }
  UseTemp(temp_);
  ExpectTheHostStillWorks();
}

TEST_F(FaultTest, FilesThatGoAwayOrChangeWhileShown) {
  tb::Plugin plugin;
  ASSERT_TRUE(plugin.Loaded()) << plugin.Problem();
  tb::TempFolder folder;
  const std::wstring a = folder.Path() + L"a.svg", b = folder.Path() + L"b.svg", c = folder.Path() + L"c.svg";
  for (const std::wstring* f : {&a, &b, &c}) ASSERT_TRUE(CopyFileW(kSquare.c_str(), f->c_str(), FALSE));
  tb::MessageBoxWatcher boxes;
  tb::ListerWindow lister({.file = a});
  HWND viewer = plugin.ListLoadW(lister.Handle(), a.c_str(), 0);
  ASSERT_NE(viewer, nullptr);
  PressKey(viewer, VK_SPACE);  // the folder is listed now
  EXPECT_EQ(lister.Caption(), L"Lister - [2/3, b.svg, " + b + L"]");
  // Deleted after the listing: skipped, and the count drops.
  ASSERT_TRUE(DeleteFileW(c.c_str()));
  PressKey(viewer, VK_SPACE);
  EXPECT_EQ(lister.Caption(), L"Lister - [1/2, a.svg, " + a + L"]");
  // The file shown changes: a reload that fails keeps the picture, one that works shows the new one.
  const std::wstring status = StatusOf(viewer);
  ASSERT_TRUE(WriteBytes(a, "<svg broken"));
  PressKey(viewer, 'E');
  EXPECT_EQ(StatusOf(viewer), status);
  ASSERT_TRUE(CopyFileW(kShapes.c_str(), a.c_str(), FALSE));
  PressKey(viewer, 'E');
  EXPECT_EQ(StatusOf(viewer).rfind(L"320 x 200", 0), 0u) << Utf8(StatusOf(viewer));
  // Gone altogether: the reload keeps the picture.
  ASSERT_TRUE(DeleteFileW(a.c_str()));
  PressKey(viewer, 'E');
  EXPECT_EQ(StatusOf(viewer).rfind(L"320 x 200", 0), 0u) << Utf8(StatusOf(viewer));
  tb::PumpMessages();
  EXPECT_TRUE(boxes.Boxes().empty());
  EXPECT_TRUE(IsWindow(viewer));
  plugin.ListCloseWindow(viewer);
}

// The colour and background choices are written back at once; when the settings file cannot be
// written (here it has become a folder: as root, which the tests may run as, read-only folders are
// still writable) the choice holds in memory and nothing is said.
TEST_F(FaultTest, SettingsThatCannotBeWrittenAreLeftQuietly) {
  UseTemp(oldTmp_);
  tb::PluginCopy copy("[Setup]\r\n" + RsvgKey());
  UseTemp(temp_);
  {
    tb::Plugin plugin(copy.PluginPath());
    ASSERT_TRUE(plugin.Loaded()) << plugin.Problem();
    const std::wstring ini = copy.Folder() + L"Pictara.ini";
    ASSERT_TRUE(DeleteFileW(ini.c_str()));
    ASSERT_TRUE(CreateDirectoryW(ini.c_str(), nullptr));
    tb::MessageBoxWatcher boxes;
    tb::ListerWindow lister({.file = kSquare});
    HWND viewer = plugin.ListLoadW(lister.Handle(), kSquare.c_str(), 0);
    ASSERT_NE(viewer, nullptr);
    for (int i = 0; i < 2; ++i) {
      BYTE state[256] = {};
      state[VK_CONTROL] = 0x80;
      SetKeyboardState(state);
      PressKey(viewer, 'B');  // background image on, then off: each choice is saved
      BYTE none[256] = {};
      SetKeyboardState(none);
    }
    tb::PumpMessages();
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_TRUE(IsWindow(viewer));
    EXPECT_EQ(plugin.ListLoadNextW(lister.Handle(), viewer, kShapes.c_str(), 0), 0);
    plugin.ListCloseWindow(viewer);
    RemoveDirectoryW(ini.c_str());
  }
}

// No path holds more than three copies of the largest raster: the peak working set grows by less
// than that over a load of a 4000 x 4000 drawing (64 MB a copy as 32-bit pixels), through the
// viewer and through a thumbnail of that size.
TEST_F(FaultTest, ABigRasterIsHeldInAtMostThreeCopies) {
  tb::TempFolder work;
  const std::wstring file = work.Path() + L"big.svg";
  ASSERT_TRUE(WriteBytes(file, "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"4000\" height=\"4000\">"
                               "<rect width=\"4000\" height=\"2000\" fill=\"#c20\" fill-opacity=\"0.5\"/></svg>"));
  UseTemp(oldTmp_);
  tb::PluginCopy copy("[Setup]\r\n" + RsvgKey() + "OpenWidth=0\r\nOpenHeight=0\r\n");
  UseTemp(temp_);
  tb::Plugin plugin(copy.PluginPath());
  ASSERT_TRUE(plugin.Loaded()) << plugin.Problem();
  const double copyMb = 4000.0 * 4000 * 4 / (1 << 20);
  auto peakMb = [] {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.PeakWorkingSetSize) / (1 << 20);
  };
  const double before = peakMb();
  HBITMAP thumbnail = plugin.ListGetPreviewBitmapW(file.c_str(), 4000, 4000, nullptr, 0);
  ASSERT_NE(thumbnail, nullptr);
  DeleteObject(thumbnail);
  const double afterThumbnail = peakMb();
  tb::ListerWindow lister({.file = file});
  HWND viewer = plugin.ListLoadW(lister.Handle(), file.c_str(), 0);
  ASSERT_NE(viewer, nullptr);
  tb::PumpMessages(300);
  tb::CaptureWindow(lister.Handle());
  const double afterViewer = peakMb();
  plugin.ListCloseWindow(viewer);
  std::printf("peak working set: %.0f MB at start, +%.0f MB over the thumbnail, +%.0f MB over the viewer "
              "(one copy of the raster: %.0f MB)\n",
              before, afterThumbnail - before, afterViewer - afterThumbnail, copyMb);
  if (before > 0) {  // a system that keeps no figure answers 0
    EXPECT_LT(afterThumbnail - before, 3 * copyMb);
    EXPECT_LT(afterViewer - before, 3 * copyMb);
  }
}

// A name of 300 characters goes to the converter under its long-name form.
TEST_F(FaultTest, NameOfThreeHundredCharacters) {
  tb::Plugin plugin;
  ASSERT_TRUE(plugin.Loaded()) << plugin.Problem();
  tb::TempFolder work;
  std::wstring folder = L"\\\\?\\" + work.Path();
  while (folder.size() < 300 - 4 - 30) {
    folder += std::wstring(40, L'd') + L"\\";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  }
  std::wstring file = folder + std::wstring(300 + 4 - folder.size() - 4, L'f') + L".svg";
  ASSERT_TRUE(CopyFileW(kSquare.c_str(), file.c_str(), FALSE));
  const std::wstring plain = file.substr(4);  // as the host passes it
  ASSERT_EQ(plain.size(), 300u);
  tb::ListerWindow lister({.file = plain});
  HWND viewer = plugin.ListLoadW(lister.Handle(), plain.c_str(), 0);
  EXPECT_NE(viewer, nullptr);
  if (viewer) {
    EXPECT_EQ(StatusOf(viewer).rfind(L"100 x 100", 0), 0u) << Utf8(StatusOf(viewer));
    plugin.ListCloseWindow(viewer);
  }
  HBITMAP thumbnail = plugin.ListGetPreviewBitmapW(plain.c_str(), 64, 64, nullptr, 0);
  EXPECT_NE(thumbnail, nullptr);
  if (thumbnail) DeleteObject(thumbnail);
  DeleteFileW(file.c_str());
  for (std::wstring f = folder; f.size() > 4 + work.Path().size(); f = f.substr(0, f.find_last_of(L'\\', f.size() - 2) + 1))
    RemoveDirectoryW(f.c_str());
}

// ---- Hostile drawings, made at test time ---------------------------------------------------------

using tb::Bomb;
using tb::Zip;
const char* const kHead = tb::kHostileHead;
const char* const kTail = tb::kHostileTail;

// Whatever the converter makes of them, hostile drawings never crash or hang the host, show no
// message and leave nothing behind; what our own readers refuse gives no picture at all.
TEST_F(FaultTest, HostileDrawingsThroughViewerNextFileAndThumbnail) {
  uLong crc = 0, size = 0;
  const std::string gzipBomb = Bomb(31, 64, crc, size);  // 64 MB of text from some 64 KB
  const std::string zipData = Bomb(-15, 64, crc, size);
  const uLong zipCrc = crc, zipSize = size;
  std::string nested = kHead;
  for (int i = 0; i < 100000; ++i) nested += "<g>";
  std::string longValue = std::string(kHead) + "<path d=\"M0 0";
  while (longValue.size() < 50u << 20) longValue += " L1 1";
  longValue += "\"/>" + std::string(kTail);
  const std::string laughs = tb::BillionLaughs();
  std::string utf16 = "\xFF\xFE";
  for (char c : std::string(kHead) + kTail) utf16 += std::string{c, '\0'};
  struct Case {
    const char* name;
    const wchar_t* file;
    std::string bytes;  // the file's content; a folder of that name when empty
    bool refused;       // our own reading refuses it: no picture
  } const kCases[] = {
      {"gzip bomb", L"bomb.svgz", gzipBomb, false},
      {"ZIP bomb", L"zipbomb.svgz", Zip("zipbomb.svg", zipData, zipCrc, zipSize), false},
      {"ZIP entry declaring 4 GB", L"four.svgz", Zip("four.svg", zipData, zipCrc, 0xFFFFFFF0u), true},
      {"ZIP entry with a lying size", L"small.svgz", Zip("small.svg", zipData, zipCrc, 1000), true},
      {"ZIP entry with a lying offset", L"offset.svgz", Zip("offset.svg", zipData, zipCrc, zipSize, 7), true},
      {"100000-deep nesting", L"nested.svg", nested, false},
      {"50 MB attribute value", L"long.svg", longValue, false},
      {"billion laughs", L"laughs.svg", laughs, false},
      {"UTF-16 of odd length", L"odd.svg", utf16 + "<", false},
      {"NUL bytes", L"nul.svg", std::string(300, '\0'), true},
      {"a folder", L"folder.svg", "", true},
  };
  tb::Plugin plugin;
  ASSERT_TRUE(plugin.Loaded()) << plugin.Problem();
  tb::TempFolder work;
  tb::ListerWindow lister({.file = kSquare});
  HWND viewer = plugin.ListLoadW(lister.Handle(), kSquare.c_str(), 0);
  ASSERT_NE(viewer, nullptr);
  tb::MessageBoxWatcher boxes;
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::wstring file = work.Path() + c.file;
    if (c.bytes.empty()) ASSERT_TRUE(CreateDirectoryW(file.c_str(), nullptr));
    else ASSERT_TRUE(WriteBytes(file, c.bytes));
    tb::ListerWindow other({.file = file});
    HWND shown = plugin.ListLoadW(other.Handle(), file.c_str(), 0);
    if (c.refused) { EXPECT_EQ(shown, nullptr); }
    if (shown) plugin.ListCloseWindow(shown);
    EXPECT_TRUE(other.Children().empty());
    HBITMAP thumbnail = plugin.ListGetPreviewBitmapW(file.c_str(), 64, 64, nullptr, 0);
    if (c.refused) { EXPECT_EQ(thumbnail, nullptr); }
    if (thumbnail) DeleteObject(thumbnail);
    const int next = plugin.ListLoadNextW(lister.Handle(), viewer, file.c_str(), 0);
    if (c.refused) { EXPECT_EQ(next, 1); }
    EXPECT_TRUE(IsWindow(viewer));
    EXPECT_TRUE(FilesOfOurs(temp_).empty());
    // Back to the good drawing: the viewer goes on.
    EXPECT_EQ(plugin.ListLoadNextW(lister.Handle(), viewer, kSquare.c_str(), 0), 0);
  }
  tb::PumpMessages();
  EXPECT_TRUE(boxes.Boxes().empty());
  plugin.ListCloseWindow(viewer);
}

}  // namespace
