#include "platform/sim/SimProcessor.h"

#include <cmath>
#include <string>

#include "platform/PerfDataBlock.h"

// Each processor's idle time grows by (100 - its load) percent of the virtual time that
// passes. The time up to the last change of its load is kept as a sum (idleBefore); the time
// since is worked out when asked, so the clock can move by any means (Sleep, Advance, due
// actions) without the processors being told.
//
// The performance data mirror what Windows serves for the Processor object: the "% Processor
// Time" counter holds the idle time in 100 ns (the load is 100 minus its rate), for each
// processor ("0", "1") and for "_Total", their mean; another object comes first, as on a real
// system.

namespace lw::sim {

namespace {

constexpr std::uint64_t k100nsPerMs = 10'000;
constexpr std::uint32_t kSystemObject = 2;
constexpr std::uint32_t kContextSwitchesCounter = 146;
constexpr std::uint32_t kUserTimeCounter = 142;

// The idle time of one processor, in milliseconds, up to the clock's present moment.
double IdleMs(const SimPlatform::State& state, int processor) {
  const ProcessorState::Processor& cpu = state.processors.each[processor];
  const double since = static_cast<double>(state.clock.now - cpu.loadSince);
  return cpu.idleBefore + since * (100.0 - cpu.load) / 100.0;
}

std::uint64_t To100ns(double milliseconds) {
  return static_cast<std::uint64_t>(std::llround(milliseconds * k100nsPerMs));
}

}  // namespace

void SetProcessorLoad(SimPlatform::State& state, int processor, double percent) {
  ProcessorState::Processor& cpu = state.processors.each[processor];
  cpu.idleBefore = IdleMs(state, processor);
  cpu.loadSince = state.clock.now;
  cpu.load = percent;
}

bool SystemTimes(SimPlatform::State& state, std::uint64_t* idle, std::uint64_t* kernel,
                 std::uint64_t* user) {
  if (!state.processors.systemTimesAvailable) {
    state.system.lastError = kErrorNotEnoughMemory;
    return false;
  }
  std::uint64_t idleAll = 0;
  for (int processor = 0; processor < ProcessorState::kCount; ++processor) {
    idleAll += To100ns(IdleMs(state, processor));
  }
  const std::uint64_t elapsedAll = state.clock.now * k100nsPerMs * ProcessorState::kCount;
  const std::uint64_t busy = elapsedAll > idleAll ? elapsedAll - idleAll : 0;
  // A quarter of the busy time goes to the system itself, the rest to programs; Windows counts
  // the idle time as kernel time.
  const std::uint64_t system = busy / 4;
  if (idle != nullptr) *idle = idleAll;
  if (kernel != nullptr) *kernel = idleAll + system;
  if (user != nullptr) *user = busy - system;
  return true;
}

std::vector<std::uint8_t> PerformanceBlock(const SimPlatform::State& state) {
  if (state.processors.performanceSource)
    return state.processors.performanceSource(state.clock.now);
  const std::uint64_t elapsed = state.clock.now * k100nsPerMs;
  perf::ObjectSpec processor;
  processor.titleIndex = kPerfProcessorObject;
  perf::CounterSpec user{kUserTimeCounter, {}};
  perf::CounterSpec idle{kPerfProcessorTimeCounter, {}};
  std::uint64_t idleAll = 0;
  std::uint64_t userAll = 0;
  for (int each = 0; each < ProcessorState::kCount; ++each) {
    const std::uint64_t idleOne = To100ns(IdleMs(state, each));
    const std::uint64_t userOne = elapsed > idleOne ? (elapsed - idleOne) * 3 / 4 : 0;
    processor.instances.push_back(std::to_string(each));
    idle.values.push_back(idleOne);
    user.values.push_back(userOne);
    idleAll += idleOne;
    userAll += userOne;
  }
  processor.instances.push_back("_Total");
  idle.values.push_back(idleAll / ProcessorState::kCount);
  user.values.push_back(userAll / ProcessorState::kCount);
  processor.counters = {user, idle};

  perf::ObjectSpec system;
  system.titleIndex = kSystemObject;
  system.counters.push_back({kContextSwitchesCounter, {state.clock.now * 3}});
  return perf::BuildPerfDataBlock({system, processor}, elapsed);
}

}  // namespace lw::sim
