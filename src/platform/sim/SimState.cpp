#include "platform/sim/SimState.h"

#include <utility>

namespace lw {

Handle SimPlatform::State::NewHandle() {
  // Steps of four, as Windows hands them out; values are never reused, so a stale handle is
  // always caught as invalid.
  const Handle handle = nextHandle;
  nextHandle += 4;
  return handle;
}

bool SimPlatform::State::CountChange(std::uint32_t* error) {
  ++changes;
  if (failChange != 0 && changes == failChange) {
    *error = failError;
    return false;
  }
  return true;
}

bool SimPlatform::State::CloseKernelHandle(Handle handle) {
  auto found = kernelObjects.find(handle);
  if (found == kernelObjects.end()) {
    system.lastError = kErrorInvalidHandle;
    return false;
  }
  if (found->second.kind == sim::KernelObject::Kind::kMutex && !found->second.name.empty()) {
    // A named mutex lives while a handle to it is open; with the last one its ownership goes.
    auto count = system.mutexHandles.find(found->second.name);
    if (count != system.mutexHandles.end() && --count->second <= 0) {
      system.mutexHandles.erase(count);
      system.mutexOwners.erase(found->second.name);
    }
  }
  if (found->second.kind == sim::KernelObject::Kind::kJob &&
      (processes.jobLimits[found->second.start] & kJobObjectLimitKillOnJobClose) != 0) {
    for (SimPlatform::ProcessStart& start : processes.starts) {
      if (start.job == static_cast<int>(found->second.start)) start.ended = true;
    }
  }
  kernelObjects.erase(found);
  return true;
}

void SimPlatform::State::RunDueActions(std::uint64_t until) {
  // An action may sleep or schedule further actions itself, so the queue is read afresh after
  // each one and the action is taken out before it runs.
  while (!clock.actions.empty()) {
    auto first = clock.actions.begin();
    if (first->first > until) break;
    if (first->first > clock.now) clock.now = first->first;
    std::function<void()> action = std::move(first->second);
    clock.actions.erase(first);
    if (action) action();
  }
}

void SimPlatform::State::NoteRegistryCall() {
  if (!beforeRegistryCall || inRegistryHook) return;
  inRegistryHook = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{inRegistryHook};
  // A copy, so that the hook may replace or end itself.
  const std::function<void()> hook = beforeRegistryCall;
  hook();
}

}  // namespace lw
