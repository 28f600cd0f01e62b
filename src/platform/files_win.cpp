#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/files.h"
#include "platform/window_win.h"

namespace pictara {

std::optional<std::string> ReadFileBytes(const std::string& name, int64_t maxBytes) {
  HANDLE h = CreateFileW(Wide(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string data;
  char buf[65536];
  bool ok = true;
  for (;;) {
    DWORD want = sizeof buf;
    if (maxBytes > 0) {
      const auto left = static_cast<uint64_t>(maxBytes) - data.size();
      if (left == 0) break;
      if (left < want) want = static_cast<DWORD>(left);
    }
    DWORD got = 0;
    if (!ReadFile(h, buf, want, &got, nullptr)) {
      ok = false;
      break;
    }
    data.append(buf, got);
    if (got == 0) break;
  }
  CloseHandle(h);
  if (!ok) return std::nullopt;
  return data;
}

bool WriteFileBytes(const std::string& name, std::string_view data) {
  const std::wstring wide = Wide(name);
  HANDLE h = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  size_t done = 0;
  while (ok && done < data.size()) {
    const DWORD want = static_cast<DWORD>(std::min<size_t>(data.size() - done, 1u << 20));
    DWORD wrote = 0;
    ok = WriteFile(h, data.data() + done, want, &wrote, nullptr) && wrote == want;
    done += wrote;
  }
  if (!CloseHandle(h)) ok = false;
  if (!ok) DeleteFileW(wide.c_str());
  return ok;
}

std::optional<FileEntry> ReadFileEntry(const std::string& name) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (name.empty() || !GetFileAttributesExW(Wide(name).c_str(), GetFileExInfoStandard, &data))
    return std::nullopt;
  FileEntry entry;
  entry.isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  entry.size = entry.isFolder ? 0
                              : static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) |
                                                     data.nFileSizeLow);
  return entry;
}

bool FileExists(const std::string& name) {
  const auto entry = ReadFileEntry(name);
  return entry && !entry->isFolder;
}

bool PathExists(const std::string& name) {
  return !name.empty() && GetFileAttributesW(Wide(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CopyFileOver(const std::string& from, const std::string& to) {
  return CopyFileW(Wide(from).c_str(), Wide(to).c_str(), FALSE) != 0;
}

bool MoveFileOver(const std::string& from, const std::string& to) {
  return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != 0;
}

bool DeleteFileName(const std::string& name) { return DeleteFileW(Wide(name).c_str()) != 0; }

std::string TempFolder() {
  std::vector<wchar_t> temp(MAX_PATH + 1);
  DWORD n = GetTempPathW(static_cast<DWORD>(temp.size()), temp.data());
  if (n > temp.size()) {
    temp.resize(n + 1);
    n = GetTempPathW(static_cast<DWORD>(temp.size()), temp.data());
  }
  if (n == 0 || n > temp.size()) return std::string(1, kPathSeparator);
  // The long form: converters and the checks for existing names see the same spelling.
  std::vector<wchar_t> longName(n + MAX_PATH);
  DWORD m = GetLongPathNameW(temp.data(), longName.data(), static_cast<DWORD>(longName.size()));
  if (m > longName.size()) {
    longName.resize(m + 1);
    m = GetLongPathNameW(temp.data(), longName.data(), static_cast<DWORD>(longName.size()));
  }
  std::string folder = (m == 0 || m > longName.size()) ? Narrow(std::wstring_view(temp.data(), n))
                                                        : Narrow(std::wstring_view(longName.data(), m));
  if (folder.empty() || folder.back() != kPathSeparator) folder += kPathSeparator;
  return folder;
}

std::optional<std::string> ShortPathName(const std::string& name, size_t bufferChars) {
  if (bufferChars == 0) return std::nullopt;
  std::vector<wchar_t> buf(bufferChars);
  const DWORD n = GetShortPathNameW(Wide(name).c_str(), buf.data(), static_cast<DWORD>(bufferChars));
  // 0: failure; a value not below the buffer size is the length the name would need.
  if (n == 0 || n >= bufferChars) return std::nullopt;
  return Narrow(std::wstring_view(buf.data(), n));
}

std::optional<std::string> FindProgramOnPath(const std::string&) { return std::nullopt; }

}  // namespace pictara
