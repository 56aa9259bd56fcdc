#pragma once
// Another account on the simulated machine, for the tests of items that belong to somebody
// else: alice, with a profile folder that the system's profile list names and a hive file of
// her own, whose Run key holds one value of hers ("Theirs") and nothing of the program's.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "store/SettingsStore.h"
#include "store/UserProfiles.h"
#include "support/RawRegistry.h"
#include "support/TestEnv.h"

namespace lw::test {

inline constexpr char kAliceSid[] = "S-1-5-21-7-7-7-1001";
inline constexpr char kAliceProfile[] = "C:\\Documents and Settings\\alice";
inline constexpr char kAliceHive[] = "C:\\Documents and Settings\\alice\\NTUSER.DAT";

// Saves a hive file whose Run key holds "Theirs" and nothing else.
inline void MakeHiveFile(const std::string& file) {
  const std::string source = "\\SOFTWARE\\Tallowmere\\Source";
  SetRawString(kHKeyCurrentUser, source + kRunKey, "Theirs", "C:\\theirs.exe");
  HKey key = 0;
  ASSERT_EQ(Reg().OpenKeyEx(kHKeyCurrentUser, SeamPath(source), kKeyRead, &key), 0);
  ASSERT_EQ(Reg().SaveKey(key, file), 0);
  Reg().CloseKey(key);
  DeleteKeyTree(kHKeyCurrentUser, SeamPath(source));
}

// Alice's account, her profile folder (listed under her SID as written in listed, or as the
// folder's path) and her hive file in it; returns the hive file's path.
inline std::string StageAlice(const std::string& folder = kAliceProfile,
                              const std::string& listed = std::string()) {
  Sim().AddFolder(folder);
  Sim().AddAccount("alice", kAliceSid);
  SetRawExpandString(kHKeyLocalMachine, std::string(kProfileListKey) + "\\" + kAliceSid,
                     kProfileImagePathValue, listed.empty() ? folder : listed);
  MakeHiveFile(folder + "\\NTUSER.DAT");
  return folder + "\\NTUSER.DAT";
}

// Runs what with the hive file loaded under HKEY_USERS\<mount>, giving it the path of the
// hive's Run key below HKEY_USERS.
inline void InHive(const std::string& file, const std::string& mount,
                   const std::function<void(const std::string& runKey)>& what) {
  ASSERT_EQ(Reg().LoadKey(kHKeyUsers, mount, file), 0);
  what(mount + kRunKey);
  EXPECT_EQ(Reg().UnLoadKey(kHKeyUsers, mount), 0);
}

}  // namespace lw::test
