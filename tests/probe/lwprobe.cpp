// lwprobe: a tiny program that the process tests and the benchmarks start in place of a real
// start-up program. It notes how it was started and ends at once: one line appended to a log,
//
//   <its command line>|<its priority class, decimal>|<the performance counter, microseconds>\r\n
//
// With "-spawn" it first starts a copy of itself ("-stay -child"); with "-stay" it then runs on
// until the event "Local\LaunchwardProbeRelease" is set (a minute at most).
//
// The log is the file named by the environment variable LW_PROBE_LOG, else "probe-log.txt"
// beside the probe itself. Several probes may start within a few milliseconds of each other:
// each writes its line in one call while it holds the file alone, and waits a moment and tries
// again while another probe holds it.

#include <windows.h>

#include <cstdint>
#include <string>

#include "probe/AppendLine.h"
#include "probe/MicroClock.h"

namespace lw {
namespace {

std::string LogPath() {
  char buffer[MAX_PATH * 2] = {};
  DWORD length = ::GetEnvironmentVariableA("LW_PROBE_LOG", buffer, sizeof(buffer));
  if (length > 0 && length < sizeof(buffer)) return std::string(buffer, length);
  length = ::GetModuleFileNameA(nullptr, buffer, sizeof(buffer));
  std::string path(buffer, length < sizeof(buffer) ? length : 0);
  const std::size_t slash = path.find_last_of('\\');
  path = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  return path + "probe-log.txt";
}

bool Asks(const std::string& commandLine, const char* word) {
  return commandLine.find(word) != std::string::npos;
}

// "-spawn": starts a copy of itself ("-stay -child"), as a launcher starts its tray program,
// with no class of its own among the flags.
bool StartChild() {
  char self[MAX_PATH * 2] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, self, sizeof(self));
  if (length == 0 || length >= sizeof(self)) return false;
  std::string line = "\"" + std::string(self, length) + "\" -stay -child";
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
    return false;
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return true;
}

int Run() {
  // The time first: it stands for the moment the program began to run.
  const std::uint64_t now = NowMicroseconds();
  const std::string commandLine = ::GetCommandLineA();
  // Opened before the line is written, so that a release set right after it is not missed.
  HANDLE release = Asks(commandLine, " -stay")
                       ? ::CreateEventA(nullptr, TRUE, FALSE, "Local\\LaunchwardProbeRelease")
                       : nullptr;
  const bool spawned = !Asks(commandLine, " -spawn") || StartChild();
  const std::string line = commandLine + "|" +
                           std::to_string(::GetPriorityClass(::GetCurrentProcess())) + "|" +
                           std::to_string(now) + "\r\n";
  const bool written = AppendLine(LogPath(), line);
  // "-stay": runs on until the test releases it (a minute at most).
  if (release != nullptr) {
    ::WaitForSingleObject(release, 60000);
    ::CloseHandle(release);
  }
  return written && spawned ? 0 : 1;
}

}  // namespace
}  // namespace lw

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return lw::Run(); }
