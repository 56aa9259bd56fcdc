#pragma once
// Appending one line to a log that several small programs write at about the same moment (the
// probe of the tests, the demo's stand-in programs): each writes its line in one call while it
// holds the file alone, and waits a moment and tries again while another one holds it.

#include <windows.h>

#include <string>

namespace lw {

// False when the file could not be opened (within about five seconds) or written whole.
inline bool AppendLine(const std::string& path, const std::string& line) {
  // Long enough for a loaded machine to let another writer finish its line; short enough that
  // a file kept open by something else does not hold the writer for long.
  constexpr int kOpenAttempts = 500;
  constexpr DWORD kRetryPauseMs = 10;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < kOpenAttempts && file == INVALID_HANDLE_VALUE; ++attempt) {
    file = ::CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) break;
    const DWORD error = ::GetLastError();
    if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) return false;
    ::Sleep(kRetryPauseMs);
  }
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok =
      ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  ::CloseHandle(file);
  return ok && written == line.size();
}

}  // namespace lw
