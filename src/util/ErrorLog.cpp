#include "util/ErrorLog.h"

#include <cstdio>

#include <memory>
#include <stdexcept>

#include "platform/Platform.h"
#include "util/Error.h"
#include "util/SpecialFolders.h"

namespace lw {

namespace {

struct LogState {
  std::string path;
  std::unique_ptr<ErrorLog> log;
};

LogState& State() {
  static LogState state;
  return state;
}

bool IsMidnight(const SystemTime& time) {
  return time.hour == 0 && time.minute == 0 && time.second == 0 && time.milliseconds == 0;
}

// The per-user folder is made on first use. False when the line could not be written there
// either; the caller then reports the first failure.
bool AppendToUserLog(const std::string& line) {
  const std::string path = UserErrorLogPath();
  if (path.empty()) return false;
  Files().CreateDirectory(path.substr(0, path.find_last_of('\\')));
  return Files().AppendFile(path, line);
}

}  // namespace

std::string UserErrorLogPath() {
  // Windows Vista and later name the folder so; before them (no UAC, no variable) the log stays
  // beside the executable only, as it always was.
  std::string folder = Sys().ExpandEnvironmentStrings("%LOCALAPPDATA%");
  if (folder.empty() || folder.find('%') != std::string::npos) return "";
  if (folder.back() != '\\') folder += '\\';
  return folder + "Launchward\\error.txt";
}

std::string SystemErrorText(std::uint32_t code) {
  std::string text = Sys().FormatMessage(code);
  while (!text.empty()) {
    unsigned char last = static_cast<unsigned char>(text.back());
    if (last > ' ' && last != '.' && last != 0x7F) break;
    text.pop_back();
  }
  return text;
}

void ErrorLog::Write(const std::string& text) const {
  const std::string& path = State().path;
  if (path.empty()) throw std::logic_error("the error log is not initialised");
  SystemTime now = Sys().GetLocalTime();
  std::string line = Sys().FormatShortDate(now);
  if (!IsMidnight(now)) line.append(" ").append(Sys().FormatLongTime(now));
  line.append(" ").append(text).append("\r\n");
  if (!Files().AppendFile(path, line)) {
    std::uint32_t code = Sys().GetLastError();
    // Refused by the folder (not by a folder standing in the log's place): the user's own log.
    const std::uint32_t attributes = Files().GetFileAttributes(path);
    const bool folderInPlace =
        attributes != kInvalidFileAttributes && (attributes & kFileAttributeDirectory) != 0;
    if (code == kErrorAccessDenied && !folderInPlace && AppendToUserLog(line)) return;
    throw Error("Unable to write error log : " + path + " (" + std::to_string(code) + " : " +
                SystemErrorText(code) + ")");
  }
}

void ErrorLog::WriteError(std::uint32_t code, const std::string& text) const {
  Write(std::to_string(code) + " : " + SystemErrorText(code) + " (" + text + ")");
}

bool ErrorLog::TryWrite(const std::string& text) const noexcept {
  try {
    Write(text);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool ErrorLog::TryWriteError(std::uint32_t code, const std::string& text) const noexcept {
  try {
    WriteError(code, text);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

void InitializeErrorLog() {
  State().path = GetExeFolder() + "error.txt";
  State().log = std::make_unique<ErrorLog>();
}

void FinalizeErrorLog() {
  State().log.reset();
  State().path.clear();
}

const std::string& ErrorLogPath() { return State().path; }

ErrorLog& SharedErrorLog() {
  if (!State().log) throw std::logic_error("the error log is not initialised");
  return *State().log;
}

std::string HResultText(long result) {
  char code[16];
  std::snprintf(code, sizeof(code), "0x%08lX", static_cast<unsigned long>(result) & 0xFFFFFFFFul);
  std::string text = std::string("error ") + code;
  const auto bits = static_cast<std::uint32_t>(result);
  if ((bits & 0xFFFF0000u) == 0x80070000u) {
    const std::string message = SystemErrorText(bits & 0xFFFFu);
    if (!message.empty()) text += ", " + message;
  }
  return text;
}

}  // namespace lw
