#include <memory>
#include <string>
#include <vector>

#include "items/ItemManager.h"
#include "store/StoreLock.h"
#include "support/SharedMachine.h"
#include "util/Error.h"
#include "util/Text.h"

namespace lw::test {

namespace {

// The take-over fixture's staging helpers, for the machines' tables.
class Staging : public TakeOverFixture {
 public:
  using TakeOverFixture::Link;
  using TakeOverFixture::MakeFolders;
  using TakeOverFixture::Pass;
  using TakeOverFixture::PlantMachineRun;
  using TakeOverFixture::Run;
};

using S = Staging;

std::vector<SharedMachine> MakeMachines() {
  return {
      {"TwoAccountsOfOneName",
       false,
       "bob_Mail",
       [] {
         S::Run(kHKeyCurrentUser, "Tool", "C:\\bob-tool.exe");
         S::Pass();
         // The domain's bob's items, taken over at his logon: one of the same value name.
         StoreUsersItem("bob", kCorpBobSid, "Mail", "C:\\corp-mail.exe");
       },
       {{"bob", {{"Tool", "C:\\bob-tool.exe"}}},
        {"CORP bob", {{"Theirs", "C:\\theirs.exe"}, {"Mail", "C:\\corp-mail.exe"}}},
        {"alice", {{"Theirs", "C:\\theirs.exe"}}}},
       [] {
         // The local bob's own "Mail": the store's "bob_Mail" is the other bob's.
         S::Run(kHKeyCurrentUser, "Mail", "C:\\bob-mail.exe");
         S::Run(kHKeyCurrentUser, "Tool", "C:\\bob-tool.exe");  // written back
         S::Run(kHKeyCurrentUser, "Notes", "C:\\notes.exe");
       }},
      {"AnotherUsersItems",
       false,
       "alice_Chat",
       [] {
         S::Run(kHKeyLocalMachine, "Tray", "C:\\tray.exe");
         S::Pass();
         StoreUsersItem("alice", kAliceSid, "Chat", "C:\\chat.exe /min");
         // A user nobody knows any more: no account, no profile, no hive. It stays stored.
         StoreUsersItem("carol", "S-1-5-21-7-7-7-1009", "Sync", "C:\\sync.exe");
         // Alice's own shortcut, taken over at her logon.
         const std::string store = IncludeTrailingBackslash(GetShortcutStoreFolder());
         S::MakeFolders(store);
         S::Link(store, "Map drives.lnk", "C:\\Apps\\drives.exe");
         SetStartupLocation(store + "Map drives.lnk", kAliceStartup);
         SharedItemManager().AppendSortEntry(kStartupSortName, store + "Map drives.lnk");
       },
       {{"machine", {{"Tray", "C:\\tray.exe"}}},
        {"alice", {{"Theirs", "C:\\theirs.exe"}, {"Chat", "C:\\chat.exe /min"}}},
        {"alice's Startup", {{"Map drives.lnk", "(shortcut)"}}},
        {"CORP bob", {{"Theirs", "C:\\theirs.exe"}}},
        {"stored", {{"carol_Sync", "C:\\sync.exe"}}}},
       [] {
         // Namesakes of the other users' stored items, bob's own.
         S::Run(kHKeyCurrentUser, "Chat", "C:\\my-chat.exe");
         S::Run(kHKeyCurrentUser, "Sync", "C:\\my-sync.exe");
         S::Run(kHKeyLocalMachine, "Tray", "C:\\tray.exe");  // written back
       }},
      {"BothViews",
       true,
       "Tray (64-bit)",
       [] {
         S::PlantMachineRun(kKeyWow64_32Key, "Tray", "C:\\tray32.exe");
         S::PlantMachineRun(kKeyWow64_64Key, "Tray", "C:\\tray64.exe");
         SetRawExpandString(kHKeyCurrentUser, kRunKey, "Tray", "%ProgramFiles%\\tray.exe");
         S::Pass();
       },
       {{"machine", {{"Tray", "C:\\tray32.exe"}}},
        {"machine 64", {{"Tray", "C:\\tray64.exe"}}},
        {"bob", {{"Tray", "%ProgramFiles%\\tray.exe"}}},
        {"alice", {{"Theirs", "C:\\theirs.exe"}}},
        {"CORP bob", {{"Theirs", "C:\\theirs.exe"}}}},
       [] {
         // Written back to the 64-bit view, and a new item of each view.
         S::PlantMachineRun(kKeyWow64_64Key, "Tray", "C:\\tray64.exe");
         S::PlantMachineRun(kKeyWow64_64Key, "Agent", "C:\\agent64.exe");
         S::PlantMachineRun(kKeyWow64_32Key, "Agent", "C:\\agent32.exe");
       }},
  };
}

}  // namespace

const std::vector<SharedMachine>& SharedMachines() {
  static const std::vector<SharedMachine> machines = MakeMachines();
  return machines;
}

const SharedMachine& SharedMachineNamed(const std::string& name) {
  for (const SharedMachine& machine : SharedMachines()) {
    if (name == machine.name) return machine;
  }
  ADD_FAILURE() << "no machine " << name;
  return SharedMachines().front();
}

std::function<void()> InterleaveMoments(std::uint64_t& calls, std::vector<std::uint64_t>& moments,
                                        bool untilReleased) {
  struct Count {
    bool heldBefore = false;
    bool released = false;
  };
  auto count = std::make_shared<Count>();
  return [&calls, &moments, untilReleased, count] {
    ++calls;
    bool held = false;
    Sim().AsAnotherProcess([&] { held = !StoreLock(StoreLock::Need::kIfAvailable).Held(); });
    count->released = count->released || (untilReleased && count->heldBefore && !held);
    if (!count->released && (!held || !count->heldBefore)) moments.push_back(calls);
    count->heldBefore = held;
  };
}

std::function<void()> OtherSessionBefore(std::uint64_t k, int& refused) {
  auto call = std::make_shared<std::uint64_t>(0);
  return [k, &refused, call] {
    if (++*call != k) return;
    Sim().AsAnotherProcess([&] {
      try {
        S::Pass();
      } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), kMsgStoreBusy);
        ++refused;
      }
    });
  };
}

void StoreUsersItem(const std::string& user, const std::string& sid, const std::string& name,
                    const std::string& command) {
  const std::string stored = user + "_" + name;
  SetRawString(kHKeyLocalMachine, kRunItemsKey, stored, command);
  SharedItemManager().AppendSortEntry(kRunSortName, stored);
  SetRunLocation(stored, user);
  SetRunLocationHKey(stored, kHKeyCurrentUser);
  SetRunLocationSid(stored, sid);
}

}  // namespace lw::test
