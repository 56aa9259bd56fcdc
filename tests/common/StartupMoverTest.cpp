// The startup mover on the simulation and on real Windows: the snapshots of the Run keys and
// the Startup folders, the rights check, the program's own registration and the Install
// command.

#include "install/StartupMover.h"

#include <algorithm>
#include <string>
#include <vector>

#include "install/InstallCommand.h"
#include "store/SettingsStore.h"
#include "support/RawRegistry.h"
#include "support/RecordingDialogs.h"
#include "support/StartupMoverFixture.h"
#include "support/TestEnv.h"
#include "util/SpecialFolders.h"
#include "util/Text.h"

namespace lw::test {
namespace {

class StartupMoverTest : public StartupMoverFixture {
 protected:
  static std::string Exe() { return Sys().GetModuleFileName(); }
  static std::string User() {
    std::string user;
    EXPECT_EQ(Sys().WNetGetUser(&user), kErrorSuccess);
    return user;
  }
};

std::string Describe(const RunKeyItem& item) {
  return "[" + item.name + "] " + item.command + " | " + item.user + " | " +
         (item.root == kHKeyCurrentUser    ? "HKCU"
          : item.root == kHKeyLocalMachine ? "HKLM"
                                           : std::to_string(item.root));
}

std::vector<std::string> Describe(const StartupMover& mover) {
  std::vector<std::string> lines;
  for (int i = 0; i < mover.RunItemCount(); ++i) lines.push_back(Describe(mover.RunItem(i)));
  return lines;
}

// Creates the folder and the ones above it.
void MakeFolders(const std::string& path) {
  std::string folder = path.back() == '\\' ? path.substr(0, path.size() - 1) : path;
  for (std::size_t at = folder.find('\\', 3);; at = folder.find('\\', at + 1)) {
    Files().CreateDirectory(folder.substr(0, at));
    if (at == std::string::npos) break;
  }
}

void AddFile(const std::string& path, std::uint32_t attributes = kFileAttributeNormal) {
  ASSERT_TRUE(Files().WriteFile(path, "[InternetShortcut]\r\n"));
  ASSERT_TRUE(Files().SetFileAttributes(path, attributes));
  // Windows reports a plain file as an archive one; the other attributes are what they were set.
  const std::uint32_t kept = attributes & ~kFileAttributeNormal;
  ASSERT_EQ(Files().GetFileAttributes(path) & kept, kept) << path;
}

// --- Snapshots --------------------------------------------------------------------------------

TEST_F(StartupMoverTest, RunSnapshotListsStringValuesOfTheUserThenOfTheMachine) {
  // Created in name order, so that the registry's order is the same whether it keeps values
  // in creation order (Windows) or in name order (Wine).
  SetRawString(kHKeyCurrentUser, kRunKey, "   ", "C:\\blank name.exe");
  SetRawString(kHKeyCurrentUser, kRunKey, " Lead", "C:\\lead.exe");
  SetRawString(kHKeyCurrentUser, kRunKey, "Alpha", "\"C:\\Alpha Tools\\a.exe\" /tray");
  SetRaw(kHKeyCurrentUser, kRunKey, "Bytes", kRegBinary, std::string("\x01\x02\x03", 3));
  SetRawString(kHKeyCurrentUser, kRunKey, "Empty", "");
  SetRaw(kHKeyCurrentUser, kRunKey, "Expand", kRegExpandSz, std::string("%windir%\\x.exe\0", 15));
  SetRawDword(kHKeyCurrentUser, kRunKey, "Number", 7);
  SetRawString(kHKeyCurrentUser, kRunKey, "Zed", "z.exe");
  SetRawString(kHKeyLocalMachine, kRunKey, "Machine", "C:\\m.exe -q");
  SetRawString(kHKeyLocalMachine, kRunKey, "Nothing", "");

  StartupMover mover;
  const std::string user = User();
  const std::vector<std::string> expected = {
      "[ Lead] C:\\lead.exe | " + user + " | HKCU",
      "[Alpha] \"C:\\Alpha Tools\\a.exe\" /tray | " + user + " | HKCU",
      "[Expand] %windir%\\x.exe | " + user + " | HKCU",
      "[Zed] z.exe | " + user + " | HKCU",
      "[Machine] C:\\m.exe -q |  | HKLM",
  };
  EXPECT_EQ(Describe(mover), expected);

  // The snapshot is taken afresh, not added to.
  SetRawString(kHKeyLocalMachine, kRunKey, "Next", "C:\\next.exe");
  mover.LoadRunItems();
  std::vector<std::string> later = expected;
  later.push_back("[Next] C:\\next.exe |  | HKLM");
  EXPECT_EQ(Describe(mover), later);

  // Without the Run keys there is nothing to list.
  DeleteKeyTree(kHKeyCurrentUser, SeamPath(kRunKey));
  DeleteKeyTree(kHKeyLocalMachine, SeamPath(kRunKey));
  mover.LoadRunItems();
  EXPECT_EQ(mover.RunItemCount(), 0);
}

TEST_F(StartupMoverTest, StartupSnapshotListsFilesOfEachFolderOnce) {
  const std::string own = IncludeTrailingBackslash(SharedSpecialFolders().GetUserStartupFolder());
  const std::string common =
      IncludeTrailingBackslash(SharedSpecialFolders().GetCommonStartupFolder());
  ASSERT_NE(own, common);
  MakeFolders(own);
  MakeFolders(common);
  AddFile(own + "b tool.lnk");
  AddFile(own + "a tool.lnk", kFileAttributeReadOnly);
  AddFile(own + "hidden.lnk", kFileAttributeHidden);
  AddFile(own + "desktop.ini", kFileAttributeHidden | kFileAttributeSystem);
  ASSERT_TRUE(Files().CreateDirectory(own + "Folder"));
  AddFile(own + "Folder\\inner.lnk");
  AddFile(common + "shared.lnk");

  StartupMover mover;
  // Folder by folder in their order; within a folder the listing's order, which is the
  // file system's own (sorted here to compare).
  std::vector<std::string> ownFiles, commonFiles;
  std::vector<std::string> folders;
  for (int i = 0; i < mover.StartupItemCount(); ++i) {
    const StartupFolderItem& item = mover.StartupItem(i);
    EXPECT_EQ(item.path.substr(0, item.folder.size()), item.folder);
    if (folders.empty() || folders.back() != item.folder) folders.push_back(item.folder);
    if (item.folder == own) {
      EXPECT_EQ(item.user, User());
      ownFiles.push_back(item.path.substr(own.size()));
    } else if (item.folder == common) {
      EXPECT_EQ(item.user, "");
      commonFiles.push_back(item.path.substr(common.size()));
    } else {
      ADD_FAILURE() << "listed from another folder: " << item.path;
    }
  }
  std::sort(ownFiles.begin(), ownFiles.end());
  EXPECT_EQ(ownFiles, (std::vector<std::string>{"a tool.lnk", "b tool.lnk", "hidden.lnk"}));
  EXPECT_EQ(commonFiles, std::vector<std::string>{"shared.lnk"});
  // Each folder once, in order; on Windows Vista and later the alternate folder is the user's
  // own and must not list its files a second time.
  EXPECT_EQ(folders, (std::vector<std::string>{own, common}));

  // Taken afresh.
  ASSERT_TRUE(Files().DeleteFile(common + "shared.lnk"));
  mover.LoadStartupItems();
  EXPECT_EQ(mover.StartupItemCount(), 3);
}

// --- Rights -----------------------------------------------------------------------------------

TEST_F(StartupMoverTest, PermissionCheckCreatesTheProgramKeyAndLeavesNoProbe) {
  SetRawString(kHKeyLocalMachine, kRunKey, "Keep", "C:\\keep.exe");
  const std::string run = DumpTree(kHKeyLocalMachine, kRunKey);
  const std::string runOnce = DumpTree(kHKeyLocalMachine, kRunOnceKey);
  ASSERT_FALSE(RawKeyExists(kHKeyLocalMachine, kProgramKey));

  StartupMover mover;
  std::string location = "untouched";
  EXPECT_TRUE(mover.CheckPermissions(location));
  // Set on success too: the last key tested.
  EXPECT_EQ(location, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce");
  EXPECT_EQ(DumpTree(kHKeyLocalMachine, kProgramKey), "[" + SeamPath(kProgramKey) + "]\n");
  EXPECT_EQ(DumpTree(kHKeyLocalMachine, kRunKey), run);
  EXPECT_EQ(DumpTree(kHKeyLocalMachine, kRunOnceKey), runOnce);
  for (const char* key : {kProgramKey, kRunKey, kRunOnceKey}) {
    EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, key, "LaunchwardTest")) << key;
  }
}

// --- Registration -----------------------------------------------------------------------------

TEST_F(StartupMoverTest, RegistrationValuesAreExact) {
  const std::string go = "\"" + Exe() + "\" -go " + std::string(1, '\0');
  const std::string pre = "\"" + Exe() + "\" -pre " + std::string(1, '\0');
  struct Case {
    const char* what;
    void (*action)(StartupMover&);
    HKey root;
    bool run;
    bool runOnce;
  };
  const Case cases[] = {
      {"Run only", [](StartupMover& m) { m.RegisterSelf(false, kHKeyLocalMachine); },
       kHKeyLocalMachine, true, false},
      {"Run and RunOnce", [](StartupMover& m) { m.RegisterSelf(true, kHKeyLocalMachine); },
       kHKeyLocalMachine, true, true},
      {"the user's", [](StartupMover& m) { m.RegisterSelf(true, kHKeyCurrentUser); },
       kHKeyCurrentUser, true, true},
      {"RunOnce alone", [](StartupMover& m) { m.RegisterRunOnce(kHKeyLocalMachine); },
       kHKeyLocalMachine, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResetPlatform();
    StartupMover mover;
    c.action(mover);
    const HKey other = c.root == kHKeyLocalMachine ? kHKeyCurrentUser : kHKeyLocalMachine;
    for (HKey root : {c.root, other}) {
      for (const char* key : {kRunKey, kRunOnceKey}) {
        const bool wanted = root == c.root && (key == kRunKey ? c.run : c.runOnce);
        std::uint32_t type = 0;
        std::string bytes;
        EXPECT_EQ(GetRaw(root, key, "LAUNCHWARD", &type, &bytes), wanted) << root << key;
        if (!wanted) continue;
        EXPECT_EQ(type, kRegSz);
        EXPECT_EQ(bytes, key == kRunKey ? go : pre);
      }
    }
    EXPECT_EQ(RawValueNames(c.root, kRunKey).size(), c.run ? 1u : 0u);
  }
}

TEST_F(StartupMoverTest, UnregisteringTouchesOnlyTheMachinesOwnValues) {
  StartupMover mover;
  EXPECT_FALSE(mover.IsSelfRegistered());
  mover.RegisterSelf(true, kHKeyLocalMachine);
  mover.RegisterSelf(true, kHKeyCurrentUser);
  SetRawString(kHKeyLocalMachine, kRunKey, "Other", "C:\\other.exe");
  const std::string user =
      DumpTree(kHKeyCurrentUser, kRunKey) + DumpTree(kHKeyCurrentUser, kRunOnceKey);
  EXPECT_TRUE(mover.IsSelfRegistered());

  mover.UnregisterSelf(false);
  EXPECT_FALSE(mover.IsSelfRegistered());
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunKey, "LAUNCHWARD"));
  EXPECT_TRUE(RawValueExists(kHKeyLocalMachine, kRunOnceKey, "LAUNCHWARD"));
  mover.UnregisterSelf(true);
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunOnceKey, "LAUNCHWARD"));
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunKey, "Other"), "C:\\other.exe");
  EXPECT_EQ(DumpTree(kHKeyCurrentUser, kRunKey) + DumpTree(kHKeyCurrentUser, kRunOnceKey), user);
  // The user's registration alone is not the machine's.
  EXPECT_FALSE(mover.IsSelfRegistered());

  // Missing values and keys are no error.
  mover.UnregisterSelf(true);
  DeleteKeyTree(kHKeyLocalMachine, SeamPath(kRunKey));
  DeleteKeyTree(kHKeyLocalMachine, SeamPath(kRunOnceKey));
  mover.UnregisterSelf(true);
  EXPECT_FALSE(mover.IsSelfRegistered());

  // Any data counts as registered.
  SetRawDword(kHKeyLocalMachine, kRunKey, "LAUNCHWARD", 1);
  EXPECT_TRUE(mover.IsSelfRegistered());
}

TEST_F(StartupMoverTest, FirstInstallIsWhileThereIsNoShortcutStoreFolder) {
  StartupMover mover;
  const std::string store = ExeFolder() + "Startup";
  EXPECT_TRUE(mover.IsFirstInstall());
  ASSERT_TRUE(Files().WriteFile(store, "not a folder"));
  EXPECT_TRUE(mover.IsFirstInstall());
  ASSERT_TRUE(Files().DeleteFile(store));
  ASSERT_TRUE(Files().CreateDirectory(store));
  EXPECT_FALSE(mover.IsFirstInstall());
}

// --- The Install command ----------------------------------------------------------------------

class InstallCommandTest : public StartupMoverTest {
 protected:
  // Runs the command and notes how many messages had been shown when each callback ran.
  bool Install(StartupMover& mover) {
    return InstallCommand(
        mover, [this] { reloadedAt = static_cast<int>(dialogs.Messages().size()); },
        [this] { refreshedAt = static_cast<int>(dialogs.Messages().size()); });
  }

  RecordingDialogs dialogs;
  int reloadedAt = -1;
  int refreshedAt = -1;
};

TEST_F(InstallCommandTest, RegistersForTheNextLogonAndMovesNothing) {
  for (bool firstInstall : {false, true}) {
    SCOPED_TRACE(firstInstall ? "first install, OK" : "shortcut store present");
    ResetPlatform();
    dialogs.Clear();
    reloadedAt = refreshedAt = -1;
    SetRawString(kHKeyLocalMachine, kRunKey, "Other", "C:\\other.exe");
    const std::string own = IncludeTrailingBackslash(SharedSpecialFolders().GetUserStartupFolder());
    MakeFolders(own);
    AddFile(own + "tool.lnk");
    if (!firstInstall) {
      ASSERT_TRUE(Files().CreateDirectory(ExeFolder() + "Startup"));
    }
    if (firstInstall) dialogs.Answer(true);

    StartupMover mover;
    EXPECT_TRUE(Install(mover));

    EXPECT_EQ(RawString(kHKeyLocalMachine, kRunKey, "LAUNCHWARD"), "\"" + Exe() + "\" -go ");
    EXPECT_EQ(RawString(kHKeyLocalMachine, kRunOnceKey, "LAUNCHWARD"), "\"" + Exe() + "\" -pre ");
    EXPECT_EQ(RawString(kHKeyLocalMachine, kProgramKey, "IsInstalled"), "Si");
    EXPECT_EQ(RawValueNames(kHKeyLocalMachine, kProgramKey),
              std::vector<std::string>{"IsInstalled"});
    EXPECT_EQ(RawString(kHKeyLocalMachine, kRunKey, "Other"), "C:\\other.exe");
    EXPECT_NE(Files().GetFileAttributes(own + "tool.lnk"), kInvalidFileAttributes);
    EXPECT_EQ(Files().GetFileAttributes(ExeFolder() + "Startup") != kInvalidFileAttributes,
              !firstInstall);

    ASSERT_EQ(dialogs.Questions().size(), firstInstall ? 1u : 0u);
    if (firstInstall) {
      EXPECT_EQ(dialogs.Questions()[0].text,
                "This is the first installation. Make sure Launchward is in its permanent "
                "folder location before installing\r\n Continue?");
      EXPECT_EQ(dialogs.Questions()[0].buttons, ConfirmButtons::kOkCancel);
    }
    EXPECT_EQ(dialogs.Messages(),
              std::vector<std::string>{
                  "Install complete. Launchward will manage your applications next reboot."});
    // The runner's lists are reloaded before the message, the buttons refreshed after it.
    EXPECT_EQ(reloadedAt, 0);
    EXPECT_EQ(refreshedAt, 1);
  }
}

TEST_F(InstallCommandTest, CancelOnFirstInstallWritesNothingButTheProgramKey) {
  SetRawString(kHKeyLocalMachine, kRunKey, "Other", "C:\\other.exe");
  std::string before;
  for (HKey root : {kHKeyLocalMachine, kHKeyCurrentUser}) {
    before += DumpTree(root, kRunKey) + DumpTree(root, kRunOnceKey);
  }
  dialogs.Answer(false);

  StartupMover mover;
  EXPECT_FALSE(Install(mover));

  std::string after;
  for (HKey root : {kHKeyLocalMachine, kHKeyCurrentUser}) {
    after += DumpTree(root, kRunKey) + DumpTree(root, kRunOnceKey);
  }
  EXPECT_EQ(after, before);
  EXPECT_EQ(DumpTree(kHKeyLocalMachine, kProgramKey), "[" + SeamPath(kProgramKey) + "]\n");
  EXPECT_FALSE(RawKeyExists(kHKeyCurrentUser, kProgramKey));
  EXPECT_EQ(dialogs.Questions().size(), 1u);
  EXPECT_TRUE(dialogs.Messages().empty());
  EXPECT_EQ(reloadedAt, -1);
  EXPECT_EQ(refreshedAt, -1);
}

}  // namespace
}  // namespace lw::test
