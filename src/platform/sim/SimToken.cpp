#include "platform/sim/SimToken.h"

namespace lw::sim {

namespace {

constexpr std::uint32_t kSePrivilegeRemoved = 0x04;

struct KnownPrivilege {
  const char* name;
  std::uint32_t luid;
};

constexpr KnownPrivilege kPrivileges[] = {
    {"SeCreateTokenPrivilege", 2},
    {"SeAssignPrimaryTokenPrivilege", 3},
    {"SeLockMemoryPrivilege", 4},
    {"SeIncreaseQuotaPrivilege", 5},
    {"SeMachineAccountPrivilege", 6},
    {"SeTcbPrivilege", 7},
    {"SeSecurityPrivilege", 8},
    {"SeTakeOwnershipPrivilege", 9},
    {"SeLoadDriverPrivilege", 10},
    {"SeSystemProfilePrivilege", 11},
    {"SeSystemtimePrivilege", 12},
    {"SeProfileSingleProcessPrivilege", 13},
    {"SeIncreaseBasePriorityPrivilege", 14},
    {"SeCreatePagefilePrivilege", 15},
    {"SeCreatePermanentPrivilege", 16},
    {"SeBackupPrivilege", kSeBackupLuid},
    {"SeRestorePrivilege", kSeRestoreLuid},
    {"SeShutdownPrivilege", kSeShutdownLuid},
    {"SeDebugPrivilege", 20},
    {"SeAuditPrivilege", 21},
    {"SeSystemEnvironmentPrivilege", 22},
    {"SeChangeNotifyPrivilege", 23},
    {"SeRemoteShutdownPrivilege", 24},
    {"SeUndockPrivilege", 25},
    {"SeSyncAgentPrivilege", 26},
    {"SeEnableDelegationPrivilege", 27},
    {"SeManageVolumePrivilege", 28},
    {"SeImpersonatePrivilege", 29},
    {"SeCreateGlobalPrivilege", 30},
};

}  // namespace

bool LookupPrivilege(const std::string& name, std::uint32_t* luid) {
  for (const KnownPrivilege& privilege : kPrivileges) {
    if (SameName(name, privilege.name)) {
      *luid = privilege.luid;
      return true;
    }
  }
  return false;
}

bool PrivilegeIsEnabled(const SimPlatform::State& state, std::uint32_t luid) {
  auto found = state.privileges.find(luid);
  return found != state.privileges.end() && found->second.held && found->second.enabled;
}

void GrantAdministratorPrivileges(SimPlatform::State& state) {
  // Held, but disabled until the program enables them, except the three every process has on.
  for (std::uint32_t luid :
       {5u, 8u, 9u, 10u, 11u, 12u, 13u, 14u, 15u, 17u, 18u, 19u, 20u, 22u, 24u, 25u, 28u}) {
    state.privileges[luid] = PrivilegeState{true, false};
  }
  for (std::uint32_t luid : {23u, 29u, 30u}) state.privileges[luid] = PrivilegeState{true, true};
}

bool SimToken::Fail(std::uint32_t error) {
  state_.system.lastError = error;
  return false;
}

bool SimToken::OpenProcessToken(std::uint32_t access, Handle* token) {
  if (token == nullptr) return Fail(kErrorInvalidParameter);
  const Handle handle = state_.NewHandle();
  state_.kernelObjects[handle] = KernelObject{KernelObject::Kind::kToken, std::string(), access};
  *token = handle;
  return true;
}

bool SimToken::LookupPrivilegeValue(const std::string& name, Luid* luid) {
  std::uint32_t value = 0;
  if (!LookupPrivilege(name, &value)) return Fail(kErrorNoSuchPrivilege);
  if (luid != nullptr) *luid = Luid{value, 0};
  return true;
}

bool SimToken::AdjustTokenPrivileges(Handle token, bool disableAll, const Luid& luid,
                                     std::uint32_t attributes) {
  auto found = state_.kernelObjects.find(token);
  if (found == state_.kernelObjects.end() || found->second.kind != KernelObject::Kind::kToken) {
    return Fail(kErrorInvalidHandle);
  }
  if ((found->second.access & kTokenAdjustPrivileges) == 0) return Fail(kErrorAccessDenied);
  if (disableAll) {
    for (auto& [id, privilege] : state_.privileges) privilege.enabled = false;
    state_.system.lastError = kErrorSuccess;
    return true;
  }
  auto privilege = luid.high == 0 ? state_.privileges.find(luid.low) : state_.privileges.end();
  if (privilege == state_.privileges.end() || !privilege->second.held) {
    // Windows reports success and tells through the last error that nothing was assigned.
    state_.system.lastError = kErrorNotAllAssigned;
    return true;
  }
  if (attributes & kSePrivilegeRemoved) {
    privilege->second = PrivilegeState{false, false};
  } else {
    privilege->second.enabled = (attributes & kSePrivilegeEnabled) != 0;
  }
  state_.system.lastError = kErrorSuccess;
  return true;
}

bool SimToken::CloseHandle(Handle handle) { return state_.CloseKernelHandle(handle); }

bool SimToken::LookupAccountSid(const std::string& account, std::string* sid) {
  auto found = state_.accounts.find(account);
  if (found == state_.accounts.end()) return Fail(kErrorNoneMapped);
  *sid = found->second;
  state_.system.lastError = kErrorSuccess;
  return true;
}

bool SimToken::GetProcessUserSid(std::string* sid) {
  if (state_.system.tokenUserSid.empty()) return Fail(kErrorAccessDenied);
  *sid = state_.system.tokenUserSid;
  state_.system.lastError = kErrorSuccess;
  return true;
}

bool SimToken::GetParentProcessId(std::uint32_t* processId) {
  if (state_.system.parentProcessId == 0) return Fail(kErrorInvalidParameter);
  *processId = state_.system.parentProcessId;
  state_.system.lastError = kErrorSuccess;
  return true;
}

bool SimToken::GetOtherProcessUserSid(std::uint32_t processId, std::string* sid) {
  auto found = state_.system.processUsers.find(processId);
  if (found == state_.system.processUsers.end()) return Fail(kErrorInvalidParameter);
  *sid = found->second;
  state_.system.lastError = kErrorSuccess;
  return true;
}

bool SimToken::LookupSidUserName(const std::string& sid, std::string* user) {
  for (const auto& [account, accountSid] : state_.accounts) {
    if (accountSid != sid) continue;
    const std::size_t slash = account.rfind('\\');
    *user = slash == std::string::npos ? account : account.substr(slash + 1);
    state_.system.lastError = kErrorSuccess;
    return true;
  }
  return Fail(kErrorNoneMapped);
}

bool SimToken::IsAdministratorAccount(const std::string& sid) {
  return state_.administratorAccounts.count(sid) != 0;
}

}  // namespace lw::sim
