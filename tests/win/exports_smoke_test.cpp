#include <windows.h>

#include <gtest/gtest.h>

TEST(Smoke, PluginLoads) {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dll(path);
  dll = dll.substr(0, dll.find_last_of(L"\\/") + 1) + (sizeof(void*) == 8 ? L"Pictara.wlx64" : L"Pictara.wlx");
  HMODULE m = LoadLibraryW(dll.c_str());
  ASSERT_NE(m, nullptr);
  EXPECT_NE(GetProcAddress(m, "ListLoadW"), nullptr);
  FreeLibrary(m);
}
