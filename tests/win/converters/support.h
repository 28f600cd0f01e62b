// Shared by the Windows conversion tests: a private temporary folder per test (checked for files
// left behind), fixture names seen from Windows, raster sizes, and processes by name.
#pragma once

#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <string>

#include "platform/files.h"
#include "base/utf.h"
#include "render/convert.h"

namespace pictara::testing_support {

inline std::wstring Wide(const std::string& text) {
  const std::u16string w = Utf8ToUtf16(text);
  return std::wstring(w.begin(), w.end());
}

inline std::string Narrow(const std::wstring& text) {
  return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

// A Linux name (such as the fixture folder) as Wine shows it to Windows programs.
inline std::string DosName(const std::string& unixName) {
  using DosNameFn = wchar_t*(__cdecl*)(const char*);
  const auto dosName = reinterpret_cast<DosNameFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
  if (!dosName) return unixName;
  wchar_t* name = dosName(unixName.c_str());
  if (!name) return unixName;
  std::string result = Narrow(name);
  HeapFree(GetProcessHeap(), 0, name);
  return result;
}

inline std::string Fixtures() { return DosName(PICTARA_FIXTURES "/convert") + "\\"; }

// The folder of this test program (where the plug-in's converter folders are placed).
inline std::string ProgramFolder() {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring name(path, n);
  return Narrow(name.substr(0, name.find_last_of(L"\\/") + 1));
}

// Width and height of a PNG or BMP file; (0, 0) when it is neither.
inline Size RasterSize(const std::string& name) {
  const auto bytes = ReadFileBytes(name, 64);
  if (!bytes || bytes->size() < 26) return {};
  auto u8 = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>((*bytes)[i])); };
  if (bytes->compare(0, 8, "\x89PNG\r\n\x1a\n") == 0)
    return {static_cast<int32_t>(u8(16) << 24 | u8(17) << 16 | u8(18) << 8 | u8(19)),
            static_cast<int32_t>(u8(20) << 24 | u8(21) << 16 | u8(22) << 8 | u8(23))};
  if (bytes->compare(0, 2, "BM") == 0)
    return {static_cast<int32_t>(u8(18) | u8(19) << 8 | u8(20) << 16 | u8(21) << 24),
            std::abs(static_cast<int32_t>(u8(22) | u8(23) << 8 | u8(24) << 16 | u8(25) << 24))};
  return {};
}

inline bool ProcessRunning(const wchar_t* exeName) {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  bool found = false;
  for (BOOL ok = Process32FirstW(snap, &entry); ok && !found; ok = Process32NextW(snap, &entry))
    found = _wcsicmp(entry.szExeFile, exeName) == 0;
  CloseHandle(snap);
  return found;
}

// Waits (bounded) until no process of that name runs any more.
inline bool WaitUntilGone(const wchar_t* exeName) {
  for (int i = 0; i < 600 && ProcessRunning(exeName); ++i) Sleep(50);
  return !ProcessRunning(exeName);
}

inline void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring full = folder + L"\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(full);
      else DeleteFileW(full.c_str());
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(folder.c_str());
}

// Each test gets its own temporary folder (its name has a blank, so converters see quoted or short
// names) through TMP/TEMP, and must leave no file named like ours ("svg" + number + extension).
class PrivateTempTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t base[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, base);
    oldTmp_ = Var(L"TMP");
    oldTemp_ = Var(L"TEMP");
    folder_ = std::wstring(base) + L"pictara convert " + std::to_wstring(GetCurrentProcessId()) +
              L" " + Wide(::testing::UnitTest::GetInstance()->current_test_info()->name());
    RemoveTree(folder_);
    CreateDirectoryW(folder_.c_str(), nullptr);
    SetEnvironmentVariableW(L"TMP", folder_.c_str());
    SetEnvironmentVariableW(L"TEMP", folder_.c_str());
  }

  void TearDown() override {
    ExpectNoFilesOfOurs(folder_);
    SetEnvironmentVariableW(L"TMP", oldTmp_.c_str());
    SetEnvironmentVariableW(L"TEMP", oldTemp_.c_str());
    RemoveTree(folder_);
  }

  static void ExpectNoFilesOfOurs(const std::wstring& folder) {
    static const std::wregex ours(LR"(svg[0-9]+\..*)", std::regex::icase);
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
      EXPECT_FALSE(std::regex_match(data.cFileName, ours)) << "left behind: " << Narrow(data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }

  std::string Folder() const { return Narrow(folder_) + "\\"; }

  // A copy of one of the test converters under a name no other test program uses, so that
  // looking for the running process by name finds only this test's.
  std::string OwnCopyOf(const std::string& converter) {
    const std::string name = "own-" + std::to_string(GetCurrentProcessId()) + "-" + converter;
    const std::string copy = Folder() + name;
    EXPECT_TRUE(CopyFileOver(ProgramFolder() + "converters\\" + converter, copy));
    return copy;
  }

 private:
  static std::wstring Var(const wchar_t* name) {
    wchar_t value[32768];
    const DWORD n = GetEnvironmentVariableW(name, value, 32768);
    return std::wstring(value, n < 32768 ? n : 0);
  }

  std::wstring folder_, oldTmp_, oldTemp_;
};

}  // namespace pictara::testing_support
