#pragma once
// The backup and restore privileges that loading another user's hive (RegLoadKey) needs,
// enabled once when the program starts and dropped once at exit. Nothing is reported either
// way: without them the hive loads simply fail, and the operations under the mount find no
// key.

namespace lw {

// Enables SeBackupPrivilege, then SeRestorePrivilege, in the process token.
void InitializeHivePrivileges();
// Drops them again (DisableAllPrivileges), only when enabling them succeeded; closes the
// token.
void FinalizeHivePrivileges();
// True when both privileges were enabled by InitializeHivePrivileges and not yet dropped.
bool HivePrivilegesEnabled();

}  // namespace lw
