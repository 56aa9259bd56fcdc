#pragma once
// Machines that several accounts share, for the census tests of the take-over, the edit
// commands and the restore: the process's account (the local "bob"), the domain's "CORP\bob"
// with a profile and hive of his own, alice with hers and her own Startup folder, and on a 64-bit
// machine both views of the machine's Run key. Each machine of SharedMachines() stages the items
// as the earlier logons of its accounts left them; one item ("Arrived") came to the machine's Run
// key since. A census counts every account's Run key and Startup folder, the other accounts'
// through their hives, mounted for the while.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "platform/sim/SimMachine.h"
#include "support/AliceAccount.h"
#include "support/ItemCensus.h"
#include "support/TakeOverFixture.h"

namespace lw::test {

inline constexpr char kCorpBobSid[] = "S-1-5-21-3623811015-3361044348-30300820-1105";
inline constexpr char kCorpBobProfile[] = "C:\\Documents and Settings\\bob.CORP";
inline constexpr char kAliceStartup[] =
    "C:\\Documents and Settings\\alice\\Start Menu\\Programs\\Startup\\";
inline constexpr char kAliceMount[] = "CensusAlice";
inline constexpr char kCorpBobMount[] = "CensusCorpBob";

// Where the items are, place by place: the values of each Run key, the files of each folder
// (by name, with their bytes), and what the store keeps.
using Places = std::map<std::string, ValueMap>;

struct SharedMachine {
  const char* name;
  bool windows64;
  // Restore: unchecked in the first restore, which is a full uninstall; the item stays stored.
  const char* keptRow;
  // The items as Windows and the accounts' earlier logons left them.
  std::function<void()> stage;
  // Restore: where every item is once everything went back.
  Places wanted;
  // Take-over: what the process's account (and its programs) put in the Run keys since.
  std::function<void()> since;
};

inline void PrintTo(const SharedMachine& machine, std::ostream* os) { *os << machine.name; }

const std::vector<SharedMachine>& SharedMachines();
// The machine of that name (a failed assertion when there is none).
const SharedMachine& SharedMachineNamed(const std::string& name);

// A user's item as a take-over at that user's logon left it in the store.
void StoreUsersItem(const std::string& user, const std::string& sid, const std::string& name,
                    const std::string& command);

// Actions for SimPlatform::BeforeEachRegistryCall, for the tests that run another session's
// logon between two registry calls of an operation.
// Counts the calls and records the numbers of those worth coming before: each call made without
// the store's lock, and the first of each stretch under it (the calls after it would only see the
// other session wait again). With untilReleased, none after the lock was held and let go.
std::function<void()> InterleaveMoments(std::uint64_t& calls, std::vector<std::uint64_t>& moments,
                                        bool untilReleased = false);
// Before call k, another session's first phase (in a process of its own) takes the items over,
// or waits while this one holds the store and then leaves them to the next logon: refused counts
// those.
std::function<void()> OtherSessionBefore(std::uint64_t k, int& refused);

// The fixture Base (a take-over fixture) on the machine that Machine() names, staged at SetUp
// (and so again at every Restart).
template <class Base>
class SharedMachineTest : public Base {
 protected:
  virtual const SharedMachine& Machine() const = 0;

  void SetUp() override {
    Base::SetUp();
    StageMachine();
  }

  void StageMachine() {
    if (Machine().windows64) this->StartOn64BitWindows();
    Sim().AddAccount("bob", sim::kBobSid);
    ASSERT_EQ(CurrentUserName(), "bob");
    StageAlice();
    Sim().AddAccount("CORP\\bob", kCorpBobSid);
    Sim().AddFolder(kCorpBobProfile);
    SetRawExpandString(kHKeyLocalMachine, std::string(kProfileListKey) + "\\" + kCorpBobSid,
                       kProfileImagePathValue, kCorpBobProfile);
    MakeHiveFile(CorpBobHive());
    TakeOverFixture::MakeFolders(kAliceStartup);
    Machine().stage();
    // Came since the take-over: the next logon finds it new.
    SetRawString(kHKeyLocalMachine, kRunKey, "Arrived", "C:\\Apps\\arrived.exe");
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
    if (Machine().windows64)
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
  ::testing::AssertionResult EveryItemListedSince(const ItemCensus& before) const {
    ::testing::AssertionResult result = ::testing::AssertionSuccess();
    WithHives([&] { result = EveryItemListed(before, ExtraRunKeys(), {kAliceStartup}); });
    return result;
  }

  // Every place and what it holds; empty places are left out.
  Places Now() const {
    Places places;
    WithHives([&] {
      places["machine"] = TakeOverFixture::MachineRunValues(kKeyWow64_32Key);
      if (Machine().windows64)
        places["machine 64"] = TakeOverFixture::MachineRunValues(kKeyWow64_64Key);
      places["bob"] = Values(kHKeyCurrentUser, kRunKey);
      places["alice"] = Values(kHKeyUsers, std::string(kAliceMount) + kRunKey);
      places["CORP bob"] = Values(kHKeyUsers, std::string(kCorpBobMount) + kRunKey);
    });
    for (const std::string& name : FolderNames(kAliceStartup))
      places["alice's Startup"][name] = "(shortcut)";
    places["stored"] = Store(kRunItemsKey);
    for (const std::string& name : FolderNames(this->store)) places["stored"][name] = "(shortcut)";
    for (auto it = places.begin(); it != places.end();) {
      it = it->second.empty() ? places.erase(it) : std::next(it);
    }
    return places;
  }

  // What belongs to the other accounts: their Run keys and Startup folder, and the records of
  // their stored items (command, whose, disabled or ordered).
  Places OthersItems() const {
    Places all = Now();
    Places others;
    for (const char* place : {"alice", "CORP bob", "alice's Startup"}) {
      if (all.count(place) != 0) others[place] = all[place];
    }
    const std::string suffix = kSidSuffix;
    for (const std::string& name : RawValueNames(kHKeyLocalMachine, kRunLocationKey)) {
      if (name.size() <= suffix.size() || name.substr(name.size() - suffix.size()) != suffix)
        continue;
      const std::string stored = name.substr(0, name.size() - suffix.size());
      const std::string sid = RawString(kHKeyLocalMachine, kRunLocationKey, name);
      if (sid == CurrentUserSid()) continue;
      others["records"][stored] = sid + " " + RawString(kHKeyLocalMachine, kRunItemsKey, stored) +
                                  " | " + RawString(kHKeyLocalMachine, kRunDisabledKey, stored);
    }
    return others;
  }
};

}  // namespace lw::test
