#include "support/ProbePrograms.h"
#include "support/TestEnv.h"

#include <cstdlib>

namespace lw::test {

namespace {

// Long enough for a loaded machine to start the programs under Wine (a second or more each).
constexpr std::uint32_t kWaitLimitMs = 30000;
constexpr std::uint32_t kPollMs = 50;
// How long a file may stay in use by a probe that has written its line but not yet ended.
constexpr std::uint32_t kReleaseLimitMs = 10000;

// Creates each missing folder of the path's folder.
void CreateFolders(const std::string& path) {
  for (std::size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1)) {
    Files().CreateDirectory(path.substr(0, at));
  }
}

// Splits "<command line>|<priority>|<time>" at its last two bars: the command line may hold
// bars of its own.
bool ParseLine(const std::string& line, ProbeStart* start) {
  const std::size_t timeBar = line.rfind('|');
  if (timeBar == std::string::npos || timeBar == 0) return false;
  const std::size_t priorityBar = line.rfind('|', timeBar - 1);
  if (priorityBar == std::string::npos) return false;
  start->commandLine = line.substr(0, priorityBar);
  start->priorityClass = static_cast<std::uint32_t>(
      std::strtoul(line.substr(priorityBar + 1, timeBar - priorityBar - 1).c_str(), nullptr, 10));
  start->timeUs = std::strtoull(line.substr(timeBar + 1).c_str(), nullptr, 10);
  return true;
}

// The complete lines of the log (a probe may be writing the last one).
std::vector<ProbeStart> ReadLog() {
  std::vector<ProbeStart> starts;
  const std::string log = ReadWholeFile(ProbeLogPath());
  std::size_t at = 0;
  for (std::size_t end = log.find("\r\n"); end != std::string::npos;
       at = end + 2, end = log.find("\r\n", at)) {
    ProbeStart start;
    if (ParseLine(log.substr(at, end - at), &start)) starts.push_back(start);
  }
  return starts;
}

}  // namespace

void InstallProbe(const std::string& path) {
  CreateFolders(path);
  // The file may still be held by a probe of an earlier case that is ending.
  const std::uint32_t started = Sys().GetTickCount();
  while (!Files().CopyFile(ExeFolder() + "lwprobe.exe", path, false) &&
         Sys().GetTickCount() - started < kReleaseLimitMs) {
    Sys().Sleep(kPollMs);
  }
}

void RemoveProbe(const std::string& path) {
  const std::uint32_t started = Sys().GetTickCount();
  while (!Files().DeleteFile(path) && Files().GetFileAttributes(path) != kInvalidFileAttributes &&
         Sys().GetTickCount() - started < kReleaseLimitMs) {
    Sys().Sleep(kPollMs);
  }
}

std::vector<ProbeStart> WaitForProbeStarts(std::size_t count) {
  const std::uint32_t started = Sys().GetTickCount();
  std::vector<ProbeStart> starts = ReadLog();
  while (starts.size() < count && Sys().GetTickCount() - started < kWaitLimitMs) {
    Sys().Sleep(kPollMs);
    starts = ReadLog();
  }
  return starts;
}

}  // namespace lw::test
