// Mutex ownership on the simulated machine. The calls come from one process at a time (the
// program's own, or another that a test runs through SimPlatform::AsAnotherProcess); a mutex
// that another process owns, or holds through SimPlatform::HoldMutex, keeps a wait until the
// clock has run on for the wait's time, during which an At() action may let it go.

#include "platform/sim/SimSystem.h"

namespace lw::sim {

namespace {

bool OwnedElsewhere(const SimPlatform::State& state, const std::string& key) {
  if (state.system.heldMutexes.count(key) != 0) return true;
  auto owner = state.system.mutexOwners.find(key);
  return owner != state.system.mutexOwners.end() && owner->second.first != state.system.process;
}

}  // namespace

Handle SimSystem::CreateMutexWithSddl(bool initialOwner, const std::string& name,
                                      const std::string& sddl) {
  // Only a discretionary list is given here; anything else would be refused by the conversion.
  if (sddl.compare(0, 2, "D:") != 0) {
    state_.system.lastError = kErrorInvalidParameter;
    return 0;
  }
  return CreateMutex(initialOwner, name);
}

std::uint32_t SimSystem::WaitForMutex(const std::string& key, std::uint32_t milliseconds) {
  const std::string owned = key.empty() ? std::string("\n") : key;
  if (OwnedElsewhere(state_, owned)) {
    const std::uint64_t until = state_.clock.now + milliseconds;
    state_.RunDueActions(until);
    if (state_.clock.now < until) state_.clock.now = until;
    if (OwnedElsewhere(state_, owned)) return kWaitTimeout;
  }
  auto& owner = state_.system.mutexOwners[owned];
  if (owner.first != state_.system.process) owner = {state_.system.process, 0};
  ++owner.second;
  return kWaitObject0;
}

bool SimSystem::ReleaseMutex(Handle mutex) {
  auto found = state_.kernelObjects.find(mutex);
  if (found == state_.kernelObjects.end() || found->second.kind != KernelObject::Kind::kMutex) {
    state_.system.lastError = kErrorInvalidHandle;
    return false;
  }
  const std::string key = found->second.name.empty() ? std::string("\n") : found->second.name;
  auto owner = state_.system.mutexOwners.find(key);
  if (owner == state_.system.mutexOwners.end() || owner->second.first != state_.system.process) {
    state_.system.lastError = kErrorNotOwner;
    return false;
  }
  if (--owner->second.second <= 0) state_.system.mutexOwners.erase(owner);
  return true;
}

}  // namespace lw::sim
