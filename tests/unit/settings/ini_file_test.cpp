#include "settings/ini_file.h"

#include <gtest/gtest.h>

namespace pictara {
namespace {

std::string Utf16Le(std::u16string_view text, bool bom = true) {
  std::string out = bom ? "\xFF\xFE" : "";
  for (char16_t u : text) {
    out.push_back(static_cast<char>(u & 0xFF));
    out.push_back(static_cast<char>(u >> 8));
  }
  return out;
}

std::string Utf16Be(std::u16string_view text) {
  std::string out = "\xFE\xFF";
  for (char16_t u : text) {
    out.push_back(static_cast<char>(u >> 8));
    out.push_back(static_cast<char>(u & 0xFF));
  }
  return out;
}

TEST(IniText, ByteOrderMarkChoosesTheEncodingElseTheSystemCodePage) {
  struct Case {
    const char* name;
    std::string bytes;
    std::string expected;  // the value of [Setup] Path, UTF-8
  } const kCases[] = {
      {"UTF-8 with BOM", "\xEF\xBB\xBF[Setup]\r\nPath=caf\xC3\xA9\r\n", "caf\xC3\xA9"},
      {"UTF-16 LE", Utf16Le(u"[Setup]\r\nPath=caf\u00E9\u20AC\r\n"), "caf\xC3\xA9\xE2\x82\xAC"},
      {"UTF-16 BE", Utf16Be(u"[Setup]\nPath=\u0416\n"), "\xD0\x96"},
      // No mark: the 8-bit code page (1252 here), so the UTF-8 bytes of e-acute read as two letters.
      {"8-bit", "[Setup]\nPath=caf\xE9\n", "caf\xC3\xA9"},
      {"8-bit, UTF-8 bytes", "[Setup]\nPath=\xC3\xA9\n", "\xC3\x83\xC2\xA9"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TIniText::FromFileBytes(c.bytes).Value("Setup", "Path"), c.expected);
  }
}

TEST(IniText, NamesMatchWithoutCaseAndTheFirstOccurrenceCounts) {
  const TIniText ini = TIniText::FromUtf8(
      "Orphan=1\n"
      "; OpenWidth=5\n"
      "[Other]\nOpenWidth=7\n"
      "  [ setup ]  \r\n"
      "\topenwidth =  640 \r\n"
      "OPENWIDTH=800\n"
      "Empty=\n"
      "NoEquals\n"
      "Spaced = a b \n"
      "[SETUP]\nOpenHeight=480\nOpenWidth=900\n");
  EXPECT_EQ(ini.Value("Setup", "OpenWidth"), "640");
  EXPECT_EQ(ini.Value("setup", "OpenHeight"), "480");  // a second section of the same name is searched too
  EXPECT_EQ(ini.Value("Setup", "Empty"), "");
  EXPECT_EQ(ini.Value("Setup", "Spaced"), "a b");
  EXPECT_EQ(ini.Value("Setup", "NoEquals"), std::nullopt);
  EXPECT_EQ(ini.Value("Setup", "Orphan"), std::nullopt);
  EXPECT_EQ(ini.Value("Other", "OpenWidth"), "7");
  EXPECT_EQ(TIniText().Value("Setup", "OpenWidth"), std::nullopt);
}

TEST(SetIniKeys, ReplacesAddsAndKeepsEverythingElse) {
  const std::vector<TIniEntry> entries = {{"BackgroundColor", "$00FFFFFF"}, {"BackgroundImage", "1"}};
  struct Case {
    const char* name;
    std::string before;
    std::string after;
  } const kCases[] = {
      {"no file", "", "[Setup]\r\nBackgroundColor=$00FFFFFF\r\nBackgroundImage=1\r\n"},
      {"other section only, no final line end", "[Other]\nA=1",
       "[Other]\nA=1\n[Setup]\nBackgroundColor=$00FFFFFF\nBackgroundImage=1\n"},
      {"key replaced in place, case of the old key ignored, comments and other sections kept",
       "; mine\r\n[setup]\r\nbackgroundcolor = 5\r\nOpenWidth=640\r\n\r\n[Next]\r\nBackgroundImage=0\r\n",
       "; mine\r\n[setup]\r\nBackgroundColor=$00FFFFFF\r\nOpenWidth=640\r\nBackgroundImage=1\r\n\r\n"
       "[Next]\r\nBackgroundImage=0\r\n"},
      {"only the first of a doubled key", "[Setup]\nBackgroundImage=0\nBackgroundImage=0\n",
       "[Setup]\nBackgroundImage=1\nBackgroundImage=0\nBackgroundColor=$00FFFFFF\n"},
      {"8-bit bytes elsewhere untouched", "[Setup]\nRSVGPath=c:\\caf\xE9\\r.exe\n",
       "[Setup]\nRSVGPath=c:\\caf\xE9\\r.exe\nBackgroundColor=$00FFFFFF\nBackgroundImage=1\n"},
      // A file cut inside its last CR LF: the CR ends the line, so a header there stays a header
      // for the reader and the writer alike (found by fuzzing: the keys went into that section).
      {"last line ends in a lone CR", "[Setup]\nA=1\n[Other]\r",
       "[Setup]\nA=1\nBackgroundColor=$00FFFFFF\nBackgroundImage=1\n[Other]\r"},
      {"two CRs at the end of a header", "[Setup]\nA=1\n[p]\r\r",
       "[Setup]\nA=1\nBackgroundColor=$00FFFFFF\nBackgroundImage=1\n[p]\r\r"},
      {"lone CR after the section's last entry", "[Setup]\r\nA=1\r",
       "[Setup]\r\nA=1\r\nBackgroundColor=$00FFFFFF\r\nBackgroundImage=1\r\n"},
      {"UTF-8 mark kept", "\xEF\xBB\xBF[Setup]\n", "\xEF\xBB\xBF[Setup]\nBackgroundColor=$00FFFFFF\nBackgroundImage=1\n"},
      {"UTF-16 stays UTF-16", Utf16Le(u"[Setup]\r\nRSVGPath=\u0416\r\n"),
       Utf16Le(u"[Setup]\r\nRSVGPath=\u0416\r\nBackgroundColor=$00FFFFFF\r\nBackgroundImage=1\r\n")},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::string after = SetIniKeys(c.before, "Setup", entries);
    EXPECT_EQ(after, c.after);
    EXPECT_EQ(TIniText::FromFileBytes(after).Value("Setup", "BackgroundImage"), "1");
  }
}

}  // namespace
}  // namespace pictara
