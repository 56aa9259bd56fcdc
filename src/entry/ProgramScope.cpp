#include "entry/ProgramScope.h"

#include <cstdint>

#include "entry/ProcessUnits.h"
#include "entry/Program.h"
#include "platform/Platform.h"
#include "runner/StartupControl.h"

namespace lw {

namespace {

// A mutex that cannot be created, or that exists already, is held by a running phase (one
// started with administrator rights refuses a standard-rights copy its handle).
bool PhaseRunning(const std::string& pass) {
  const Handle probe = Sys().CreateMutex(false, PhaseMutexName(pass));
  const bool running = Sys().GetLastError() != kErrorSuccess;
  if (probe != 0) Sys().CloseHandle(probe);
  return running;
}

}  // namespace

ProgramScope::ProgramScope() { InitializeProcessUnits(); }

ProgramScope::~ProgramScope() {
  if (mutex_ != 0) Sys().CloseHandle(mutex_);
  if (phase_ != 0) Sys().CloseHandle(phase_);
  FinalizeProcessUnits();
}

bool ProgramScope::ClaimSingleInstance() {
  mutex_ = Sys().CreateMutex(true, InstanceMutexName());
  if (Sys().GetLastError() == kErrorSuccess) return true;
  // The handle of a mutex another copy holds would keep it alive after that copy ended.
  if (mutex_ != 0) Sys().CloseHandle(mutex_);
  mutex_ = 0;
  return false;
}

void ProgramScope::ClaimPhase(const std::string& pass) {
  phase_ = Sys().CreateMutex(true, PhaseMutexName(pass));
}

bool ProgramScope::MayRunBesideOtherPhase(const std::string& pass) {
  if (pass == kPreSwitch) return PhaseRunning(kGoSwitch);
  if (pass != kGoSwitch || !PhaseRunning(kPreSwitch)) return false;
  // The second waits for the first to end (a bounded time), so that it starts nothing before
  // the new items are taken over. A first phase that outlasts the wait (a long take-over, a
  // pause the user holds) does not cost the logon its items: the second runs beside it, and
  // the store lock keeps it from reading a take-over half-done.
  for (std::uint32_t waited = 0; waited < kFirstPhaseWaitMs; waited += kFirstPhasePollMs) {
    Sys().Sleep(kFirstPhasePollMs);
    if (ClaimSingleInstance()) return true;
    // The lock outlived the first phase: another copy holds it.
    if (!PhaseRunning(kPreSwitch)) return false;
  }
  return true;
}

}  // namespace lw
