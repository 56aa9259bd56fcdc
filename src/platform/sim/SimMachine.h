#pragma once
// The content of a fresh simulated machine: Windows XP Service Pack 3, user "bob" (an
// administrator) logged on, the program installed in C:\Program Files\Launchward.

#include "platform/sim/SimState.h"

namespace lw::sim {

inline constexpr const char* kBobSid = "S-1-5-21-1004336348-1177238915-682003330-1003";
// The process id of bob's Explorer, which starts the program unless a test says otherwise.
inline constexpr std::uint32_t kExplorerProcessId = 1232;
// Where the clock stands when the machine is handed over: a minute after start-up, about when
// the logon runs.
inline constexpr std::uint64_t kStartTick = 60'000;

void BuildDefaultMachine(SimPlatform::State& state);
// The machine becomes 64-bit Windows: HKEY_LOCAL_MACHINE\SOFTWARE gets its 32-bit view under
// "Wow6432Node" (with the Run, RunOnce and App Paths keys) and the Windows folder a SysWOW64
// beside system32; the program runs as a 64-bit process or (the shipped build) a 32-bit one.
void MakeWindows64(SimPlatform::State& state, bool process64);

}  // namespace lw::sim
