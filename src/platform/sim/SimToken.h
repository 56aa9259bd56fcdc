#pragma once
// The simulated process token: the privileges the user holds and which of them are enabled.

#include <cstdint>
#include <string>

#include "platform/sim/SimState.h"

namespace lw::sim {

// The locally unique ids Windows gives its privileges (the same numbers on every NT system).
inline constexpr std::uint32_t kSeShutdownLuid = 19;
inline constexpr std::uint32_t kSeBackupLuid = 17;
inline constexpr std::uint32_t kSeRestoreLuid = 18;

// False for a name Windows does not know.
bool LookupPrivilege(const std::string& name, std::uint32_t* luid);
bool PrivilegeIsEnabled(const SimPlatform::State& state, std::uint32_t luid);
// The token of an administrator of Windows XP: many privileges held, few enabled.
void GrantAdministratorPrivileges(SimPlatform::State& state);

class SimToken : public IToken {
 public:
  explicit SimToken(SimPlatform::State& state) : state_(state) {}

  bool OpenProcessToken(std::uint32_t access, Handle* token) override;
  bool LookupPrivilegeValue(const std::string& name, Luid* luid) override;
  bool AdjustTokenPrivileges(Handle token, bool disableAll, const Luid& luid,
                             std::uint32_t attributes) override;
  bool CloseHandle(Handle handle) override;
  bool LookupAccountSid(const std::string& account, std::string* sid) override;
  bool GetProcessUserSid(std::string* sid) override;
  bool GetParentProcessId(std::uint32_t* processId) override;
  bool GetOtherProcessUserSid(std::uint32_t processId, std::string* sid) override;
  bool LookupSidUserName(const std::string& sid, std::string* user) override;
  // The SIDs staged with SetAdministratorAccount.
  bool IsAdministratorAccount(const std::string& sid) override;

 private:
  bool Fail(std::uint32_t error);
  SimPlatform::State& state_;
};

}  // namespace lw::sim
