// File services of the operating system. Names are UTF-8 and in the system's own form
// (backslashes and drive letters on Windows, "\\?\" long names included).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pictara {

// The separator between folder and file names in the system's own form.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Reads a file (shared for reading, not for writing). With maxBytes > 0 at most that many bytes.
// nullopt when it cannot be opened or read.
std::optional<std::string> ReadFileBytes(const std::string& name, int64_t maxBytes = 0);

// Creates the file (or empties an existing one) and writes data to it. false on any failure; a
// file that could not be written completely is removed again.
bool WriteFileBytes(const std::string& name, std::string_view data);

// What the directory entry of a name says.
struct FileEntry {
  bool isFolder = false;
  int64_t size = 0;  // bytes; 0 for a folder
};

// The entry of a name; nullopt when there is none or it cannot be read.
std::optional<FileEntry> ReadFileEntry(const std::string& name);

// True when the name is an existing file (not a folder).
bool FileExists(const std::string& name);

// True when anything (file or folder) exists under the name.
bool PathExists(const std::string& name);

// Copies a file, replacing the target when it exists. false on failure.
bool CopyFileOver(const std::string& from, const std::string& to);

// Moves a file, replacing the target when it exists and copying across volumes. false on failure
// (the source is then left where it was).
bool MoveFileOver(const std::string& from, const std::string& to);

// Deletes a file. false when it could not be deleted (also when it did not exist).
bool DeleteFileName(const std::string& name);

// The system's folder for temporary files in its long form, always ending with kPathSeparator.
// Windows: GetTempPathW (TMP, TEMP, ...) expanded to the long form. Linux: TMPDIR, else /tmp.
std::string TempFolder();

// The short (8.3) form of an existing name, asked for with a buffer of bufferChars characters
// (terminator included). nullopt when the system gives none or it would not fit. Linux has no
// short names: an existing name is its own short form, under the same length rule.
std::optional<std::string> ShortPathName(const std::string& name, size_t bufferChars);

// The folder part of a name, including its trailing separator ("" when there is none).
std::string ExtractFilePath(std::string_view name);

// The file part of a name (everything after the last separator).
std::string ExtractFileName(std::string_view name);

// The extension of a name including its dot ("" when there is none).
std::string ExtractFileExt(std::string_view name);

// Looks for an executable program of that name in the folders of PATH (Linux); the full name, or
// nullopt. Windows: always nullopt (programs are found by their configured locations only).
std::optional<std::string> FindProgramOnPath(const std::string& name);

}  // namespace pictara
