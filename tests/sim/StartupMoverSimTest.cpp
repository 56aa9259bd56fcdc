// The startup mover where only the simulation can stage the machine: keys that refuse writing,
// writes that fail, Startup folders that are missing or repeat each other, other users' hives,
// a user name that cannot be had, and the pause on the virtual clock.

#include "install/StartupMover.h"

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "install/InstallCommand.h"
#include "store/HivePrivileges.h"
#include "store/SettingsStore.h"
#include "support/RawRegistry.h"
#include "support/RecordingDialogs.h"
#include "support/StartupMoverFixture.h"
#include "support/TestEnv.h"
#include "util/SpecialFolders.h"
#include "util/Termination.h"

namespace lw::test {
namespace {

const std::string kMachineText = "HKEY_LOCAL_MACHINE";
const std::string kBobStartup = "C:\\Documents and Settings\\bob\\Start Menu\\Programs\\Startup";
const std::string kAllStartup =
    "C:\\Documents and Settings\\All Users\\Start Menu\\Programs\\Startup";

using StartupMoverSimTest = StartupMoverFixture;

// --- Rights -----------------------------------------------------------------------------------

TEST_F(StartupMoverSimTest, PermissionCheckStopsAtTheFirstKeyThatRefuses) {
  struct Case {
    const char* what;
    std::string denied;  // "" is the whole of HKEY_LOCAL_MACHINE
    std::string failed;
    std::vector<std::string> neverReached;
  };
  const Case cases[] = {
      {"no rights at all", "", kProgramKey, {kRunKey, kRunOnceKey}},
      {"program key", kProgramKey, kProgramKey, {kRunKey, kRunOnceKey}},
      {"Run key", kRunKey, kRunKey, {kRunOnceKey}},
      {"RunOnce key", kRunOnceKey, kRunOnceKey, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResetPlatform();
    // A key the check reached would be created again.
    for (const std::string& key : c.neverReached) DeleteKeyTree(kHKeyLocalMachine, SeamPath(key));
    Sim().DenyKeyWrites(kHKeyLocalMachine, SeamPath(c.denied));

    StartupMover mover;
    std::string location;
    EXPECT_FALSE(mover.CheckPermissions(location));
    EXPECT_EQ(location, kMachineText + c.failed);
    for (const std::string& key : c.neverReached) {
      EXPECT_FALSE(RawKeyExists(kHKeyLocalMachine, key)) << key;
    }
    for (const char* key : {kProgramKey, kRunKey, kRunOnceKey}) {
      EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, key, kProbeValue)) << key;
    }
    EXPECT_EQ(Sim().OpenKeyCount(), 0);
  }
}

// A probe that went in but whose write or removal failed is removed before the check fails.
TEST_F(StartupMoverSimTest, AFailedProbeLeavesNothingBehind) {
  struct Case {
    int change;  // counted from the second check's start: write, delete for each key in turn
    std::string failed;
  };
  const Case cases[] = {
      {1, kProgramKey}, {2, kProgramKey}, {3, kRunKey},
      {4, kRunKey},     {5, kRunOnceKey}, {6, kRunOnceKey},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.change);
    ResetPlatform();
    StartupMover mover;
    std::string location;
    ASSERT_TRUE(mover.CheckPermissions(location));  // the program key is there from now on
    if (c.failed != kRunOnceKey) DeleteKeyTree(kHKeyLocalMachine, SeamPath(kRunOnceKey));
    Sim().FailChange(Sim().ChangeCount() + c.change);

    EXPECT_FALSE(mover.CheckPermissions(location));
    EXPECT_EQ(location, kMachineText + c.failed);
    for (const char* key : {kProgramKey, kRunKey, kRunOnceKey}) {
      EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, key, kProbeValue)) << key;
    }
    if (c.failed != kRunOnceKey) {
      EXPECT_FALSE(RawKeyExists(kHKeyLocalMachine, kRunOnceKey));
    }
  }
}

// --- The Install command ----------------------------------------------------------------------

// Answers like the recording service, after running an action: the machine can change while
// the question is on the screen.
class ActingDialogs : public RecordingDialogs {
 public:
  bool Confirm(const std::string& text, ConfirmButtons buttons) override {
    if (onConfirm) onConfirm();
    return RecordingDialogs::Confirm(text, buttons);
  }
  std::function<void()> onConfirm;
};

TEST_F(StartupMoverSimTest, InstallWithoutRightsIsRefused) {
  Sim().DenyKeyWrites(kHKeyLocalMachine, "");
  RecordingDialogs dialogs;
  StartupMover mover;
  bool called = false;
  EXPECT_FALSE(InstallCommand(
      mover, [&] { called = true; }, [&] { called = true; }));
  EXPECT_EQ(dialogs.Messages(),
            std::vector<std::string>{"Administrator access is required to Install"});
  EXPECT_TRUE(dialogs.Questions().empty());
  EXPECT_FALSE(called);
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunKey, "LAUNCHWARD"));
  EXPECT_FALSE(RawKeyExists(kHKeyLocalMachine, kProgramKey));
}

// Whichever registration value cannot be written, Install stops there and takes back what it
// wrote: no Run value is left to look installed without the RunOnce value that takes over.
TEST_F(StartupMoverSimTest, InstallStopsAtARegistrationThatFailsAndTakesItBack) {
  for (const std::string denied : {kRunKey, kRunOnceKey}) {
    SCOPED_TRACE(denied);
    ResetPlatform();
    ActingDialogs dialogs;
    dialogs.Answer(true);
    dialogs.onConfirm = [&] { Sim().DenyKeyWrites(kHKeyLocalMachine, SeamPath(denied)); };
    StartupMover mover;
    bool called = false;
    EXPECT_EQ(ErrorOf([&] {
                InstallCommand(
                    mover, [&] { called = true; }, [&] { called = true; });
              }),
              "Unable to open : " + denied);
    EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunKey, "LAUNCHWARD"));
    EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunOnceKey, "LAUNCHWARD"));
    EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kProgramKey, "IsInstalled"));
    EXPECT_TRUE(dialogs.Messages().empty());
    EXPECT_FALSE(called);
    EXPECT_EQ(Sim().OpenKeyCount(), 0);
  }
}

// --- Snapshots --------------------------------------------------------------------------------

std::vector<std::string> StartupList(const StartupMover& mover) {
  std::vector<std::string> lines;
  for (int i = 0; i < mover.StartupItemCount(); ++i) {
    const StartupFolderItem& item = mover.StartupItem(i);
    lines.push_back(item.path + " | " + item.folder + " | " + item.user);
  }
  return lines;
}

TEST_F(StartupMoverSimTest, StartupFoldersAreListedOnceEachAndMissingOnesGiveNothing) {
  const std::string own = kBobStartup + "\\own.lnk | " + kBobStartup + "\\ | bob";
  const std::string all = kAllStartup + "\\all.lnk | " + kAllStartup + "\\ | ";
  const std::string alt = "C:\\Alt\\alt.lnk | C:\\Alt\\ | ";
  struct Case {
    const char* what;
    std::string user, common, alternate;
    std::vector<std::string> listed;
  };
  const Case cases[] = {
      {"three folders", kBobStartup, kAllStartup, "C:\\Alt", {own, all, alt}},
      {"alternate written with blanks", kBobStartup, kAllStartup, "  C:\\Alt\\  ", {own, all, alt}},
      {"alternate is the user's own",
       kBobStartup,
       kAllStartup,
       " c:\\documents and settings\\BOB\\start menu\\programs\\startup\\",
       {own, all}},
      {"no All Users folder", kBobStartup, "", "", {own}},
      {"blank and missing folders", "C:\\Gone\\Startup", kAllStartup, "   ", {all}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResetPlatform();
    Sim().AddFile(kBobStartup + "\\own.lnk");
    Sim().AddFile(kAllStartup + "\\all.lnk");
    Sim().AddFile("C:\\Alt\\alt.lnk");
    Sim().SetSpecialFolder(kCsidlStartup, c.user);
    Sim().SetSpecialFolder(kCsidlCommonStartup, c.common);
    Sim().SetSpecialFolder(kCsidlAltStartup, c.alternate);
    StartupMover mover;
    EXPECT_EQ(StartupList(mover), c.listed);
    EXPECT_EQ(Sim().OpenFindCount(), 0);
  }
}

TEST_F(StartupMoverSimTest, AUserNameThatCannotBeHadIsNoUser) {
  for (std::uint32_t error : {kErrorNoNetwork, kErrorNotLoggedOn, kErrorSuccess}) {
    SCOPED_TRACE(error);
    ResetPlatform();
    Sim().SetUserName("", error);
    EXPECT_EQ(CurrentUserName(), "UnknownUser");
    SetRawString(kHKeyCurrentUser, kRunKey, "Tool", "C:\\tool.exe");
    Sim().AddFile(kBobStartup + "\\own.lnk");
    StartupMover mover;
    ASSERT_EQ(mover.RunItemCount(), 1);
    EXPECT_EQ(mover.RunItem(0).user, "");
    EXPECT_EQ(mover.RunItem(0).root, kHKeyCurrentUser);
    // The user's own Startup folder keeps the name as it was given.
    ASSERT_EQ(mover.StartupItemCount(), 1);
    EXPECT_EQ(mover.StartupItem(0).user, "UnknownUser");
  }
}

// --- Other users' hives -----------------------------------------------------------------------

class UnregisterUserTest : public StartupMoverSimTest {
 protected:
  void SetUp() override {
    StartupMoverSimTest::SetUp();
    InitializeHivePrivileges();
  }
  void TearDown() override {
    FinalizeHivePrivileges();
    StartupMoverSimTest::TearDown();
  }

  // A profile for the user whose hive holds the program's registration and a neighbour in
  // both keys.
  static std::string MakeProfile(const std::string& user) {
    const std::string source = "\\SOFTWARE\\Tallowmere\\Source";
    for (const char* key : {kRunKey, kRunOnceKey}) {
      SetRawString(kHKeyCurrentUser, source + key, "LAUNCHWARD", "\"C:\\lw.exe\" -go ");
      SetRawString(kHKeyCurrentUser, source + key, "Other", "C:\\other.exe");
    }
    const std::string file = "C:\\Documents and Settings\\" + user + "\\NTuser.dat";
    Sim().AddFolder("C:\\Documents and Settings\\" + user);
    HKey key = 0;
    EXPECT_EQ(Reg().OpenKeyEx(kHKeyCurrentUser, SeamPath(source), kKeyRead, &key), kOk);
    EXPECT_EQ(Reg().SaveKey(key, file), kOk);
    Reg().CloseKey(key);
    DeleteKeyTree(kHKeyCurrentUser, SeamPath(source));
    return file;
  }

  // The value names of both keys in the hive file, read through a mount of the test's own.
  static std::vector<std::string> NamesInHive(const std::string& file) {
    std::vector<std::string> names;
    EXPECT_EQ(Reg().LoadKey(kHKeyUsers, "Check", file), kOk);
    for (const char* key : {kRunKey, kRunOnceKey}) {
      for (const std::string& name : RawValueNames(kHKeyUsers, std::string("Check") + key)) {
        names.push_back(name);
      }
    }
    EXPECT_EQ(Reg().UnLoadKey(kHKeyUsers, "Check"), kOk);
    return names;
  }
};

TEST_F(UnregisterUserTest, RemovesTheRegistrationFromTheUsersHive) {
  const std::string file = MakeProfile("alice");
  StartupMover mover;
  mover.UnregisterUser("alice");
  EXPECT_FALSE(RawKeyExists(kHKeyUsers, "Launchward_alice"));
  EXPECT_EQ(Sim().OpenKeyCount(), 0);
  EXPECT_EQ(NamesInHive(file), (std::vector<std::string>{"Other", "Other"}));
}

TEST_F(UnregisterUserTest, AHiveThatDoesNotMountIsLeftAlone) {
  const std::string file = MakeProfile("alice");
  StartupMover mover;
  mover.RegisterSelf(true, kHKeyCurrentUser);
  const std::string own =
      DumpTree(kHKeyCurrentUser, kRunKey) + DumpTree(kHKeyCurrentUser, kRunOnceKey);
  struct Case {
    const char* what;
    std::string user;
  };
  const Case cases[] = {
      {"the user's own, in use", "bob"},
      {"hive file held by another process", "alice"},
      {"no profile", "carol"},
      {"no name", ""},
  };
  Sim().LockFile(file);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    mover.UnregisterUser(c.user);
    EXPECT_FALSE(RawKeyExists(kHKeyUsers, "Launchward_" + c.user));
    EXPECT_EQ(Sim().OpenKeyCount(), 0);
  }
  EXPECT_EQ(DumpTree(kHKeyCurrentUser, kRunKey) + DumpTree(kHKeyCurrentUser, kRunOnceKey), own);
  Sim().LockFile(file, false);
  EXPECT_EQ(NamesInHive(file),
            (std::vector<std::string>{"LAUNCHWARD", "Other", "LAUNCHWARD", "Other"}));
}

// --- The responsive pause ---------------------------------------------------------------------

class PauseTest : public PlatformTest {
 protected:
  // No abort request is carried from one case into the next.
  void SetUp() override {
    PlatformTest::SetUp();
    PauseMs(0);
  }
  void TearDown() override {
    PauseMs(0);
    ResetApplicationTerminate();
  }

  // The sleeps of one pause.
  static std::vector<std::uint32_t> Pause(std::int32_t milliseconds) {
    const std::size_t before = Sim().Sleeps().size();
    PauseMs(milliseconds);
    std::vector<std::uint32_t> all = Sim().Sleeps();
    return std::vector<std::uint32_t>(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
  }
  static std::vector<std::uint32_t> Steps(std::size_t count) {
    return std::vector<std::uint32_t>(count, 100);
  }
};

TEST_F(PauseTest, LastsWholeStepsOfAHundredMilliseconds) {
  const struct {
    std::int32_t milliseconds;
    std::size_t steps;
  } cases[] = {{INT_MIN, 0}, {-100, 0}, {0, 0},   {1, 1},    {50, 1},
               {100, 1},     {101, 2},  {150, 2}, {4000, 40}};
  for (const auto& c : cases) {
    EXPECT_EQ(Pause(c.milliseconds), Steps(c.steps)) << c.milliseconds;
  }
}

TEST_F(PauseTest, HandlesTheMessagesBeforeEachStep) {
  std::vector<std::size_t> pumpedAfter;
  Sim().OnProcessMessages([&] { pumpedAfter.push_back(Sim().Sleeps().size()); });
  Pause(300);
  EXPECT_EQ(pumpedAfter, (std::vector<std::size_t>{0, 1, 2}));
}

TEST_F(PauseTest, AnAbortEndsThePauseAfterItsStepAndIsThenCleared) {
  // From a button handled while the messages are pumped, on the second pump.
  int pumps = 0;
  Sim().OnProcessMessages([&] {
    if (++pumps == 2) AbortPause();
  });
  EXPECT_EQ(Pause(4000), Steps(2));
  Sim().OnProcessMessages(nullptr);
  EXPECT_EQ(Pause(300), Steps(3));

  // At a moment inside the third step.
  Sim().At(Sim().Now() + 250, AbortPause);
  EXPECT_EQ(Pause(4000), Steps(3));
  EXPECT_EQ(Pause(300), Steps(3));

  // Before the pause: it ends after its first step.
  AbortPause();
  EXPECT_EQ(Pause(4000), Steps(1));
  EXPECT_EQ(Pause(300), Steps(3));

  // A pause of nothing clears a request too.
  AbortPause();
  EXPECT_EQ(Pause(0), Steps(0));
  EXPECT_EQ(Pause(300), Steps(3));
}

TEST_F(PauseTest, TerminationEndsThePauseAtOnceAndKeepsTheAbortRequest) {
  Sim().At(Sim().Now() + 150, [] {
    AbortPause();
    ApplicationTerminate();
  });
  EXPECT_EQ(Pause(4000), Steps(2));
  // Still terminating: every pause is one step.
  EXPECT_EQ(Pause(4000), Steps(1));
  ResetApplicationTerminate();
  // The abort request is still there for the next pause.
  EXPECT_EQ(Pause(4000), Steps(1));
  EXPECT_EQ(Pause(300), Steps(3));
}

}  // namespace
}  // namespace lw::test
