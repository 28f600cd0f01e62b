// The version resource of the plug-in beside this program, read back as Windows' file properties
// read it: the fixed numbers and the strings carry the project's one version number.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pictara_version.h"
#include "testbed/testbed.h"

namespace tb = pictara::testbed;

namespace {

class VersionInfoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::wstring plugin = tb::DefaultPluginPath();
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(plugin.c_str(), &handle);
    ASSERT_GT(size, 0u) << "no version resource in " << tb::Narrow(plugin) << " (error " << GetLastError() << ")";
    data_.resize(size);
    ASSERT_TRUE(GetFileVersionInfoW(plugin.c_str(), 0, size, data_.data()));
  }

  std::wstring String(const wchar_t* name) {
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    wchar_t* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data_.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) || !value)
      return L"<missing>";
    return std::wstring(value, length && value[length - 1] == 0 ? length - 1 : length);
  }

  std::vector<BYTE> data_;
};

TEST_F(VersionInfoTest, FixedNumbersAreTheProjectVersion) {
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(data_.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  const DWORD ms = MAKELONG(PICTARA_VERSION_MINOR, PICTARA_VERSION_MAJOR);
  const DWORD ls = MAKELONG(0, PICTARA_VERSION_PATCH);
  EXPECT_EQ(fixed->dwFileVersionMS, ms);
  EXPECT_EQ(fixed->dwFileVersionLS, ls);
  EXPECT_EQ(fixed->dwProductVersionMS, ms);
  EXPECT_EQ(fixed->dwProductVersionLS, ls);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
}

TEST_F(VersionInfoTest, StringsNameTheProductItsVersionAndThisBuildsFile) {
  const std::wstring version = tb::Widen(PICTARA_VERSION);
  EXPECT_EQ(String(L"FileVersion"), version);
  EXPECT_EQ(String(L"ProductVersion"), version);
  EXPECT_EQ(String(L"ProductName"), L"Pictara");
  EXPECT_EQ(String(L"OriginalFilename"), sizeof(void*) == 8 ? L"Pictara.wlx64" : L"Pictara.wlx");
  EXPECT_NE(String(L"FileDescription").find(L"SVG"), std::wstring::npos) << tb::Narrow(String(L"FileDescription"));
  EXPECT_EQ(String(L"LegalCopyright").rfind(L"Copyright", 0), 0u) << tb::Narrow(String(L"LegalCopyright"));
}

}  // namespace
