#include "store/UnitTokenPrivs.h"

#include "platform/Platform.h"

namespace lw {

namespace {

struct TokenPrivs {
  bool enabled = false;
  Handle token = 0;
  bool tokenOpen = false;
  Luid restore;
  Luid backup;
};

TokenPrivs& State() {
  static TokenPrivs state;
  return state;
}

// AdjustTokenPrivileges succeeds also when the token does not hold the privilege; it then
// leaves ERROR_NOT_ALL_ASSIGNED as the last error. Only a privilege really enabled counts.
bool Enable(Handle token, const Luid& luid) {
  Sys().SetLastError(kErrorSuccess);
  if (!Token().AdjustTokenPrivileges(token, false, luid, kSePrivilegeEnabled)) return false;
  return Sys().GetLastError() != kErrorNotAllAssigned;
}

void CloseToken(TokenPrivs& state) {
  if (state.tokenOpen) Token().CloseHandle(state.token);
  state.tokenOpen = false;
  state.token = 0;
}

}  // namespace

void InitializeUnitTokenPrivs() {
  TokenPrivs& state = State();
  state = TokenPrivs();
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

void FinalizeUnitTokenPrivs() {
  TokenPrivs& state = State();
  if (state.enabled && HasPlatform()) {
    Token().AdjustTokenPrivileges(state.token, true, state.backup, kSePrivilegeEnabled);
    Token().AdjustTokenPrivileges(state.token, true, state.restore, kSePrivilegeEnabled);
  }
  if (HasPlatform()) CloseToken(state);
  state = TokenPrivs();
}

bool TokenPrivsEnabled() { return State().enabled; }

}  // namespace lw
