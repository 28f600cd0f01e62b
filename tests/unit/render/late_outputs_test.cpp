// The list of converters left running after their time limit, and the program-kind rule that
// decides how a converter is started.
#include "render/late_outputs.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/load_trace.h"
#include "platform/process.h"

namespace pictara {
namespace {

class TFakeProcess : public TRunningProcess {
 public:
  explicit TFakeProcess(const bool& exited) : exited_(exited) {}
  bool HasExited() override { return exited_; }

 private:
  const bool& exited_;
};

TEST(LateOutputs, DeletedOnceTheProgramHasExitedNeverWhileItRuns) {
  TLateOutputs list;
  bool firstExited = false, secondExited = false;
  list.Add(std::make_unique<TFakeProcess>(firstExited), "svg1.png");
  list.Add(std::make_unique<TFakeProcess>(secondExited), "svg2.png");
  list.Add(nullptr, "svg3.png");  // nothing left running: nothing to remember
  std::vector<std::string> removed;
  auto remove = [&](const std::string& name) {
    removed.push_back(name);
    return true;
  };

  list.Sweep(remove);
  EXPECT_TRUE(removed.empty());
  EXPECT_EQ(list.Size(), 2u);

  secondExited = true;
  list.Sweep(remove);
  EXPECT_EQ(removed, std::vector<std::string>{"svg2.png"});
  EXPECT_EQ(list.Size(), 1u);

  firstExited = true;
  list.Sweep(remove, /*mayBlock=*/false);
  EXPECT_EQ(removed, (std::vector<std::string>{"svg2.png", "svg1.png"}));
  EXPECT_EQ(list.Size(), 0u);
  list.Sweep(remove);  // forgotten once handled: never deleted twice
  EXPECT_EQ(removed.size(), 2u);
}

// A file held open by some other process cannot be deleted yet: it stays on the list, also when
// its converter has exited, until a sweep gets it deleted.
TEST(LateOutputs, FilesThatCannotBeDeletedYetAreTriedAgain) {
  TLateOutputs list;
  bool exited = true;
  list.Add(std::make_unique<TFakeProcess>(exited), "svg1.png");
  list.AddUndeleted("svg2.png");
  bool held = true;
  std::vector<std::string> tried;
  auto remove = [&](const std::string& name) {
    tried.push_back(name);
    return !held;
  };
  list.Sweep(remove);
  list.Sweep(remove);
  EXPECT_EQ(tried, (std::vector<std::string>{"svg1.png", "svg2.png", "svg1.png", "svg2.png"}));
  EXPECT_EQ(list.Size(), 2u);
  held = false;
  list.Sweep(remove);
  EXPECT_EQ(list.Size(), 0u);
}

TEST(ProgramKind, OnlyExeAndComStartDirectly) {
  struct Case {
    const char* program;
    bool direct;
  };
  const Case kCases[] = {
      {"C:\\rsvg\\rsvg-convert.exe", true},
      {"C:\\ImageMagick\\CONVERT.EXE", true},
      {"C:\\tools\\render.Com", true},
      {"C:\\my files\\r.exe", true},
      {"C:\\tools\\render.bat", false},
      {"C:\\tools\\render.CMD", false},
      {"C:\\tools\\rsvg-convert", false},       // no extension: the shell decides
      {"C:\\drawings\\readme.txt", false},      // a document
      {"C:\\tools\\render.exe.lnk", false},
      {"C:\\tools.exe\\render", false},
      {"exe", false},
      {".exe", true},
      {"", false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.program);
    EXPECT_EQ(IsDirectlyStartable(c.program), c.direct);
  }
}

TEST(LoadTrace, TableSumsRepeatedPhasesAndShowsWhatNoPhaseCovers) {
  const std::string text = FormatLoadTrace(
      "load a.svg", {{"size read", 0.5}, {"converter run", 100}, {"size read", 0.25}}, 101.5);
  EXPECT_EQ(text,
            "Pictara load: load a.svg\n"
            "  size read: 0.75 ms\n"
            "  converter run: 100.00 ms\n"
            "  (other): 0.75 ms\n"
            "  total: 101.50 ms\n");
  EXPECT_EQ(LoadTraceFileFor("", "/tmp/"), "");
  EXPECT_EQ(LoadTraceFileFor("0", "/tmp/"), "");
  EXPECT_EQ(LoadTraceFileFor("1", "/tmp/"), "/tmp/Pictara-trace.txt");
  EXPECT_EQ(LoadTraceFileFor("C:\\logs\\load.txt", "/tmp/"), "C:\\logs\\load.txt");
}

TEST(LoadTrace, OnlyTheOutermostLoadOfAThreadCollectsAndWrites) {
  const std::string file = ::testing::TempDir() + "pictara_trace_" + std::to_string(::getpid()) + ".txt";
  ::unlink(file.c_str());
  {
    TLoadTrace off("nothing");  // variable unset: no collecting, no file
    TTraceScope phase("size read");
    EXPECT_FALSE(TLoadTrace::Active());
  }
  ::setenv("PICTARA_TRACE", file.c_str(), 1);
  {
    TLoadTrace viewer("viewer a.svg");
    { TTraceScope creation("window and control creation"); }
    {
      TLoadTrace load("load a.svg");  // the first load inside the window creation
      TTraceScope run("converter run");
    }
    EXPECT_TRUE(TLoadTrace::Active());
  }
  ::unsetenv("PICTARA_TRACE");
  EXPECT_FALSE(TLoadTrace::Active());
  const std::optional<std::string> text = ReadFileBytes(file);
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(text->find("Pictara load: viewer a.svg\n  window and control creation: "), 0u) << *text;
  EXPECT_NE(text->find("\n  converter run: "), std::string::npos);
  EXPECT_EQ(text->find("load a.svg"), std::string::npos);  // one table, written by the outermost
  ::unlink(file.c_str());
}

}  // namespace
}  // namespace pictara
