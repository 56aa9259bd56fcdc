// The simulated registry's own staging and the behaviour tests lean on: keys that refuse
// writes, guarded values, handle bookkeeping, hive files, performance data.

#include <cstring>
#include <string>
#include <vector>

#include "support/TestEnv.h"

namespace lw::test {
namespace {

const std::string kRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kProgram = "SOFTWARE\\Tallowmere\\Launchward";

long Write(HKey root, const std::string& path, const std::string& name, const std::string& text) {
  HKey key = 0;
  long result = Reg().CreateKeyEx(root, path, kKeyAllAccess, &key, nullptr);
  if (result != kErrorSuccess) return result;
  result = Reg().SetValueEx(key, name, kRegSz, text.c_str(),
                            static_cast<std::uint32_t>(text.size() + 1));
  Reg().CloseKey(key);
  return result;
}

std::string Read(HKey root, const std::string& path, const std::string& name) {
  HKey key = 0;
  if (Reg().OpenKeyEx(root, path, kKeyRead, &key) != kErrorSuccess) return "<no key>";
  char buffer[256] = {};
  std::uint32_t size = sizeof buffer;
  const long result = Reg().QueryValueEx(key, name, nullptr, buffer, &size);
  Reg().CloseKey(key);
  return result == kErrorSuccess ? std::string(buffer) : "<missing>";
}

std::vector<std::string> ValueNames(HKey root, const std::string& path) {
  std::vector<std::string> names;
  HKey key = 0;
  if (Reg().OpenKeyEx(root, path, kKeyRead, &key) != kErrorSuccess) return names;
  std::string name;
  for (std::uint32_t i = 0; Reg().EnumValue(key, i, &name) == kErrorSuccess; ++i) {
    names.push_back(name);
  }
  Reg().CloseKey(key);
  return names;
}

bool KeyExists(HKey root, const std::string& path) {
  HKey key = 0;
  if (Reg().OpenKeyEx(root, path, kKeyRead, &key) != kErrorSuccess) return false;
  Reg().CloseKey(key);
  return true;
}

void EnableHivePrivileges() {
  Handle token = 0;
  ASSERT_TRUE(Token().OpenProcessToken(kTokenAdjustPrivileges | kTokenQuery, &token));
  for (const char* name : {"SeBackupPrivilege", "SeRestorePrivilege"}) {
    Luid luid;
    ASSERT_TRUE(Token().LookupPrivilegeValue(name, &luid));
    ASSERT_TRUE(Token().AdjustTokenPrivileges(token, false, luid, kSePrivilegeEnabled));
  }
  Token().CloseHandle(token);
}

using SimRegistryTest = PlatformTest;

TEST_F(SimRegistryTest, ADeniedSubtreeRefusesEveryWriteAndStillReads) {
  ASSERT_EQ(Write(kHKeyLocalMachine, kProgram, "v", "old"), 0);
  HKey openedBefore = 0;
  ASSERT_EQ(Reg().OpenKeyEx(kHKeyLocalMachine, kProgram, kKeyAllAccess, &openedBefore), 0);
  Sim().DenyKeyWrites(kHKeyLocalMachine, "SOFTWARE\\Tallowmere");

  HKey key = 0;
  EXPECT_EQ(Reg().OpenKeyEx(kHKeyLocalMachine, kProgram, kKeyAllAccess, &key), 5);
  EXPECT_EQ(Reg().OpenKeyEx(kHKeyLocalMachine, kProgram, kKeySetValue, &key), 5);
  EXPECT_EQ(Reg().CreateKeyEx(kHKeyLocalMachine, kProgram, kKeyWrite, &key, nullptr), 5);
  EXPECT_EQ(Reg().CreateKeyEx(kHKeyLocalMachine, kProgram + "\\New", kKeyRead, &key, nullptr), 5);
  EXPECT_EQ(Reg().DeleteKey(kHKeyLocalMachine, kProgram), 5);
  EXPECT_EQ(Reg().SetValueEx(openedBefore, "v", kRegSz, "new", 4), 5);
  EXPECT_EQ(Reg().DeleteValue(openedBefore, "v"), 5);
  Reg().CloseKey(openedBefore);
  EXPECT_EQ(Read(kHKeyLocalMachine, kProgram, "v"), "old");
  EXPECT_FALSE(KeyExists(kHKeyLocalMachine, kProgram + "\\New"));
  EXPECT_EQ(Write(kHKeyLocalMachine, "SOFTWARE\\Elsewhere", "v", "x"), 0);

  // Asking for whatever is allowed gives a handle that reads and cannot write.
  constexpr std::uint32_t kMaximumAllowed = 0x02000000;
  ASSERT_EQ(Reg().OpenKeyEx(kHKeyLocalMachine, kProgram, kMaximumAllowed, &key), 0);
  EXPECT_EQ(Reg().SetValueEx(key, "v", kRegSz, "new", 4), 5);
  Reg().CloseKey(key);

  // A subtree allowed inside the denied one, then the whole root allowed again.
  Sim().AllowKeyWrites(kHKeyLocalMachine, kProgram);
  EXPECT_EQ(Write(kHKeyLocalMachine, kProgram + "\\Run", "a", "1"), 0);
  EXPECT_EQ(Write(kHKeyLocalMachine, "SOFTWARE\\Tallowmere\\Sibling", "a", "1"), 5);
  Sim().AllowKeyWrites(kHKeyLocalMachine, "");
  EXPECT_EQ(Write(kHKeyLocalMachine, "SOFTWARE\\Tallowmere\\Sibling", "a", "1"), 0);
}

TEST_F(SimRegistryTest, DenyingAWholeRootLeavesTheOtherRootsAlone) {
  Sim().DenyKeyWrites(kHKeyLocalMachine, "");
  EXPECT_EQ(Write(kHKeyLocalMachine, kRun, "Tool", "t.exe"), 5);
  EXPECT_EQ(Write(kHKeyCurrentUser, kRun, "Tool", "t.exe"), 0);
  // Staging creates the key it names.
  Sim().DenyKeyWrites(kHKeyCurrentUser, "Software\\Staged");
  EXPECT_TRUE(KeyExists(kHKeyCurrentUser, "Software\\Staged"));
  EXPECT_EQ(Write(kHKeyCurrentUser, "SOFTWARE\\STAGED\\Below", "v", "x"), 5);
}

TEST_F(SimRegistryTest, GuardedValuesComeBackOrStay) {
  for (const char* name : {"A", "B", "C"}) ASSERT_EQ(Write(kHKeyLocalMachine, kRun, name, name), 0);
  Sim().GuardValue(kHKeyLocalMachine, "software\\microsoft\\windows\\currentversion\\run", "b",
                   SimPlatform::Guard::kRewrite);
  Sim().GuardValue(kHKeyLocalMachine, kRun, "C", SimPlatform::Guard::kRefuseDelete);
  HKey key = 0;
  ASSERT_EQ(Reg().OpenKeyEx(kHKeyLocalMachine, kRun, kKeyAllAccess, &key), 0);
  EXPECT_EQ(Reg().DeleteValue(key, "B"), 0);  // the delete itself succeeds...
  EXPECT_EQ(Reg().DeleteValue(key, "C"), 5);
  EXPECT_EQ(Reg().DeleteValue(key, "A"), 0);
  Reg().CloseKey(key);
  // ...and the other program has written B back: the newest value now, with its data.
  EXPECT_EQ(ValueNames(kHKeyLocalMachine, kRun), (std::vector<std::string>{"C", "B"}));
  EXPECT_EQ(Read(kHKeyLocalMachine, kRun, "B"), "B");
}

TEST_F(SimRegistryTest, HandlesAreCountedAndSeeTheirKeyDeleted) {
  ASSERT_EQ(Write(kHKeyCurrentUser, "Software\\Gone", "v", "x"), 0);
  EXPECT_EQ(Sim().OpenKeyCount(), 0);
  HKey first = 0;
  HKey second = 0;
  ASSERT_EQ(Reg().OpenKeyEx(kHKeyCurrentUser, "Software\\Gone", kKeyAllAccess, &first), 0);
  ASSERT_EQ(Reg().OpenKeyEx(kHKeyCurrentUser, "Software\\Gone", kKeyAllAccess, &second), 0);
  EXPECT_NE(first, second);
  EXPECT_EQ(Sim().OpenKeyCount(), 2);
  EXPECT_EQ(Reg().CloseKey(second), 0);
  EXPECT_EQ(Reg().CloseKey(second), 6);
  EXPECT_EQ(Reg().CloseKey(kHKeyLocalMachine), 0);  // a root is never really open
  EXPECT_EQ(Sim().OpenKeyCount(), 1);

  ASSERT_EQ(Reg().DeleteKey(kHKeyCurrentUser, "Software\\Gone"), 0);
  ASSERT_EQ(Write(kHKeyCurrentUser, "Software\\Gone", "v", "new"), 0);
  std::uint32_t size = 0;
  std::string name;
  EXPECT_EQ(Reg().QueryValueEx(first, "v", nullptr, nullptr, &size), 1018);
  EXPECT_EQ(Reg().SetValueEx(first, "v", kRegSz, "y", 2), 1018);
  EXPECT_EQ(Reg().EnumValue(first, 0, &name), 1018);
  EXPECT_EQ(Reg().CloseKey(first), 0);
  EXPECT_EQ(Sim().OpenKeyCount(), 0);
}

TEST_F(SimRegistryTest, OnlyHivesLiveDirectlyBelowTheMachineAndUsersRoots) {
  HKey key = 0;
  EXPECT_EQ(Reg().CreateKeyEx(kHKeyLocalMachine, "NewTop", kKeyAllAccess, &key, nullptr), 5);
  EXPECT_EQ(Reg().CreateKeyEx(kHKeyUsers, "Launchward_bob\\SOFTWARE", kKeyAllAccess, &key, nullptr),
            5);
  EXPECT_EQ(Write(kHKeyLocalMachine, "SOFTWARE\\NewBelow", "v", "x"), 0);
  // HKEY_CURRENT_USER is bob's key under HKEY_USERS; HKEY_CLASSES_ROOT the machine's classes.
  ASSERT_EQ(Write(kHKeyCurrentUser, "Software\\Seen", "v", "cu"), 0);
  ASSERT_EQ(Write(kHKeyClassesRoot, ".lwt", "", "class"), 0);
  EXPECT_EQ(Read(kHKeyLocalMachine, "SOFTWARE\\Classes\\.lwt", ""), "class");
  HKey users = 0;
  ASSERT_EQ(Reg().OpenKeyEx(kHKeyUsers, "", kKeyRead, &users), 0);
  std::string sid;
  for (std::uint32_t i = 0; Reg().EnumKeyEx(users, i, &sid) == kErrorSuccess; ++i) {
    if (sid.rfind("S-1-5-21-", 0) == 0) break;
  }
  Reg().CloseKey(users);
  EXPECT_EQ(Read(kHKeyUsers, sid + "\\Software\\Seen", "v"), "cu");
}

TEST_F(SimRegistryTest, HivesRoundTripThroughTheirFiles) {
  EnableHivePrivileges();
  ASSERT_EQ(Write(kHKeyCurrentUser, "Software\\Src\\" + kRun, "Tool", "t.exe"), 0);
  HKey source = 0;
  ASSERT_EQ(Reg().OpenKeyEx(kHKeyCurrentUser, "Software\\Src", kKeyRead, &source), 0);
  const std::string file = ScratchFolder() + "NTuser.dat";
  ASSERT_EQ(Reg().SaveKey(source, file), 0);
  EXPECT_EQ(Reg().SaveKey(source, file), 183);  // never over an existing file
  ASSERT_EQ(Reg().SaveKey(source, ScratchFolder() + "other.dat"), 0);
  Reg().CloseKey(source);

  ASSERT_EQ(Reg().LoadKey(kHKeyUsers, "Launchward_bob", file), 0);
  EXPECT_EQ(Read(kHKeyUsers, "Launchward_bob\\" + kRun, "Tool"), "t.exe");
  EXPECT_EQ(Reg().LoadKey(kHKeyUsers, "Launchward_bob", ScratchFolder() + "other.dat"), 183);
  // While loaded, the registry holds the file.
  std::string bytes;
  EXPECT_FALSE(Files().ReadFile(file, &bytes));
  EXPECT_EQ(Sys().GetLastError(), 32u);
  EXPECT_FALSE(Files().DeleteFile(file));
  EXPECT_EQ(Reg().LoadKey(kHKeyUsers, "Second", file), 32);

  ASSERT_EQ(Write(kHKeyUsers, "Launchward_bob\\" + kRun, "Added", "a.exe"), 0);
  HKey inside = 0;
  ASSERT_EQ(Reg().OpenKeyEx(kHKeyUsers, "Launchward_bob\\SOFTWARE", kKeyRead, &inside), 0);
  EXPECT_EQ(Reg().UnLoadKey(kHKeyUsers, "Launchward_bob"), 5);  // a handle is still open in it
  Reg().CloseKey(inside);
  ASSERT_EQ(Reg().UnLoadKey(kHKeyUsers, "Launchward_bob"), 0);
  EXPECT_FALSE(KeyExists(kHKeyUsers, "Launchward_bob"));
  EXPECT_EQ(Reg().UnLoadKey(kHKeyUsers, "Launchward_bob"), 2);
  EXPECT_TRUE(Files().ReadFile(file, &bytes));

  // The change made through the mount went back to the file.
  ASSERT_EQ(Reg().LoadKey(kHKeyLocalMachine, "Again", file), 0);
  EXPECT_EQ(ValueNames(kHKeyLocalMachine, "Again\\" + kRun),
            (std::vector<std::string>{"Tool", "Added"}));
  EXPECT_EQ(Reg().UnLoadKey(kHKeyLocalMachine, "Again"), 0);
}

TEST_F(SimRegistryTest, LoadingAHiveNeedsThePrivilegesAndAFileThatIsFree) {
  const std::string bobs = "C:\\Documents and Settings\\bob\\NTUSER.DAT";
  const std::string defaults = "C:\\Documents and Settings\\Default User\\NTUSER.DAT";
  const struct {
    const char* title;
    bool enable;
    std::string file;
    HKey root;
    long expected;
  } cases[] = {
      {"no privilege enabled", false, defaults, kHKeyUsers, 1314},
      {"a user logged on: his hive is in use", true, bobs, kHKeyUsers, 32},
      {"missing file", true, ScratchFolder() + "none.dat", kHKeyUsers, 2},
      {"missing folder", true, ScratchFolder() + "none\\x.dat", kHKeyUsers, 3},
      {"not a hive", true, ScratchFolder() + "text.dat", kHKeyUsers, 1009},
      {"not a hive root", true, defaults, kHKeyCurrentUser, 87},
      {"another user's hive", true, defaults, kHKeyUsers, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    ResetPlatform();
    Sim().AddFile(ScratchFolder() + "text.dat", "plain text");
    if (c.enable) EnableHivePrivileges();
    EXPECT_EQ(Reg().LoadKey(c.root, "Launchward_x", c.file), c.expected);
    EXPECT_EQ(KeyExists(kHKeyUsers, "Launchward_x\\Software"), c.expected == 0);
  }
  // A privilege the user does not hold cannot be enabled at all.
  ResetPlatform();
  Sim().SetPrivilegeHeld("SeRestorePrivilege", false);
  EnableHivePrivileges();
  EXPECT_FALSE(Sim().PrivilegeEnabled("SeRestorePrivilege"));
  EXPECT_EQ(Reg().LoadKey(kHKeyUsers, "Launchward_x", defaults), 1314);
}

TEST_F(SimRegistryTest, PerformanceDataServesTheStagedBlockLikeTheRealKey) {
  Sim().SetPerformanceData({});  // a machine without performance data
  std::vector<std::uint8_t> buffer(1000, 0xAB);
  std::uint32_t size = 1000;
  EXPECT_EQ(Reg().QueryValueEx(kHKeyPerformanceData, "238", nullptr, buffer.data(), &size), 2);

  std::vector<std::uint8_t> block(2500);
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(i * 7);
  Sim().SetPerformanceData(block);
  HKey performance = 0;
  ASSERT_EQ(Reg().ConnectRegistry("", kHKeyPerformanceData, &performance), 0);
  EXPECT_EQ(performance, kHKeyPerformanceData);
  EXPECT_EQ(Reg().ConnectRegistry("\\\\ELSEWHERE", kHKeyPerformanceData, &performance), 53);
  // Too small: more data, and the size says nothing about what is needed.
  long result = Reg().QueryValueEx(performance, "238", nullptr, buffer.data(), &size);
  EXPECT_EQ(result, 234);
  EXPECT_EQ(size, 1000u);
  EXPECT_EQ(buffer[0], 0xAB);
  // The caller grows the buffer until the block fits.
  std::uint32_t type = 0;
  while (result == 234) {
    buffer.resize(buffer.size() + 1000);
    size = static_cast<std::uint32_t>(buffer.size());
    result = Reg().QueryValueEx(performance, "Global", &type, buffer.data(), &size);
  }
  EXPECT_EQ(result, 0);
  EXPECT_EQ(size, 2500u);
  EXPECT_EQ(type, kRegBinary);
  EXPECT_EQ(std::memcmp(buffer.data(), block.data(), block.size()), 0);
  EXPECT_EQ(Reg().CloseKey(performance), 0);
}

}  // namespace
}  // namespace lw::test
