#pragma once
// The simulated token's rights: an administrator's full token (a fresh machine's) or the
// standard-rights token UAC gives every program started at logon.

#include "platform/sim/SimState.h"

namespace lw::sim {

// Switches the token: see SimPlatform::SetStandardRights.
void SetStandardRights(SimPlatform::State& state, bool standard);

// The full token for the length of a scope (an elevated program's run), then the token as
// it was.
class ElevatedScope {
 public:
  explicit ElevatedScope(SimPlatform::State& state);
  ~ElevatedScope();
  ElevatedScope(const ElevatedScope&) = delete;
  ElevatedScope& operator=(const ElevatedScope&) = delete;

 private:
  SimPlatform::State& state_;
  bool wasStandard_;
};

}  // namespace lw::sim
