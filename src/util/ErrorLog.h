#pragma once
// The error log "error.txt" beside the executable, or, where that folder cannot be written (a
// standard user and a program in Program Files), the user's own "Launchward\error.txt" in the
// local application data folder (%LOCALAPPDATA%). Each entry is one line: the local date
// (short format), a blank, the local time (long format; left out at exactly midnight), a blank
// and the text, ended by CR LF. The file is opened and closed for every line, so nothing is
// lost when the program ends abruptly; it is never truncated.

#include <cstdint>
#include <string>

namespace lw {

class ErrorLog {
 public:
  // Appends one line. Raises lw::Error when the file cannot be created or written; the line
  // is then lost.
  void Write(const std::string& text) const;
  // Appends "<code> : <system message for the code> (<text>)"; the system message loses its
  // trailing line break, blanks and full stops, and is empty for an unknown code.
  void WriteError(std::uint32_t code, const std::string& text) const;
  // The same for callers that go on whatever becomes of the log (a logon run must not stop
  // because "error.txt" cannot be written): false, and the line is lost, when it fails.
  bool TryWrite(const std::string& text) const noexcept;
  bool TryWriteError(std::uint32_t code, const std::string& text) const noexcept;
};

// The log file's path, set by InitializeErrorLog (the executable's folder + "error.txt")
// and cleared by FinalizeErrorLog; empty outside that span.
void InitializeErrorLog();
void FinalizeErrorLog();
const std::string& ErrorLogPath();
// The per-user log that takes the lines the executable's folder refuses; empty where the
// environment has no LOCALAPPDATA (before Windows Vista).
std::string UserErrorLogPath();

// The process-wide log; using it outside the span above is a programming error
// (std::logic_error).
ErrorLog& SharedErrorLog();

// The system's text for an error code without its trailing line break, blanks and full stops.
std::string SystemErrorText(std::uint32_t code);
// An HRESULT as the user reads it: "error 0x80070005", with the system's text for a Windows
// error.
std::string HResultText(long result);

}  // namespace lw
