// The process runner on Linux: argument splitting as a Windows program's start-up code does it,
// exit codes, working folder, time limit without killing.
#include "platform/process.h"

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include <gtest/gtest.h>

#include "platform/files.h"

namespace pictara {
namespace {

namespace fs = std::filesystem;

TEST(SplitCommandLineTail, FollowsWindowsRules) {
  struct Case {
    const char* tail;
    std::vector<std::string> expected;
  };
  const Case kCases[] = {
      {"", {}},
      {" \t ", {}},
      {" a.svg -o b.png", {"a.svg", "-o", "b.png"}},
      {" \"C:\\my files\\a b.svg\" -w 10", {"C:\\my files\\a b.svg", "-w", "10"}},
      {" -e=\"/tmp/x y.png\" -z", {"-e=/tmp/x y.png", "-z"}},  // quotes inside an argument
      {" a\\\\b c\\d", {"a\\\\b", "c\\d"}},                   // backslashes without quotes
      {" a\\\"b", {"a\"b"}},                                  // odd count: literal quote
      {" \"a\\\\\" b", {"a\\", "b"}},                          // even count: quote closes
      {" \"\" x", {"", "x"}},                                 // empty argument
      {" \"say \"\"hi\"\"\"", {"say \"hi\""}},                // doubled quote inside a group
      {" \"open ended", {"open ended"}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.tail);
    EXPECT_EQ(SplitCommandLineTail(c.tail), c.expected);
  }
}

class RunAndWaitTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("pictara_run_" + std::to_string(::getpid()) + "_" +
            testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Dir() const { return dir_.string() + "/"; }

  static std::string Read(const fs::path& file) {
    std::ifstream in(file);
    std::string text;
    std::getline(in, text);
    return text;
  }

  // Waits (bounded) for a file another process writes.
  static bool Appears(const fs::path& file) {
    for (int i = 0; i < 400 && !fs::exists(file); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return fs::exists(file);
  }

  fs::path dir_;
};

TEST_F(RunAndWaitTest, ReturnsExitCodeAndRunsInTheFolder) {
  EXPECT_EQ(RunAndWait("/bin/sh", " -c \"pwd > where.txt; exit 7\"", Dir(), TShowMode::Hidden,
                       true, 0),
            7);
  EXPECT_EQ(fs::path(Read(dir_ / "where.txt")), fs::canonical(dir_));
}

TEST_F(RunAndWaitTest, ArgumentsArriveAsSplit) {
  const std::string tail = " -c \"printf '%s|' \\\"$@\\\" > args.txt\" sh \"a b\" c\\d \"\"";
  EXPECT_EQ(RunAndWait("/bin/sh", tail, Dir(), TShowMode::Hidden, false, 5000), 0);
  EXPECT_EQ(Read(dir_ / "args.txt"), "a b|c\\d||");
}

TEST_F(RunAndWaitTest, MissingOrUnrunnableProgramGivesMinusOne) {
  const std::string notExecutable = Dir() + "plain.txt";
  ASSERT_TRUE(WriteFileBytes(notExecutable, "text"));
  for (const std::string& program : {Dir() + "missing", notExecutable, std::string()}) {
    SCOPED_TRACE(program);
    EXPECT_EQ(RunAndWait(program, "", Dir(), TShowMode::Hidden, true, 0), -1);
  }
}

TEST_F(RunAndWaitTest, TimeLimitLeavesTheProgramRunning) {
  // The child cannot finish before the test lets it, so the limit is sure to pass first.
  const std::string tail =
      " -c \"while [ ! -e go ]; do sleep 0.02; done; echo done > finished\"";
  EXPECT_EQ(RunAndWait("/bin/sh", tail, Dir(), TShowMode::Hidden, true, 100), kStillActive);
  EXPECT_FALSE(fs::exists(dir_ / "finished"));
  ASSERT_TRUE(WriteFileBytes(Dir() + "go", ""));
  EXPECT_TRUE(Appears(dir_ / "finished")) << "the program was stopped at the time limit";
}

TEST_F(RunAndWaitTest, NoLimitWaitsForTheEnd) {
  EXPECT_EQ(RunAndWait("/bin/sh", " -c \"sleep 0.3; echo done > finished; exit 3\"", Dir(),
                       TShowMode::Hidden, false, 0),
            3);
  EXPECT_TRUE(fs::exists(dir_ / "finished"));
}

TEST_F(RunAndWaitTest, SignalEndsWithCodeAbove128) {
  EXPECT_EQ(RunAndWait("/bin/sh", " -c \"kill -SEGV $$\"", Dir(), TShowMode::Hidden, false, 0),
            128 + 11);
}

}  // namespace
}  // namespace pictara
