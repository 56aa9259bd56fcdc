#pragma once
// What must hold at each stage of the demo logon. Each check gathers every fault it finds and
// raises one Error that lists them all.

#include <string>

namespace lw::demo {

// Every demo item sits in its Run key or Startup folder, and Launchward is registered in the
// machine's Run ("-go") and RunOnce ("-pre") keys.
void CheckPlanted(const std::string& program, const std::string& launchward);
// Phase 1 took every demo item over: none is left in a Run key or Startup folder, each run-key
// item is in the run order with its command, each shortcut in the startup order and in the
// shortcut store; Launchward's Run value is back, its RunOnce value gone, and "RUNONCE" marks
// the pending second phase.
void CheckAfterPhase1(const std::string& program, const std::string& launchward);
// Phase 2 registered Launchward again for the next logon (Run "-go" and RunOnce "-pre") and
// cleared the "RUNONCE" mark.
void CheckAfterPhase2(const std::string& launchward);
// Every planted item is back in its Run key or Startup folder with its command, the store is
// empty, and Launchward is no longer registered.
void CheckAfterRestore(const std::string& program, const std::string& launchward);

}  // namespace lw::demo
