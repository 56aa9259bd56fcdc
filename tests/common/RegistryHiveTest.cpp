// Another user's hive through Registry: made with RegSaveKey from a key of our own, loaded
// from <profiles folder><user>\NTuser.dat under HKEY_USERS\Launchward_<user>, written through
// and unloaded again, on the simulation and on the real registry alike.

#include <string>

#include "store/HivePrivileges.h"
#include "store/Registry.h"
#include "support/RawRegistry.h"
#include "support/TestEnv.h"
#include "util/Error.h"

namespace lw::test {
namespace {

const std::string kRun = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kSource = "\\SOFTWARE\\Tallowmere\\HiveSource";

class RegistryHiveTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    InitializeHivePrivileges();
  }
  void TearDown() override {
    // Whatever a failed check left mounted must not outlive the case.
    Reg().UnLoadKey(kHKeyUsers, "Launchward_bob");
    FinalizeHivePrivileges();
  }

  // Writes a hive holding a Run key with one value into <scratch>bob\NTuser.dat.
  std::string MakeHive() {
    SetRawString(kHKeyCurrentUser, kSource + kRun, "Tool", "C:\\tool.exe");
    std::string folder = ScratchFolder() + "bob";
    EXPECT_TRUE(Files().CreateDirectory(folder));
    HKey key = 0;
    EXPECT_EQ(Reg().OpenKeyEx(kHKeyCurrentUser, SeamPath(kSource), kKeyRead, &key),
              static_cast<long>(kErrorSuccess));
    std::string file = folder + "\\NTuser.dat";
    EXPECT_EQ(Reg().SaveKey(key, file), static_cast<long>(kErrorSuccess));
    Reg().CloseKey(key);
    return file;
  }

  Registry reg;
};

TEST_F(RegistryHiveTest, LoadWriteUnloadAndLoadAgain) {
  ASSERT_TRUE(HivePrivilegesEnabled());
  MakeHive();
  for (std::string profiles :
       {ScratchFolder(), ScratchFolder().substr(0, ScratchFolder().size() - 1)}) {
    SCOPED_TRACE(profiles);
    reg.LoadUserHive("bob", profiles);
    EXPECT_EQ(reg.User(), "bob");
    EXPECT_EQ(reg.HiveMountName(), "Launchward_bob");
    const std::string run = reg.HiveMountName() + kRun;
    EXPECT_EQ(reg.GetStringAt(kHKeyUsers, run, "Tool"), "C:\\tool.exe");
    reg.PutStringAt(kHKeyUsers, run, true, "Added", "C:\\added.exe");
    EXPECT_EQ(reg.TakeStringAt(kHKeyUsers, run, "Tool"), "C:\\tool.exe");
    reg.UnloadUserHive();  // would fail while a key under the mount is open
    EXPECT_FALSE(RawKeyExists(kHKeyUsers, "Launchward_bob"));

    reg.LoadUserHive("bob", profiles);
    EXPECT_TRUE(RawKeyExists(kHKeyUsers, run));
    // Windows keeps a loaded hive in its file, so the changes are there at the next load;
    // Wine reads the file once and does not write the mount back.
    if (!IsRealWindows()) {
      EXPECT_EQ(reg.GetStringAt(kHKeyUsers, run, "Added"), "C:\\added.exe");
      EXPECT_EQ(reg.GetStringAt(kHKeyUsers, run, "Tool"), "");
      reg.PutStringAt(kHKeyUsers, run, true, "Tool", "C:\\tool.exe");
      reg.RemoveValueAt(kHKeyUsers, run, "Added");
    }
    reg.UnloadUserHive();
    EXPECT_FALSE(RawKeyExists(kHKeyUsers, "Launchward_bob"));
  }
}

TEST_F(RegistryHiveTest, AMissingHiveFailsSilentlyAndWritesUnderItRaise) {
  reg.LoadUserHive("bob", ScratchFolder());  // no hive file there
  const std::string run = reg.HiveMountName() + kRun;
  EXPECT_EQ(reg.GetStringAt(kHKeyUsers, run, "Tool"), "");
  try {
    reg.PutStringAt(kHKeyUsers, run, false, "Tool", "x");
    ADD_FAILURE() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(std::string(error.what()), "Unable to open : " + run);
  }
  reg.UnloadUserHive();
}

}  // namespace
}  // namespace lw::test
