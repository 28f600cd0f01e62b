// The process runner and the file icon under Wine.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include "converters/support.h"
#include "platform/process.h"
#include "render/file_icon_win.h"

namespace pictara {
namespace {

using namespace testing_support;

class WineRunner : public PrivateTempTest {};

TEST_F(WineRunner, TimeLimitReturnsStillActiveAndNeverTerminates) {
  const std::string go = Folder() + "go";
  const std::string program = OwnCopyOf("slow-convert.exe");
  const std::wstring exe = Wide(ExtractFileName(program));
  EXPECT_EQ(RunAndWait(program, " --wait-for \"" + go + "\"", ProgramFolder() + "converters\\",
                       TShowMode::Hidden, true, 300),
            259);
  EXPECT_TRUE(ProcessRunning(exe.c_str()));
  ASSERT_TRUE(WriteFileBytes(go, ""));
  EXPECT_TRUE(WaitUntilGone(exe.c_str()));
  // With the way open, the same call runs to the end; no limit means waiting for it.
  EXPECT_EQ(RunAndWait(program, " --wait-for \"" + go + "\"", ProgramFolder(), TShowMode::Hidden,
                       false, 0),
            0);
  DeleteFileName(go);
}

TEST_F(WineRunner, ExitCodesAndFailureToStart) {
  const std::string converters = ProgramFolder() + "converters\\";
  EXPECT_EQ(RunAndWait(converters + "crash-convert.exe", "", converters, TShowMode::Hidden, true, 0),
            static_cast<int32_t>(0xC0000005));  // the access violation's code
  EXPECT_EQ(RunAndWait(converters + "missing.exe", "", converters, TShowMode::Hidden, true, 0), -1);
}

TEST_F(WineRunner, WorkingFolderIsTheOneGiven) {
  // The empty converter writes its "-o" file relative to the working folder.
  const std::string converters = ProgramFolder() + "converters\\";
  EXPECT_EQ(RunAndWait(converters + "empty-convert.exe", " -o here.txt", Folder(),
                       TShowMode::Hidden, false, 0),
            0);
  EXPECT_TRUE(FileExists(Folder() + "here.txt"));
  DeleteFileName(Folder() + "here.txt");
}

class WineFiles : public PrivateTempTest {};

TEST_F(WineFiles, TemporaryFolderInLongFormWithBackslash) {
  // TMP given in its short form: converters and our name checks must see one spelling.
  const std::string longFolder = Folder() + "a rather long folder name";
  ASSERT_TRUE(CreateDirectoryW(Wide(longFolder).c_str(), nullptr));
  const auto shortFolder = ShortPathName(longFolder, 260);
  ASSERT_TRUE(shortFolder.has_value());
  ASSERT_NE(*shortFolder, longFolder);
  wchar_t old[32768];
  const DWORD n = GetEnvironmentVariableW(L"TMP", old, 32768);
  SetEnvironmentVariableW(L"TMP", Wide(*shortFolder).c_str());
  EXPECT_EQ(TempFolder(), longFolder + "\\");
  SetEnvironmentVariableW(L"TMP", std::wstring(old, n).c_str());
  RemoveDirectoryW(Wide(longFolder).c_str());
}

TEST_F(WineFiles, ShortNameBufferAndReplacingMoves) {
  const std::string file = Folder() + "x.txt";
  const std::string other = Folder() + "y.txt";
  ASSERT_TRUE(WriteFileBytes(file, "new"));
  ASSERT_TRUE(WriteFileBytes(other, "old and longer"));
  const auto full = ShortPathName(file, 260);
  ASSERT_TRUE(full.has_value());
  EXPECT_EQ(ShortPathName(file, full->size() + 1), full);      // the terminator fits
  EXPECT_FALSE(ShortPathName(file, full->size()).has_value());  // it does not
  EXPECT_FALSE(ShortPathName(Folder() + "missing.txt", 260).has_value());
  EXPECT_TRUE(MoveFileOver(file, other));
  EXPECT_EQ(ReadFileBytes(other), "new");
  EXPECT_FALSE(PathExists(file));
  const auto entry = ReadFileEntry(other);
  ASSERT_TRUE(entry.has_value());
  EXPECT_EQ(entry->size, 3);
  EXPECT_TRUE(ReadFileEntry(Folder())->isFolder);
  EXPECT_TRUE(DeleteFileName(other));
}

TEST(WineFileIcon, ExistingFileOnly) {
  const std::string program = ProgramFolder() + "converters\\slow-convert.exe";
  EXPECT_NE(GetFileIcon(program, SHGFI_SMALLICON), nullptr);
  EXPECT_EQ(GetFileIcon(ProgramFolder() + "no such file.svg", SHGFI_SMALLICON), nullptr);
}

}  // namespace
}  // namespace pictara
