// lwdemoapp: the demo's stand-in for a start-up program. It notes that it started and ends at
// once, without a window: one line appended to the demo log,
//
//   <its arguments>|<local time, YYYY-MM-DD HH:MM:SS.mmm>\r\n
//
// The log is the file named by LW_DEMO_LOG, else "lwdemo-log.txt" beside the program. Several
// items may start at the same moment: each writes its line in one call while it holds the file
// alone, and waits a moment and tries again while another one holds it.

#include <windows.h>

#include <string>

#include "probe/AppendLine.h"

#include "DemoClock.h"
#include "DemoItems.h"

namespace lw::demo {
namespace {

std::string LogPath() {
  char buffer[MAX_PATH * 2] = {};
  DWORD length = ::GetEnvironmentVariableA(kDemoLogVariable, buffer, sizeof(buffer));
  if (length > 0 && length < sizeof(buffer)) return std::string(buffer, length);
  length = ::GetModuleFileNameA(nullptr, buffer, sizeof(buffer));
  std::string path(buffer, length < sizeof(buffer) ? length : 0);
  return path.substr(0, path.find_last_of('\\') + 1) + kDemoLogFileName;
}

// The command line without the program: what follows the quoted, or blank-ended, first word.
std::string Arguments() {
  const std::string line = ::GetCommandLineA();
  std::size_t at = 0;
  if (!line.empty() && line[0] == '"') {
    at = line.find('"', 1);
    at = at == std::string::npos ? line.size() : at + 1;
  } else {
    at = line.find(' ');
    if (at == std::string::npos) at = line.size();
  }
  const std::size_t begin = line.find_first_not_of(' ', at);
  if (begin == std::string::npos) return "";
  return line.substr(begin, line.find_last_not_of(' ') + 1 - begin);
}

int Run() {
  // The time first: it stands for the moment the program began to run.
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  const ClockTime time{now.wYear,   now.wMonth,  now.wDay,         now.wHour,
                       now.wMinute, now.wSecond, now.wMilliseconds};
  const std::string line = Arguments() + "|" + FormatClockTime(time) + "\r\n";
  return AppendLine(LogPath(), line) ? 0 : 1;
}

}  // namespace
}  // namespace lw::demo

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return lw::demo::Run(); }
