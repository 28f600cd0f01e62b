// A test with its own copy of the slow converter (slow-convert.exe) as the plug-in's renderer: it
// writes a few bytes of output if asked, waits for the file "go" in the test's temporary folder,
// then writes a real picture. Shared by the wait tests and the wait's timing program.
#pragma once

#include <windows.h>

#include <string>

#include "converters/support.h"
#include "testbed/testbed.h"

namespace pictara::testing_support {

class SlowConverterTest : public PrivateTempTest {
 protected:
  void SetUp() override {
    PrivateTempTest::SetUp();
    go_ = Folder() + "go";
    converter_ = OwnCopyOf("slow-convert.exe");
    exe_ = Wide(ExtractFileName(converter_));
  }
  void TearDown() override {
    WriteFileBytes(go_, "");  // whatever still waits may end now
    EXPECT_TRUE(WaitUntilGone(exe_.c_str()));
    DeleteFileName(go_);
    PrivateTempTest::TearDown();
  }

  // Settings whose converter is our copy; with `partialFirst` it writes a few bytes of output
  // before it waits.
  std::string SlowIni(bool partialFirst, const std::string& moreIni = "") const {
    const std::string picture = Narrow(testbed::FixturePath("raster/rgba.png"));
    return "[Setup]\r\nRSVGPath=" + converter_ + "\r\nRSVGAdditionalCmd=" +
           (partialFirst ? "--write-output " : "") + "--wait-for \"" + go_ + "\" --then-copy \"" +
           picture + "\"\r\n" + moreIni;
  }

  // Our converter has started and (with `withOutput`) written its first bytes; polled every 5 ms
  // for up to 10 s.
  bool ConverterWaiting(bool withOutput) const {
    for (int i = 0; i < 2000; ++i) {
      if (ProcessRunning(exe_.c_str()) && (!withOutput || OutputsOfOurs() > 0)) return true;
      Sleep(5);
    }
    return false;
  }

  int OutputsOfOurs() const {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(Wide(Folder() + "svg*.png").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int n = 0;
    do ++n;
    while (FindNextFileW(find, &data));
    FindClose(find);
    return n;
  }

  // A real press and release of Esc, as from the keyboard.
  static void PressEscape() {
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = VK_ESCAPE;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
  }

  std::string go_, converter_;
  std::wstring exe_;
};

}  // namespace pictara::testing_support
