// Counts of this process's windows and GDI objects, for the tests that look for leaks.
#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "testbed/testbed.h"

namespace pictara::testbed {

namespace {

BOOL CALLBACK AppendTopLevel(HWND w, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
  return TRUE;
}

// Wine keeps the process's GDI handle table in memory the process can read, its address in the
// process environment block (where Windows keeps its own table); one 24-byte entry per handle,
// its type byte 0 while the slot is free. Windows' entries differ, and there GetGuiResources
// answers anyway.
size_t LiveGdiObjectsInWineTable() {
  static const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  if (!wine) return 0;
  // The compiler's own NtCurrentTeb reads the segment register through a zero-length array.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
  const auto* peb = reinterpret_cast<const uint8_t*>(NtCurrentTeb()->ProcessEnvironmentBlock);
#pragma GCC diagnostic pop
  const uint8_t* table = nullptr;
  if constexpr (sizeof(void*) == 8) {
    std::memcpy(&table, peb + 0xF8, sizeof(table));
  } else {
    // A 32-bit process on 64-bit Wine: the table's address is in the 64-bit environment block,
    // reached through the 64-bit thread block whose address the 32-bit one keeps at 0xF70.
    uint32_t teb64 = 0;
    std::memcpy(&teb64, reinterpret_cast<const uint8_t*>(NtCurrentTeb()) + 0xF70, sizeof(teb64));
    uint64_t address = 0;
    if (teb64) {
      uint64_t peb64 = 0;
      std::memcpy(&peb64, reinterpret_cast<const uint8_t*>(uintptr_t{teb64}) + 0x60, sizeof(peb64));
      if (peb64) std::memcpy(&address, reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(peb64)) + 0xF8, sizeof(address));
    } else {
      uint32_t own = 0;
      std::memcpy(&own, peb + 0x94, sizeof(own));
      address = own;
    }
    table = reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(address));
  }
  if (!table) return 0;
  constexpr size_t kEntries = 0x10000, kEntrySize = 24, kTypeByte = 14;
  size_t live = 0;
  for (size_t i = 0; i < kEntries; ++i)
    if (table[i * kEntrySize + kTypeByte] != 0) ++live;
  return live;
}

}  // namespace

ObjectCounts CountObjects() {
  ObjectCounts c;
  c.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  c.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  std::vector<HWND> windows;
  EnumThreadWindows(GetCurrentThreadId(), &AppendTopLevel, reinterpret_cast<LPARAM>(&windows));
  c.windows = windows.size();
  for (HWND w : windows) c.windows += Descendants(w).size();
  c.gdiLive = c.gdi != 0 ? c.gdi : LiveGdiObjectsInWineTable();
  // Many objects at once, so the highest handle reflects how far the table is used.
  std::vector<HGDIOBJ> probes;
  for (int i = 0; i < 64; ++i) probes.push_back(CreateSolidBrush(RGB(i, 0, 0)));
  for (HGDIOBJ o : probes) c.gdiSlot = std::max(c.gdiSlot, reinterpret_cast<uintptr_t>(o) & 0xFFFF);
  for (HGDIOBJ o : probes) DeleteObject(o);
  return c;
}

}  // namespace pictara::testbed
