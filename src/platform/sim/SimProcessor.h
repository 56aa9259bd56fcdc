#pragma once
// The simulated processors: their load over the virtual clock, GetSystemTimes and the
// performance data made from it.

#include <cstdint>
#include <vector>

#include "platform/sim/SimState.h"

namespace lw::sim {

// From the clock's present moment on, the processor runs at the load (percent).
void SetProcessorLoad(SimPlatform::State& state, int processor, double percent);

// GetSystemTimes of the machine at the clock's present moment; false (kErrorNotEnoughMemory in
// the last error) while the staging says it is unavailable.
bool SystemTimes(SimPlatform::State& state, std::uint64_t* idle, std::uint64_t* kernel,
                 std::uint64_t* user);

// The performance data served at the clock's present moment: the staged block or source, else
// the block made from the load. Empty: the query fails with kErrorFileNotFound.
std::vector<std::uint8_t> PerformanceBlock(const SimPlatform::State& state);

}  // namespace lw::sim
