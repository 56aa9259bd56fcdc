#include "store/HivePrivileges.h"

#include "platform/Platform.h"

namespace lw {

namespace {

struct HivePrivilegeState {
  bool enabled = false;
  Handle token = 0;
  bool tokenOpen = false;
  Luid restore;
  Luid backup;
};

HivePrivilegeState& State() {
  static HivePrivilegeState state;
  return state;
}

// AdjustTokenPrivileges succeeds also when the token does not hold the privilege; it then
// leaves ERROR_NOT_ALL_ASSIGNED as the last error. Only a privilege really enabled counts.
bool Enable(Handle token, const Luid& luid) {
  Sys().SetLastError(kErrorSuccess);
  if (!Token().AdjustTokenPrivileges(token, false, luid, kSePrivilegeEnabled)) return false;
  return Sys().GetLastError() != kErrorNotAllAssigned;
}

void CloseToken(HivePrivilegeState& state) {
  if (state.tokenOpen) Token().CloseHandle(state.token);
  state.tokenOpen = false;
  state.token = 0;
}

}  // namespace

void InitializeHivePrivileges() {
  HivePrivilegeState& state = State();
  state = HivePrivilegeState();
  Handle token = 0;
  if (!Token().OpenProcessToken(kTokenAdjustPrivileges | kTokenQuery, &token)) return;
  state.token = token;
  state.tokenOpen = true;
  if (!Token().LookupPrivilegeValue("SeRestorePrivilege", &state.restore) ||
      !Token().LookupPrivilegeValue("SeBackupPrivilege", &state.backup) ||
      !Enable(token, state.backup) || !Enable(token, state.restore)) {
    // Nothing to drop at exit: the token is not needed any more.
    CloseToken(state);
    return;
  }
  state.enabled = true;
}

void FinalizeHivePrivileges() {
  HivePrivilegeState& state = State();
  if (state.enabled && HasPlatform()) {
    Token().AdjustTokenPrivileges(state.token, true, state.backup, kSePrivilegeEnabled);
    Token().AdjustTokenPrivileges(state.token, true, state.restore, kSePrivilegeEnabled);
  }
  if (HasPlatform()) CloseToken(state);
  state = HivePrivilegeState();
}

bool HivePrivilegesEnabled() { return State().enabled; }

}  // namespace lw
