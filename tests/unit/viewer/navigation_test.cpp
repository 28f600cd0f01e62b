#include "viewer/navigation.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <stdexcept>

#include "platform/dir_list.h"

namespace pictara {
namespace {

namespace fs = std::filesystem;

TEST(IsSvgFileName, ByTheLastExtensionOfTheFilePart) {
  struct Case {
    const char* name;
    bool svg;
  } const kCases[] = {
      {"a.svg", true},       {"x.SVG", true},       {"c.svgz", true},         {"C.SvgZ", true},
      {"/d/e.f/x.svg", true}, {".svg", true},        {"x.svg.bak", false},     {"x.svgzz", false},
      {"x.sv", false},       {"svg", false},        {"/d/a.svg/file", false}, {"d.txt", false},
      {"", false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IsSvgFileName(c.name), c.svg);
  }
}

// A real folder: a.svg, B.svg, c.svgz, d.txt and a subfolder whose name looks like a drawing.
class NavigationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = (fs::temp_directory_path() / ("pictara-nav-" + std::to_string(getpid()) + "-" + info->name())).string() + "/";
    fs::remove_all(folder_);
    fs::create_directories(folder_ + "sub.svg");
    for (const char* name : {"a.svg", "B.svg", "c.svgz", "d.txt"}) Touch(name);
  }
  void TearDown() override { fs::remove_all(folder_); }

  void Touch(const std::string& name) { std::ofstream(folder_ + name) << "<svg/>"; }

  // Runs one press; `broken` files fail to load. Returns the file shown afterwards.
  TNavigationResult Press(TNavigationStep step, const std::string& shown) {
    return NavigateFolder(files_, index_, step, shown, source_, [&](const std::string& name) {
      loads_.push_back(name.substr(folder_.size()));
      if (throwing_.count(loads_.back())) throw std::runtime_error("damaged raster");
      if (broken_.count(loads_.back())) return false;
      shown_ = name;
      return true;
    });
  }
  // Presses starting from the shown file, as the viewer does (the list is built from it once).
  std::string Walk(TNavigationStep step) {
    EXPECT_EQ(Press(step, shown_), TNavigationResult::Loaded);
    return shown_.substr(folder_.size());
  }
  std::vector<std::string> ListedNames() const {
    std::vector<std::string> names;
    for (const std::string& f : *files_) names.push_back(f.substr(folder_.size()));
    return names;
  }

  std::string folder_;
  TFolderSource source_ = TFolderSource::System();
  std::optional<std::vector<std::string>> files_;
  int32_t index_ = 0;
  std::string shown_;
  std::vector<std::string> loads_;
  std::set<std::string> broken_, throwing_;
};

TEST_F(NavigationTest, ListIsBuiltOnceSortedAndWrapsBothWays) {
  shown_ = folder_ + "B.svg";
  EXPECT_EQ(Walk(TNavigationStep::Next), "c.svgz");
  EXPECT_EQ(ListedNames(), (std::vector<std::string>{"a.svg", "B.svg", "c.svgz"}));
  EXPECT_EQ(index_, 2);
  Touch("b2.svg");  // a file added later is not seen: the list is filled once
  EXPECT_EQ(Walk(TNavigationStep::Next), "a.svg");
  EXPECT_EQ(index_, 0);
  EXPECT_EQ(Walk(TNavigationStep::Previous), "c.svgz");
  EXPECT_EQ(Walk(TNavigationStep::Previous), "B.svg");
  EXPECT_EQ(files_->size(), 3u);
}

TEST_F(NavigationTest, ShownFileMissingFromTheList) {
  // The shown name differs in case from the directory entry, so it is not found.
  for (const auto& [step, expected] : {std::pair{TNavigationStep::Next, "a.svg"}, std::pair{TNavigationStep::Previous, "c.svgz"}}) {
    files_.reset();
    shown_ = folder_ + "b.SVG";
    EXPECT_EQ(Walk(step), expected);
  }
}

TEST_F(NavigationTest, BrokenFileIsSkippedInTheSameDirectionAndNotOfferedAgain) {
  Touch("b.svg");  // a.svg, b.svg (broken), B.svg, c.svgz
  broken_ = {"b.svg"};
  shown_ = folder_ + "a.svg";
  EXPECT_EQ(Walk(TNavigationStep::Next), "B.svg");
  EXPECT_EQ(ListedNames(), (std::vector<std::string>{"a.svg", "B.svg", "c.svgz"}));
  EXPECT_EQ(index_, 1);
  EXPECT_EQ(Walk(TNavigationStep::Previous), "a.svg");
  EXPECT_EQ(loads_, (std::vector<std::string>{"b.svg", "B.svg", "a.svg"}));

  // Backward over a broken file, and a load that raises counts as broken too.
  files_.reset();
  loads_.clear();
  throwing_ = {"B.svg"};
  broken_.clear();
  shown_ = folder_ + "c.svgz";
  EXPECT_EQ(Walk(TNavigationStep::Previous), "b.svg");
  EXPECT_EQ(ListedNames(), (std::vector<std::string>{"a.svg", "b.svg", "c.svgz"}));
  EXPECT_EQ(Walk(TNavigationStep::Next), "c.svgz");
  EXPECT_EQ(Walk(TNavigationStep::Next), "a.svg");  // wraps past the end after a drop
}

TEST_F(NavigationTest, DroppingTheLastEntryForwardWrapsToTheFirst) {
  broken_ = {"c.svgz"};
  shown_ = folder_ + "B.svg";
  EXPECT_EQ(Walk(TNavigationStep::Next), "a.svg");
  EXPECT_EQ(index_, 0);
}

TEST_F(NavigationTest, ButtonsGoWhenOneFileOrNoneIsLeft) {
  struct Case {
    const char* name;
    std::vector<std::string> keep;  // SVG files left in the folder
    std::set<std::string> broken;
    size_t loads;
  } const kCases[] = {
      {"only the shown file", {"a.svg"}, {}, 0},
      {"no SVG file found at all", {}, {}, 0},
      {"the other file is broken", {"a.svg", "B.svg"}, {"B.svg"}, 1},
      {"every other file broken", {"a.svg", "B.svg", "c.svgz"}, {"B.svg", "c.svgz"}, 2},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    for (const char* name : {"a.svg", "B.svg", "c.svgz"}) {
      if (std::find(c.keep.begin(), c.keep.end(), name) == c.keep.end()) fs::remove(folder_ + name);
    }
    files_.reset();
    loads_.clear();
    broken_ = c.broken;
    shown_ = folder_ + "a.svg";
    EXPECT_EQ(Press(TNavigationStep::Next, shown_), TNavigationResult::ButtonsHidden);
    EXPECT_EQ(loads_.size(), c.loads);
    EXPECT_EQ(shown_, folder_ + "a.svg");  // the viewer keeps its picture
    ASSERT_TRUE(files_.has_value());
    EXPECT_TRUE(files_->empty());
    // For good: later presses neither list the folder again nor load anything.
    Touch("z.svg");
    EXPECT_EQ(Press(TNavigationStep::Previous, shown_), TNavigationResult::ButtonsHidden);
    EXPECT_EQ(loads_.size(), c.loads);
    fs::remove(folder_ + "z.svg");
    for (const char* name : {"a.svg", "B.svg", "c.svgz"}) Touch(name);
  }
}

TEST_F(NavigationTest, ListingFailureLeavesAnEmptyListAndTheNextPressHidesTheButtons) {
  shown_ = folder_ + "gone/a.svg";
  EXPECT_THROW(Press(TNavigationStep::Next, shown_), std::runtime_error);
  ASSERT_TRUE(files_.has_value());
  EXPECT_TRUE(files_->empty());
  EXPECT_EQ(Press(TNavigationStep::Next, shown_), TNavigationResult::ButtonsHidden);
  EXPECT_TRUE(loads_.empty());
}

TEST_F(NavigationTest, ShowingTheCurrentEntryAgain) {
  shown_ = folder_ + "B.svg";
  EXPECT_EQ(Walk(TNavigationStep::None), "B.svg");
  // With no current entry nothing is loaded and nothing is read outside the list.
  index_ = -1;
  EXPECT_EQ(Press(TNavigationStep::None, shown_), TNavigationResult::Unchanged);
  broken_ = {"c.svgz"};
  index_ = 2;
  EXPECT_EQ(Press(TNavigationStep::None, shown_), TNavigationResult::Unchanged);
  EXPECT_EQ(ListedNames(), (std::vector<std::string>{"a.svg", "B.svg"}));
}

TEST(FolderListing, FilesOnlyWithHiddenOnesAndTheLocaleOrderWithCase) {
  const std::string folder =
      (fs::temp_directory_path() / ("pictara-list-" + std::to_string(getpid()))).string() + "/";
  fs::remove_all(folder);
  fs::create_directories(folder + "inner.svg");
  for (const char* name : {".hidden.svg", "B.svg", "b.svg", "A.svg", "a.svg", "x.svg.bak"}) {
    std::ofstream(folder + name) << "x";
  }
  std::vector<std::string> names = ListFolderFiles(folder);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{".hidden.svg", "A.svg", "B.svg", "a.svg", "b.svg", "x.svg.bak"}));

  std::vector<std::string> list = BuildFilesList(folder + "a.svg", TFolderSource::System());
  for (std::string& f : list) f = f.substr(folder.size());
  EXPECT_EQ(list, (std::vector<std::string>{".hidden.svg", "a.svg", "A.svg", "b.svg", "B.svg"}));
  fs::remove_all(folder);
  EXPECT_THROW(ListFolderFiles(folder), std::runtime_error);
}

}  // namespace
}  // namespace pictara
