// File services on Linux, beyond what the conversion tests already use.
#include "platform/files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

namespace pictara {
namespace {

namespace fs = std::filesystem;

TEST(FileNames, FolderNameAndExtension) {
  struct Case {
    const char* name;
    const char* path;
    const char* file;
    const char* ext;
  };
  constexpr Case kCases[] = {
      {"/tmp/a b/x.svgz", "/tmp/a b/", "x.svgz", ".svgz"},
      {"/tmp/dir.d/noext", "/tmp/dir.d/", "noext", ""},  // a dot in a folder is no extension
      {"plain.svg", "", "plain.svg", ".svg"},
      {"/tmp/", "/tmp/", "", ""},
      {"/a/archive.tar.gz", "/a/", "archive.tar.gz", ".gz"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ExtractFilePath(c.name), c.path);
    EXPECT_EQ(ExtractFileName(c.name), c.file);
    EXPECT_EQ(ExtractFileExt(c.name), c.ext);
  }
}

class FilesTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("pictara_files_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Name(const char* file) const { return (dir_ / file).string(); }
  fs::path dir_;
};

TEST_F(FilesTest, WriteCopyMoveDelete) {
  const std::string a = Name("a.txt"), b = Name("b.txt"), c = Name("c.txt");
  ASSERT_TRUE(WriteFileBytes(a, "first"));
  ASSERT_TRUE(WriteFileBytes(b, "older, longer content"));
  EXPECT_TRUE(CopyFileOver(a, b));  // replaces
  EXPECT_EQ(ReadFileBytes(b), "first");
  ASSERT_TRUE(WriteFileBytes(c, "to be replaced"));
  EXPECT_TRUE(MoveFileOver(a, c));
  EXPECT_FALSE(PathExists(a));
  EXPECT_EQ(ReadFileBytes(c), "first");
  EXPECT_FALSE(MoveFileOver(Name("missing"), c));
  EXPECT_EQ(ReadFileBytes(c), "first");
  EXPECT_TRUE(DeleteFileName(c));
  EXPECT_FALSE(DeleteFileName(c));
  EXPECT_FALSE(CopyFileOver(c, b));
  EXPECT_FALSE(WriteFileBytes(Name("no/such/folder.txt"), "x"));
}

TEST_F(FilesTest, EntriesOfFilesAndFolders) {
  ASSERT_TRUE(WriteFileBytes(Name("f"), "12345"));
  fs::create_directories(dir_ / "sub");
  const auto file = ReadFileEntry(Name("f"));
  ASSERT_TRUE(file.has_value());
  EXPECT_FALSE(file->isFolder);
  EXPECT_EQ(file->size, 5);
  const auto folder = ReadFileEntry(Name("sub"));
  ASSERT_TRUE(folder.has_value());
  EXPECT_TRUE(folder->isFolder);
  EXPECT_FALSE(ReadFileEntry(Name("none")).has_value());
  EXPECT_TRUE(FileExists(Name("f")));
  EXPECT_FALSE(FileExists(Name("sub")));  // a folder is no file
  EXPECT_TRUE(PathExists(Name("sub")));
  EXPECT_FALSE(DeleteFileName(Name("sub")));
  EXPECT_TRUE(fs::exists(dir_ / "sub"));
}

TEST_F(FilesTest, ShortNameIsTheNameWhenItFits) {
  const std::string f = Name("some file.svg");
  ASSERT_TRUE(WriteFileBytes(f, ""));
  EXPECT_EQ(ShortPathName(f, 260), f);
  EXPECT_EQ(ShortPathName(f, f.size() + 1), f);            // the terminator fits
  EXPECT_FALSE(ShortPathName(f, f.size()).has_value());   // it does not
  EXPECT_FALSE(ShortPathName(Name("missing.svg"), 260).has_value());
}

TEST_F(FilesTest, TemporaryFolderFollowsTmpdirAndEndsWithSeparator) {
  const char* old = std::getenv("TMPDIR");
  const std::string saved = old ? old : "";
  ::setenv("TMPDIR", dir_.c_str(), 1);
  EXPECT_EQ(TempFolder(), dir_.string() + "/");
  ::setenv("TMPDIR", (dir_.string() + "/").c_str(), 1);
  EXPECT_EQ(TempFolder(), dir_.string() + "/");
  ::unsetenv("TMPDIR");
  EXPECT_EQ(TempFolder(), "/tmp/");
  if (old) ::setenv("TMPDIR", saved.c_str(), 1);
}

TEST_F(FilesTest, ProgramsOnPath) {
  const std::string tool = Name("my-tool");
  ASSERT_TRUE(WriteFileBytes(tool, "#!/bin/sh\n"));
  const char* old = std::getenv("PATH");
  const std::string saved = old ? old : "";
  ::setenv("PATH", ("/nonexistent:" + dir_.string()).c_str(), 1);
  EXPECT_FALSE(FindProgramOnPath("my-tool").has_value());  // not executable yet
  ::chmod(tool.c_str(), 0755);
  EXPECT_EQ(FindProgramOnPath("my-tool"), tool);
  EXPECT_FALSE(FindProgramOnPath("no-such-tool").has_value());
  ::setenv("PATH", saved.c_str(), 1);
}

}  // namespace
}  // namespace pictara
