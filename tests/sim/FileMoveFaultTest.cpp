// Moves of shortcuts between the Startup folders and the shortcut store with one change
// failing, for every change a move makes (the copy, the deletion of the source, the removal of
// a copy that cannot stay): whatever fails, the shortcut is whole where it was or where it went,
// and a file of the same name at the target is never replaced or deleted.

#include <functional>
#include <string>

#include "install/StartupMover.h"
#include "support/ItemCensus.h"
#include "support/ItemManagerFixture.h"
#include "util/Error.h"

namespace lw::test {
namespace {

struct MoveCase {
  const char* what;
  // Stages the files (store, user's Startup folder, All Users Startup folder) and returns the
  // move to run.
  std::function<std::function<void()>(const std::string&, const std::string&, const std::string&)>
      stage;
};

const MoveCase kMoves[] = {
    {"include a shortcut",
     [](const std::string&, const std::string& user, const std::string&) {
       Sim().AddFile(user + "Tray.lnk", "my tray");
       return [user] { SharedItemManager().IncludeStartupItem(user + "Tray.lnk"); };
     }},
    {"include a shortcut whose name a stray stored file has",
     [](const std::string& store, const std::string& user, const std::string&) {
       Sim().AddFile(user + "Tray.lnk", "my tray");
       Sim().AddFile(store + "Tray.lnk", "a stray tray");
       return [user] { SharedItemManager().IncludeStartupItem(user + "Tray.lnk"); };
     }},
    {"exclude a stored shortcut",
     [](const std::string& store, const std::string&, const std::string&) {
       Sim().AddFile(store + "Agent.lnk", "my agent");
       StageSort(kStartupSortKey, {store + "Agent.lnk"});
       return [store] { SharedItemManager().ExcludeStartupItem(store + "Agent.lnk"); };
     }},
    {"exclude a stored shortcut while All Users has another of its name",
     [](const std::string& store, const std::string&, const std::string& common) {
       Sim().AddFile(store + "Agent.lnk", "my agent");
       Sim().AddFile(common + "Agent.lnk", "their agent");
       StageSort(kStartupSortKey, {store + "Agent.lnk"});
       return [store] { SharedItemManager().ExcludeStartupItem(store + "Agent.lnk"); };
     }},
    {"finish a move that stopped after its copy",
     [](const std::string& store, const std::string& user, const std::string&) {
       Sim().AddFile(user + "Tray.lnk", "my tray");
       Sim().AddFile(store + "Tray.lnk", "my tray");
       return [user, store] { SharedItemManager().MoveFileToFolder(user + "Tray.lnk", store); };
     }},
    {"move a file reached through a mapped drive into its own folder",
     [](const std::string& store, const std::string&, const std::string&) {
       Sim().AddFile(store + "Agent.lnk", "my agent");
       Sim().MapDrive("S:", store);
       return [store] { SharedItemManager().MoveFileToFolder("S:\\Agent.lnk", store); };
     }},
};

class FileMoveFaultTest : public ItemManagerTest {
 protected:
  // A fresh machine with the case staged; returns its move.
  std::function<void()> Fresh(const MoveCase& move) {
    FreeOptions();
    FinalizeProcessUnits();
    ResetPlatform();
    InitializeProcessUnits();
    CreateOptions();
    for (const std::string& folder : {store, userStartup, commonStartup}) EnsureFolder(folder);
    return move.stage(store, userStartup, commonStartup);
  }
};

TEST_F(FileMoveFaultTest, AFailureAtAnyChangeLosesNoFile) {
  for (const MoveCase& move : kMoves) {
    SCOPED_TRACE(move.what);
    std::function<void()> run = Fresh(move);
    std::uint64_t start = Sim().ChangeCount();
    ErrorOf(run);
    const std::uint64_t changes = Sim().ChangeCount() - start;
    // n = 0: nothing fails.
    for (std::uint64_t n = 0; n <= changes; ++n) {
      SCOPED_TRACE("failing change " + std::to_string(n) + " of " + std::to_string(changes));
      run = Fresh(move);
      const ItemCensus before = TakeItemCensus();
      start = Sim().ChangeCount();
      if (n != 0) Sim().FailChange(start + n);
      ErrorOf(run);
      Sim().FailChange(0);
      EXPECT_TRUE(NothingLost(before));
    }
  }
}

// A shortcut re-created by its program with another target replaces the stored one whose
// program is gone. Whatever change fails, the stored shortcut is the old one or the new one,
// whole; the new one leaves its folder only once it is stored; nothing staged stays behind.
TEST_F(FileMoveFaultTest, AReplacedStoredShortcutIsNeverDamagedOrLost) {
  const auto stage = [this] {
    Fresh(kMoves[0]);
    Files().DeleteFile(userStartup + "Tray.lnk");
    Sim().AddFile("C:\\Tools\\new.exe", "MZ");
    EXPECT_EQ(Shell().SaveShellLink(store + "Tool.lnk", "C:\\Tools\\old.exe", ""), kSOk);
    EXPECT_EQ(Shell().SaveShellLink(userStartup + "Tool.lnk", "C:\\Tools\\new.exe", ""), kSOk);
    StageSort(kStartupSortKey, {store + "Tool.lnk"});
  };
  const auto pass = [] {
    StartupMover mover;
    mover.DetectNewStartupItems();
  };
  stage();
  std::string oldLink;
  std::string newLink;
  ASSERT_TRUE(Files().ReadFile(store + "Tool.lnk", &oldLink));
  ASSERT_TRUE(Files().ReadFile(userStartup + "Tool.lnk", &newLink));
  std::uint64_t start = Sim().ChangeCount();
  pass();
  const std::uint64_t changes = Sim().ChangeCount() - start;
  ASSERT_GT(changes, 2u);
  std::string stored;
  ASSERT_TRUE(Files().ReadFile(store + "Tool.lnk", &stored));
  ASSERT_EQ(stored, newLink);  // nothing failing: replaced
  for (std::uint64_t n = 1; n <= changes; ++n) {
    SCOPED_TRACE("failing change " + std::to_string(n) + " of " + std::to_string(changes));
    stage();
    start = Sim().ChangeCount();
    Sim().FailChange(start + n);
    ErrorOf(pass);
    Sim().FailChange(0);
    stored.clear();
    ASSERT_TRUE(Files().ReadFile(store + "Tool.lnk", &stored));
    EXPECT_TRUE(stored == oldLink || stored == newLink);
    if (stored == oldLink) {
      EXPECT_NE(Files().GetFileAttributes(userStartup + "Tool.lnk"), kInvalidFileAttributes);
    }
    EXPECT_EQ(Files().GetFileAttributes(store + "Tool.lnk.launchward-new"), kInvalidFileAttributes);
  }
}

}  // namespace
}  // namespace lw::test
