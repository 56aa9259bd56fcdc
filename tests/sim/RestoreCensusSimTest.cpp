// Restore on a machine that several accounts share: the items of two accounts of one user name
// (the local "bob" and the domain's "CORP\bob"), another user's items and shortcut, and both
// views of the machine's Run key. Whichever change of a restore fails, and whatever another
// session's logon does between two of its registry calls, every item is back where it came
// from or still stored, whole; and the restore started again gives the rest back, each item to
// its own account, view and folder.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/sim/SimMachine.h"
#include "store/StoreLock.h"
#include "support/AliceAccount.h"
#include "support/ItemCensus.h"
#include "support/RestoreFixture.h"
#include "util/Error.h"

namespace lw::test {
namespace {

constexpr char kCorpBobSid[] = "S-1-5-21-3623811015-3361044348-30300820-1105";
constexpr char kCorpBobProfile[] = "C:\\Documents and Settings\\bob.CORP";
constexpr char kAliceStartup[] =
    "C:\\Documents and Settings\\alice\\Start Menu\\Programs\\Startup\\";
constexpr char kAliceMount[] = "CensusAlice";
constexpr char kCorpBobMount[] = "CensusCorpBob";

// Where the items are, place by place: the values of each Run key, the files of each folder
// (by name, with their bytes), and what the store keeps.
using Places = std::map<std::string, ValueMap>;

struct Machine {
  const char* name;
  bool windows64;
  // Unchecked in the first restore, which is a full uninstall: the item stays stored.
  const char* keptRow;
  // The items as Windows and the other accounts' logons left them.
  std::function<void()> stage;
  // Where every item is once everything went back.
  Places wanted;
};

void PrintTo(const Machine& machine, std::ostream* os) { *os << machine.name; }

class RestoreCensusSimTest : public RestoreFixture, public ::testing::WithParamInterface<Machine> {
 public:
  // For the machines' staging.
  using TakeOverFixture::Link;
  using TakeOverFixture::MakeFolders;
  using TakeOverFixture::Pass;
  using TakeOverFixture::PlantMachineRun;
  using TakeOverFixture::Run;

  // A user's item as a take-over at that user's logon left it in the store.
  static void StoreUsersItem(const std::string& user, const std::string& sid,
                             const std::string& name, const std::string& command) {
    const std::string stored = user + "_" + name;
    SetRawString(kHKeyLocalMachine, kRunItemsKey, stored, command);
    SharedItemManager().AppendSortEntry(kRunSortName, stored);
    SetRunLocation(stored, user);
    SetRunLocationHKey(stored, kHKeyCurrentUser);
    SetRunLocationSid(stored, sid);
  }

 protected:
  void SetUp() override {
    RestoreFixture::SetUp();
    StageMachine();
  }

  void StageMachine() {
    if (GetParam().windows64) StartOn64BitWindows();
    Sim().AddAccount("bob", sim::kBobSid);
    ASSERT_EQ(CurrentUserName(), "bob");
    StageAlice();
    Sim().AddAccount("CORP\\bob", kCorpBobSid);
    Sim().AddFolder(kCorpBobProfile);
    SetRawExpandString(kHKeyLocalMachine, std::string(kProfileListKey) + "\\" + kCorpBobSid,
                       kProfileImagePathValue, kCorpBobProfile);
    MakeHiveFile(CorpBobHive());
    MakeFolders(kAliceStartup);
    GetParam().stage();
    // Came since the take-over: another session's logon finds it new.
    Run(kHKeyLocalMachine, "Arrived", "C:\\Apps\\arrived.exe");
  }

  static std::string CorpBobHive() { return std::string(kCorpBobProfile) + "\\NTUSER.DAT"; }

  // Runs what with both other accounts' hives mounted where the census reads them.
  static void WithHives(const std::function<void()>& what) {
    InHive(kAliceHive, kAliceMount, [&](const std::string&) {
      InHive(CorpBobHive(), kCorpBobMount, [&](const std::string&) { what(); });
    });
  }
  std::vector<CensusRunKey> ExtraRunKeys() const {
    std::vector<CensusRunKey> keys{{kHKeyUsers, std::string(kAliceMount) + kRunKey},
                                   {kHKeyUsers, std::string(kCorpBobMount) + kRunKey}};
    if (GetParam().windows64)
      keys.push_back({kHKeyLocalMachine, SeamPath(kRunKey), kKeyWow64_64Key});
    return keys;
  }
  ItemCensus Census() const {
    ItemCensus census;
    WithHives([&] { census = TakeItemCensus(ExtraRunKeys(), {kAliceStartup}); });
    return census;
  }
  ::testing::AssertionResult NothingLostSince(const ItemCensus& before) const {
    ::testing::AssertionResult result = ::testing::AssertionSuccess();
    WithHives([&] { result = NothingLost(before, ExtraRunKeys(), {kAliceStartup}); });
    return result;
  }

  Places Now() const {
    Places places;
    WithHives([&] {
      places["machine"] = MachineRunValues(kKeyWow64_32Key);
      if (GetParam().windows64) places["machine 64"] = MachineRunValues(kKeyWow64_64Key);
      places["bob"] = Values(kHKeyCurrentUser, kRunKey);
      places["alice"] = Values(kHKeyUsers, std::string(kAliceMount) + kRunKey);
      places["CORP bob"] = Values(kHKeyUsers, std::string(kCorpBobMount) + kRunKey);
    });
    for (const std::string& name : FolderNames(kAliceStartup))
      places["alice's Startup"][name] = "(shortcut)";
    places["stored"] = Store(kRunItemsKey);
    for (const std::string& name : FolderNames(store)) places["stored"][name] = "(shortcut)";
    for (auto it = places.begin(); it != places.end();) {
      it = it->second.empty() ? places.erase(it) : std::next(it);
    }
    return places;
  }

  // What is to be where in the end: the row's items, and the item that came since the take-over
  // (given back by the first restore, or stored by the other session and given back by the
  // second).
  Places Wanted() const {
    Places wanted = GetParam().wanted;
    wanted["machine"]["Arrived"] = "C:\\Apps\\arrived.exe";
    return wanted;
  }

  // The user's restore: the window read, its rows checked as they start (the row kept, unless
  // everything is to go back), the restore pressed, then the main window's own bookkeeping.
  std::string RestoreAll(bool keep) {
    const std::string kept = keep && GetParam().keptRow != nullptr ? GetParam().keptRow : "";
    return Restore(!kept.empty(), [&](RestoreWindow& window) {
      if (!kept.empty()) window.SetChecked(RowOf(window, kept), false);
    });
  }
};

// Whichever change of the restore fails, every item is still somewhere whole; started again,
// the restore gives each item back to its own place.
TEST_P(RestoreCensusSimTest, NothingIsLostWhicheverChangeFails) {
  // Every machine below is staged alike.
  const ItemCensus before = Census();
  const std::uint64_t start = Sim().ChangeCount();
  RestoreAll(true);
  const std::uint64_t changes = Sim().ChangeCount() - start;
  ASSERT_GT(changes, 10u);
  ASSERT_TRUE(NothingLostSince(before));
  RestoreAll(false);
  ASSERT_EQ(Now(), Wanted());

  for (std::uint64_t n = 1; n <= changes; ++n) {
    SCOPED_TRACE("change " + std::to_string(n) + " of " + std::to_string(changes));
    Restart();
    Sim().FailChange(Sim().ChangeCount() + n);
    try {
      RestoreAll(true);
    } catch (const Error&) {
      // Shown by the window as any error of a command; the restore ends there.
    }
    Sim().FailChange(0);
    EXPECT_TRUE(NothingLostSince(before));
    RestoreAll(false);
    EXPECT_TRUE(NothingLostSince(before));
    EXPECT_EQ(Now(), Wanted());
  }
}

// Another session's logon takes items over between two registry calls of the restore: it
// waits while the restore holds the store and then leaves its items to the next logon, or it
// comes before and its items stay stored for the next restore. Nothing is lost either way.
// It comes before every call that the restore makes without the store's lock, and before the
// first call of each stretch under the lock (the calls after it would only see it wait again).
TEST_P(RestoreCensusSimTest, AnotherSessionBetweenTwoCallsLosesNothing) {
  // Every machine below is staged alike.
  const ItemCensus census = Census();
  std::vector<std::uint64_t> moments;
  std::uint64_t calls = 0;
  bool heldBefore = false;
  Sim().BeforeEachRegistryCall([&] {
    ++calls;
    bool held = false;
    Sim().AsAnotherProcess([&] { held = !StoreLock(StoreLock::Need::kIfAvailable).Held(); });
    if (!held || !heldBefore) moments.push_back(calls);
    heldBefore = held;
  });
  RestoreAll(true);
  Sim().BeforeEachRegistryCall(nullptr);
  ASSERT_GT(calls, moments.size());

  int refused = 0;
  for (std::uint64_t k : moments) {
    SCOPED_TRACE("the other session comes before call " + std::to_string(k));
    Restart();
    std::uint64_t call = 0;
    Sim().BeforeEachRegistryCall([&] {
      if (++call != k) return;
      Sim().AsAnotherProcess([&] {
        try {
          Pass();
        } catch (const Error& error) {
          EXPECT_EQ(std::string(error.what()), kMsgStoreBusy);
          ++refused;
        }
      });
    });
    RestoreAll(true);
    Sim().BeforeEachRegistryCall(nullptr);
    EXPECT_TRUE(NothingLostSince(census));
    RestoreAll(false);
    EXPECT_TRUE(NothingLostSince(census));
    EXPECT_EQ(Now(), Wanted());
  }
  // While the restore held the store, the other session waited and let go.
  EXPECT_GT(refused, 0);
}

using T = RestoreCensusSimTest;

const Machine kMachines[] = {
    {"TwoAccountsOfOneName",
     false,
     "bob_Mail",
     [] {
       T::Run(kHKeyCurrentUser, "Tool", "C:\\bob-tool.exe");
       T::Pass();
       // The domain's bob's items, taken over at his logon: one of the same value name.
       T::StoreUsersItem("bob", kCorpBobSid, "Mail", "C:\\corp-mail.exe");
     },
     {{"bob", {{"Tool", "C:\\bob-tool.exe"}}},
      {"CORP bob", {{"Theirs", "C:\\theirs.exe"}, {"Mail", "C:\\corp-mail.exe"}}},
      {"alice", {{"Theirs", "C:\\theirs.exe"}}}}},
    {"AnotherUsersItems",
     false,
     "alice_Chat",
     [] {
       T::Run(kHKeyLocalMachine, "Tray", "C:\\tray.exe");
       T::Pass();
       T::StoreUsersItem("alice", kAliceSid, "Chat", "C:\\chat.exe /min");
       // A user nobody knows any more: no account, no profile, no hive. It stays stored.
       T::StoreUsersItem("carol", "S-1-5-21-7-7-7-1009", "Sync", "C:\\sync.exe");
       // Alice's own shortcut, taken over at her logon.
       const std::string store = IncludeTrailingBackslash(GetShortcutStoreFolder());
       T::MakeFolders(store);
       T::Link(store, "Map drives.lnk", "C:\\Apps\\drives.exe");
       SetStartupLocation(store + "Map drives.lnk", kAliceStartup);
       SharedItemManager().AppendSortEntry(kStartupSortName, store + "Map drives.lnk");
     },
     {{"machine", {{"Tray", "C:\\tray.exe"}}},
      {"alice", {{"Theirs", "C:\\theirs.exe"}, {"Chat", "C:\\chat.exe /min"}}},
      {"alice's Startup", {{"Map drives.lnk", "(shortcut)"}}},
      {"CORP bob", {{"Theirs", "C:\\theirs.exe"}}},
      {"stored", {{"carol_Sync", "C:\\sync.exe"}}}}},
    {"BothViews",
     true,
     "Tray (64-bit)",
     [] {
       T::PlantMachineRun(kKeyWow64_32Key, "Tray", "C:\\tray32.exe");
       T::PlantMachineRun(kKeyWow64_64Key, "Tray", "C:\\tray64.exe");
       SetRawExpandString(kHKeyCurrentUser, kRunKey, "Tray", "%ProgramFiles%\\tray.exe");
       T::Pass();
     },
     {{"machine", {{"Tray", "C:\\tray32.exe"}}},
      {"machine 64", {{"Tray", "C:\\tray64.exe"}}},
      {"bob", {{"Tray", "%ProgramFiles%\\tray.exe"}}},
      {"alice", {{"Theirs", "C:\\theirs.exe"}}},
      {"CORP bob", {{"Theirs", "C:\\theirs.exe"}}}}},
};

INSTANTIATE_TEST_SUITE_P(Machines, RestoreCensusSimTest, ::testing::ValuesIn(kMachines),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace lw::test
