#include "support/ProbePrograms.h"
#include "support/TestEnv.h"

namespace lw::test {

namespace {

// A simulated program is known by its name's extension; this content tells the probe from
// any other program.
const char kProbeContent[] = "MZ lwprobe";

}  // namespace

void InstallProbe(const std::string& path) { Sim().AddFile(path, kProbeContent); }

void RemoveProbe(const std::string& path) { Files().DeleteFile(path); }

std::vector<ProbeStart> WaitForProbeStarts(std::size_t /*count*/) {
  std::vector<ProbeStart> probes;
  for (const SimPlatform::ProcessStart& start : Sim().ProcessStarts()) {
    std::string content;
    if (!Files().ReadFile(start.image, &content) || content != kProbeContent) continue;
    probes.push_back(ProbeStart{start.commandLine, start.priorityClass, start.time * 1000});
  }
  return probes;
}

}  // namespace lw::test
