// Task Manager's start-up switches: an item the user switched off there is taken over as a
// disabled item, and the switches are left exactly as they were, so that an item given back
// shows in Task Manager as before. Values of the user's Run key and of both views of the
// machine's, shortcuts of the user's and the All Users folder. On the simulation the program
// runs as the shipped 32-bit process on 64-bit Windows.

#include <algorithm>
#include <string>
#include <vector>

#include "install/StartupMover.h"
#include "items/StartupApproval.h"
#include "support/TakeOverFixture.h"
#include "util/WindowsBitness.h"

namespace lw::test {
namespace {

const std::string kApproved = kStartupApprovedKey;

class TaskManagerSwitchesTest : public TakeOverFixture {
 protected:
  void SetUp() override {
    TakeOverFixture::SetUp();
    if (!StartOn64BitWindows()) GTEST_SKIP() << "needs 64-bit Windows";
    for (HKey root : {kHKeyCurrentUser, kHKeyLocalMachine})
      DeleteKeyTree(root, kApproved.substr(1));
  }

  // A switch as Task Manager writes it: the state, then the FILETIME of the change.
  static void Switch(HKey root, const std::string& subKey, const std::string& name,
                     unsigned char state) {
    InRawView in(kKeyWow64_64Key);
    std::string bytes(12, '\0');
    bytes[0] = static_cast<char>(state);
    bytes[8] = '\x5a';
    bytes[11] = '\x01';
    SetRaw(root, kApproved + "\\" + subKey, name, kRegBinary, bytes);
  }
  static std::string Switches() {
    InRawView in(kKeyWow64_64Key);
    return DumpTree(kHKeyCurrentUser, kApproved) + DumpTree(kHKeyLocalMachine, kApproved);
  }
  static void Plant(std::uint32_t view, const std::string& name) {
    InRawView in(view);
    SetRawString(kHKeyLocalMachine, kRunKey, name, name + ".exe");
  }
};

TEST_F(TaskManagerSwitchesTest, SwitchedOffItemsAreTakenOverDisabledAndTheSwitchesStayAsTheyWere) {
  Run(kHKeyCurrentUser, "UserOff", "UserOff.exe");
  Run(kHKeyCurrentUser, "UserOn", "UserOn.exe");
  Plant(kKeyWow64_32Key, "Off32");
  Plant(kKeyWow64_32Key, "On32");
  Plant(kKeyWow64_32Key, "Elsewhere");  // its switch is the 64-bit view's namesake's
  Plant(kKeyWow64_64Key, "Off64");
  Switch(kHKeyCurrentUser, "Run", "UserOff", 3);
  Switch(kHKeyCurrentUser, "Run", "UserOn", 2);
  Switch(kHKeyLocalMachine, "Run32", "Off32", 7);
  Switch(kHKeyLocalMachine, "Run32", "On32", 6);
  Switch(kHKeyLocalMachine, "Run", "Elsewhere", 3);
  Switch(kHKeyLocalMachine, "Run", "Off64", 3);
  Link(userFolder, "UserOff.lnk", "C:\\Tools\\a.exe");
  Link(commonFolder, "CommonOff.lnk", "C:\\Tools\\b.exe");
  Link(commonFolder, "CommonOn.lnk", "C:\\Tools\\c.exe");
  Switch(kHKeyCurrentUser, "StartupFolder", "UserOff.lnk", 3);
  Switch(kHKeyLocalMachine, "StartupFolder", "CommonOff.lnk", 7);
  Switch(kHKeyLocalMachine, "StartupFolder", "CommonOn.lnk", 2);
  const std::string before = Switches();

  Pass();
  const std::string userOff = Stored(kHKeyCurrentUser, "UserOff");
  EXPECT_EQ(Store(kRunDisabledKey), (ValueMap{{userOff, "UserOff.exe"},
                                              {"Off32", "Off32.exe"},
                                              {"Off64 (64-bit)", "Off64.exe"}}));
  std::vector<std::string> sorted = SortEntries(kRunSortKey);
  std::sort(sorted.begin(), sorted.end());  // Wine lists values by name, Windows as created
  EXPECT_EQ(sorted,
            (std::vector<std::string>{"Elsewhere", "On32", Stored(kHKeyCurrentUser, "UserOn")}));
  EXPECT_EQ(Store(kRunNewItemsKey).size(), 6u);  // new all the same
  EXPECT_EQ(Store(kStartupDisableKey), (ValueMap{{"UserOff.lnk", store + "UserOff.lnk"},
                                                 {"CommonOff.lnk", store + "CommonOff.lnk"}}));
  EXPECT_EQ(SortEntries(kStartupSortKey), (std::vector<std::string>{store + "CommonOn.lnk"}));
  EXPECT_EQ(Switches(), before);

  // Everything goes back, and Task Manager shows what it showed before.
  StartupMover mover;
  for (const ManagedRunValue& item : mover.ManagedRunItems())
    EXPECT_TRUE(mover.RestoreRunItem(item.name, item.command)) << item.name << mover.LastError();
  for (const char* file : {"UserOff.lnk", "CommonOff.lnk", "CommonOn.lnk"})
    EXPECT_TRUE(mover.RestoreStartupItem(file)) << file << mover.LastError();
  EXPECT_EQ(Switches(), before);
  EXPECT_EQ(Values(kHKeyCurrentUser, kRunKey).size(), 2u);
  EXPECT_TRUE(FileThere(userFolder + "UserOff.lnk"));
  EXPECT_TRUE(FileThere(commonFolder + "CommonOff.lnk"));
  InRawView in64(kKeyWow64_64Key);
  EXPECT_EQ(Values(kHKeyLocalMachine, kRunKey), (ValueMap{{"Off64", "Off64.exe"}}));
}

}  // namespace
}  // namespace lw::test
