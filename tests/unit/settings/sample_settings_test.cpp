// The sample settings file shipped in the release package (resources/package/Pictara.ini.sample):
// copied to Pictara.ini unchanged it must behave exactly like no file at all, and it must list
// every key the plug-in reads, each with a comment line above it.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "settings/settings.h"

namespace pictara {
namespace {

std::string SampleText() {
  std::ifstream in(PICTARA_SOURCE_DIR "/resources/package/Pictara.ini.sample", std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

TEST(SampleSettingsTest, ReadUnchangedItGivesTheInitialValuesInBothBuilds) {
  const std::string sample = SampleText();
  ASSERT_FALSE(sample.empty());
  for (bool is64 : {true, false}) {
    SCOPED_TRACE(is64 ? "64-bit" : "32-bit");
    TSettingsEnvironment env;
    env.PluginFolder = "/nonexistent/pictara/";
    env.Is64BitBuild = is64;
    env.FileExists = [](const std::string&) { return false; };
    TSettings fromSample, fromNothing;
    LoadSettings(fromSample, sample, env);
    LoadSettings(fromNothing, std::nullopt, env);
    EXPECT_TRUE(fromSample == fromNothing);
    EXPECT_TRUE(fromSample == TSettings{});
    // Also with line ends as the package ships them.
    std::string crlf;
    for (const std::string& line : Lines(sample)) crlf += line + "\r\n";
    TSettings fromCrlf;
    LoadSettings(fromCrlf, crlf, env);
    EXPECT_TRUE(fromCrlf == fromNothing);
  }
}

TEST(SampleSettingsTest, ListsEveryKeyOnceInSectionSetupWithACommentAbove) {
  const std::vector<std::string> lines = Lines(SampleText());
  std::map<std::string, int> seen;
  std::string section;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      section = line;
      continue;
    }
    const size_t eq = line.find('=');
    ASSERT_NE(eq, std::string::npos) << line;
    EXPECT_EQ(section, "[Setup]") << line;
    const std::string key = line.substr(0, eq);
    ++seen[key];
    EXPECT_TRUE(i > 0 && lines[i - 1].size() > 2 && lines[i - 1][0] == ';') << "no comment above " << key;
  }
  std::map<std::string, int> expected;
  for (const std::string& key : SettingsKeys()) expected[key] = 1;
  EXPECT_EQ(seen, expected);
}

}  // namespace
}  // namespace pictara
