#pragma once
// Starting a program and watching it from outside (Windows only): when its top-level windows
// appear, when it ends, and how much memory it held at its peak.

#include <cstdint>
#include <string>
#include <vector>

namespace lw::bench {

struct ChildRun {
  // Milliseconds from the CreateProcess call until the child's first top-level window existed,
  // and until one of each window class asked for did; -1 for none.
  double firstWindowMs = -1.0;
  std::string firstWindowClass;  // empty when the window was gone before it could be asked
  std::vector<double> windowMs;
  double exitMs = -1.0;  // until the process had ended; -1 when it was ended after the timeout
  std::uint32_t exitCode = 0;
};

struct PeakMemory {
  std::uint64_t bytes = 0;  // the highest PeakWorkingSetSize read, 0 when none could be read
  int readings = 0;         // readings that gave a figure
};

// Starts the command line in the folder and notes when its main thread creates its windows
// (from the system's window-creation events, time-stamped in the child to the millisecond, so
// that a window that lives a moment only is not missed) and when the process ends. A process
// still running after timeoutMs is ended. Raises lw::Error when the program cannot be started.
ChildRun WatchWindows(const std::string& commandLine, const std::string& folder,
                      const std::vector<std::string>& classes, std::uint32_t timeoutMs);

// Starts the command line in the folder and reads GetProcessMemoryInfo's PeakWorkingSetSize on
// its process handle about once a millisecond while it runs, and once more after it ended.
PeakMemory WatchPeakMemory(const std::string& commandLine, const std::string& folder,
                           std::uint32_t timeoutMs);

// Keeps the desktop up while the benchmark runs: a hidden window of the benchmark's own. At a
// logon the desktop is always there; under Wine a program that finds none starts it and waits
// for it (about 100 ms), and which of the measured programs would pay for that would depend on
// the order of the runs.
void HoldDesktop();

// Wine's version ("8.0" ...) when this runs under Wine, else empty.
std::string WineVersion();

}  // namespace lw::bench
