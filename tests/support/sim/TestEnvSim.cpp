#include "support/TestEnv.h"

namespace lw::test {

namespace {
SimPlatform* current = nullptr;
}

void ResetPlatform() {
  auto sim = std::make_unique<SimPlatform>();
  current = sim.get();
  InstallPlatform(std::move(sim));
  Files().CreateDirectory(ScratchFolder().substr(0, ScratchFolder().size() - 1));
}

bool IsRealWindows() { return false; }

SimPlatform& Sim() { return *current; }

std::string OtherSpelling(const std::string& folder) {
  Sim().MapDrive("S:", folder);
  return "S:\\";
}

}  // namespace lw::test
