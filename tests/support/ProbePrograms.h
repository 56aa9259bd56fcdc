#pragma once
// The probe program in tests: a stand-in for a start-up program that notes how it was started.
// Under Wine it is the real lwprobe.exe (built beside the tests), which appends a line to the
// log named by LW_PROBE_LOG (set per test to ScratchFolder() + "probe-log.txt"); on the
// simulation it is a file of known content, and its starts are read from the recorded process
// starts.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lw::test {

struct ProbeStart {
  std::string commandLine;      // as the program saw it
  std::uint32_t priorityClass;  // GetPriorityClass in the program
  std::uint64_t timeUs;         // when it ran, in microseconds (the sim: its clock)
};

// Puts a probe program at the path, creating the folders on the way.
void InstallProbe(const std::string& path);

// Removes a probe installed by a test outside the scratch folder, once the program that ran
// from it has let go of the file.
void RemoveProbe(const std::string& path);

// The probe starts so far, in the order they ran. Under Wine it waits until count probes have
// written their line or 30 seconds have passed, and returns what is there; tests assert the
// count.
std::vector<ProbeStart> WaitForProbeStarts(std::size_t count);

// The log the probes write under Wine.
std::string ProbeLogPath();

}  // namespace lw::test
