// Faults on demand through the real plug-in: converters that write harmful output or never end,
// temporary and plug-in folders that cannot be written, long and network names, files that go
// away or change under the viewer, and hostile drawings. Each must end in a clear failure by
// result (no message unless a command reports one), leave no file of ours behind, and leave the
// host able to go on.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "testbed/testbed.h"

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
      if (c.holds) EXPECT_TRUE(WaitUntilGone(exe));
    }
    EXPECT_TRUE(WaitUntilGone(exe));
    EXPECT_TRUE(FilesOfOurs(temp_).empty()) << "after unloading";
    ExpectTheHostStillWorks();
    copy.reset();
  }
}

}  // namespace
