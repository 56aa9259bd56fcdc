// lwprobe: a tiny program that the process tests and the benchmarks start in place of a real
// start-up program. It notes how it was started and ends at once: one line appended to a log,
//
//   <its command line>|<its priority class, decimal>|<the performance counter, microseconds>\r\n
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

int Run() {
  // The time first: it stands for the moment the program began to run.
  const std::uint64_t now = NowMicroseconds();
  const std::string line = std::string(::GetCommandLineA()) + "|" +
                           std::to_string(::GetPriorityClass(::GetCurrentProcess())) + "|" +
                           std::to_string(now) + "\r\n";
  return AppendLine(LogPath(), line) ? 0 : 1;
}

}  // namespace
}  // namespace lw

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return lw::Run(); }
