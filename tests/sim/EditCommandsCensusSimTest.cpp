// The edit window's disable, enable, exclude and include on a machine that several accounts
// share: the user's own item, another user's, the item of another account of the same user name,
// and items of both views of the machine's Run key, each with namesakes (the same value name and
// command) in every other Run key. Whichever change of a command fails, and whatever another
// session's logon does between two of its registry calls, nothing is lost, only the item's own
// Run key changes, no other account's records change, and the command given again does its job.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/EditWindowFixture.h"
#include "support/SharedMachine.h"
#include "util/Error.h"

namespace lw::test {
namespace {

using Id = EditListId;

// The Run key an item's value lives in when Windows has it.
enum class Place { kMachine32, kMachine64, kBob, kAlice, kCorpBob };

struct ItemRow {
  const char* name;
  const char* machine;   // one of SharedMachines()
  std::string stored;    // its stored name: its row in the run order and the disabled list
  std::string value;     // its value name in its Run key
  std::string excluded;  // its row in the disabled list once excluded (another account's is
                         // known by its user's prefix)
  Place own;
  // A Run key where another stored item of that value name lives, which gets no namesake: the
  // exclusion list knows an item by its value name alone, so one excluded row there would stand
  // for both items.
  std::optional<Place> sharesName;
};

void PrintTo(const ItemRow& row, std::ostream* os) { *os << row.name; }

const ItemRow kRows[] = {
    {"Own", "TwoAccountsOfOneName", "bob_Tool", "Tool", "Tool", Place::kBob, std::nullopt},
    {"OtherAccountOfTheName", "TwoAccountsOfOneName", "bob_Mail", "Mail", "bob_Mail",
     Place::kCorpBob, std::nullopt},
    {"AnotherUsers", "AnotherUsersItems", "alice_Chat", "Chat", "alice_Chat", Place::kAlice,
     std::nullopt},
    {"Machine32", "BothViews", "Tray", "Tray", "Tray", Place::kMachine32, Place::kBob},
    {"Machine64", "BothViews", "Tray (64-bit)", "Tray", "Tray (64-bit)", Place::kMachine64,
     std::nullopt},
    {"OwnBesideBothViews", "BothViews", "bob_Tray", "Tray", "Tray", Place::kBob, Place::kMachine32},
};

struct Command {
  const char* name;
  // The command that leads to the state it starts from; null from the staged machine.
  const Command* before;
  Id list;
  bool excludedRow;  // the row is the item's excluded row (else its stored name)
  bool asks;
  void (EditWindow::*give)();
  bool moves;  // its value enters or leaves its own Run key
};

const Command kDisable{
    "disable", nullptr, Id::kRunSort, false, true, &EditWindow::OnDisableRunClicked, false};
const Command kEnable{
    "enable", &kDisable, Id::kRunDisabled, false, false, &EditWindow::OnRunEnableClicked, false};
const Command kExclude{
    "exclude", nullptr, Id::kRunSort, false, true, &EditWindow::OnExcludeRunClicked, true};
const Command kInclude{
    "include", &kExclude, Id::kRunDisabled, true, false, &EditWindow::OnRunEnableClicked, true};
const Command* const kCommands[] = {&kDisable, &kEnable, &kExclude, &kInclude};

class EditCommandsCensusSimTest : public SharedMachineTest<EditWindowFixture>,
                                  public ::testing::WithParamInterface<ItemRow> {
 protected:
  const SharedMachine& Machine() const override { return SharedMachineNamed(GetParam().machine); }

  // The item's command, and a value of its name and command in every other Run key (in the
  // other accounts' alone when the process's own are to stay as staged).
  void PlantNamesakes(bool ownKeysToo) {
    const ItemRow& row = GetParam();
    command = RawString(kHKeyLocalMachine, kRunItemsKey, row.stored);
    ASSERT_FALSE(command.empty()) << row.stored;
    auto plant = [&](Place place, const std::function<void()>& write) {
      if (place != row.own && place != row.sharesName) write();
    };
    if (ownKeysToo) {
      plant(Place::kMachine32, [&] { PlantMachineRun(kKeyWow64_32Key, row.value, command); });
      if (Machine().windows64)
        plant(Place::kMachine64, [&] { PlantMachineRun(kKeyWow64_64Key, row.value, command); });
      plant(Place::kBob, [&] { Run(kHKeyCurrentUser, row.value, command); });
    }
    WithHives([&] {
      plant(Place::kAlice, [&] {
        SetRawString(kHKeyUsers, std::string(kAliceMount) + kRunKey, row.value, command);
      });
      plant(Place::kCorpBob, [&] {
        SetRawString(kHKeyUsers, std::string(kCorpBobMount) + kRunKey, row.value, command);
      });
    });
  }

  // The staged machine in the state the command starts from.
  void Prepare(const Command& c, bool ownKeysToo) {
    Restart();
    PlantNamesakes(ownKeysToo);
    if (c.before != nullptr) {
      Give(*c.before, 0);
      ASSERT_TRUE(Done(*c.before)) << c.before->name;
    }
    census = Census();
    others = OthersRecords();
  }

  // Opens the window, selects the row and gives the command (answering Yes), with the change
  // numbered failing failing (none for 0) and between run before each of the command's
  // registry calls; returns the changes it made.
  std::uint64_t Give(const Command& c, std::uint64_t failing,
                     std::function<void()> between = nullptr) {
    Open();
    Select(c.list, {c.excludedRow ? GetParam().excluded : GetParam().stored});
    if (c.asks) dialogs.Answer(true);
    dialogs.Clear();
    const std::uint64_t start = Sim().ChangeCount();
    if (failing != 0) Sim().FailChange(start + failing);
    Sim().BeforeEachRegistryCall(std::move(between));
    ((*window).*c.give)();
    Sim().BeforeEachRegistryCall(nullptr);
    Sim().FailChange(0);
    return Sim().ChangeCount() - start;
  }

  bool Done(const Command& c) const {
    const ItemRow& row = GetParam();
    // The exclusion's own name: the value name, the 64-bit view's with its mark.
    const std::string mark = row.own == Place::kMachine64 ? row.excluded : row.value;
    if (&c == &kDisable) return Has(kRunDisabledKey, row.stored) && !InRunOrder(row.stored);
    if (&c == &kExclude) return Has(kRunExcludeKey, mark) && !Has(kRunItemsKey, row.stored);
    return InRunOrder(row.stored) && !Has(kRunDisabledKey, row.stored) &&
           !Has(kRunExcludeKey, mark);
  }

  // Whether the line of RunValueChanges is the item's value in its own Run key.
  bool OwnLine(const std::string& line) const {
    const ItemRow& row = GetParam();
    if (line.find("\\" + row.value + " = \"" + command + "\"") == std::string::npos) return false;
    const bool view64 = line.size() > 14 && line.substr(line.size() - 14) == " (64-bit view)";
    switch (row.own) {
      case Place::kMachine32:
        return line.find(" HKEY_LOCAL_MACHINE\\") == 1 && !view64;
      case Place::kMachine64:
        return line.find(" HKEY_LOCAL_MACHINE\\") == 1 && view64;
      case Place::kBob:
        return line.find(" HKEY_CURRENT_USER\\") == 1;
      case Place::kAlice:
        return line.find(std::string(" HKEY_USERS\\") + kAliceMount + "\\") == 1;
      case Place::kCorpBob:
        return line.find(std::string(" HKEY_USERS\\") + kCorpBobMount + "\\") == 1;
    }
    return false;
  }

  // The changes to the Run keys that are not the item's own value in its own Run key, nor the
  // other session's take-over of what came to the machine since.
  std::vector<std::string> ForeignChanges() const {
    std::vector<std::string> foreign;
    for (const std::string& line : RunValueChanges(census, Census())) {
      if (!OwnLine(line) && line.find("\\Arrived = ") == std::string::npos) foreign.push_back(line);
    }
    return foreign;
  }

  // The records of every stored item of another account but this row's.
  Places OthersRecords() const {
    Places records = OthersItems();
    records["records"].erase(GetParam().stored);
    records.erase("alice");
    records.erase("CORP bob");
    return records;
  }

  // After a command cut short (or given with another session in between): nothing lost or
  // hidden, nothing but the item's own value changed; given again, it does its job.
  void CheckAndRedo(const Command& c, bool whole) {
    EXPECT_TRUE(NothingLostSince(census));
    EXPECT_TRUE(EveryItemListedSince(census));
    EXPECT_EQ(ForeignChanges(), std::vector<std::string>{});
    EXPECT_EQ(OthersRecords(), others);
    if (!Done(c)) {
      EXPECT_FALSE(dialogs.Messages().empty()) << "not done, and nothing said";
      Give(c, 0);
      EXPECT_TRUE(dialogs.Messages().empty()) << dialogs.Messages()[0];
    }
    EXPECT_TRUE(Done(c));
    EXPECT_TRUE(NothingLostSince(census));
    EXPECT_TRUE(EveryItemListedSince(census));
    EXPECT_EQ(ForeignChanges(), std::vector<std::string>{});
    EXPECT_EQ(OthersRecords(), others);
    // Its own value enters or leaves its own Run key when the command moves it (a copy left
    // behind by a command cut short goes at the next logon).
    std::vector<std::string> own;
    for (const std::string& line : RunValueChanges(census, Census())) {
      if (OwnLine(line)) own.push_back(line);
    }
    if (whole) {
      EXPECT_EQ(own.size(), c.moves ? 1u : 0u) << ::testing::PrintToString(own);
    } else if (!c.moves) {
      EXPECT_EQ(own, std::vector<std::string>{});
    }
  }

  std::string command;
  ItemCensus census;
  Places others;
};

TEST_P(EditCommandsCensusSimTest, OnlyTheItemsOwnRunKeyChangesWhicheverChangeFails) {
  for (const Command* c : kCommands) {
    SCOPED_TRACE(c->name);
    Prepare(*c, true);
    const std::uint64_t changes = Give(*c, 0);
    ASSERT_TRUE(Done(*c)) << (dialogs.Messages().empty() ? "" : dialogs.Messages()[0]);
    ASSERT_TRUE(dialogs.Messages().empty()) << dialogs.Messages()[0];
    ASSERT_GT(changes, 0u);
    CheckAndRedo(*c, true);
    for (std::uint64_t n = 1; n <= changes; ++n) {
      SCOPED_TRACE("change " + std::to_string(n) + " of " + std::to_string(changes));
      Prepare(*c, true);
      Give(*c, n);
      CheckAndRedo(*c, false);
    }
  }
}

// Another session's logon comes before every call the command makes without the store's lock
// until it has changed the store, and before the first call of each stretch under the lock. The
// namesakes stand in the other accounts' Run keys alone here: the other session's take-over would
// take those of this account into the store.
TEST_P(EditCommandsCensusSimTest, AnotherSessionBetweenTwoCallsLosesNothing) {
  int refused = 0;
  for (const Command* c : kCommands) {
    SCOPED_TRACE(c->name);
    Prepare(*c, false);
    std::vector<std::uint64_t> moments;
    std::uint64_t calls = 0;
    Give(*c, 0, InterleaveMoments(calls, moments, true));
    ASSERT_TRUE(Done(*c));
    ASSERT_FALSE(moments.empty());

    for (std::uint64_t k : moments) {
      SCOPED_TRACE("the other session comes before call " + std::to_string(k));
      Prepare(*c, false);
      Give(*c, 0, OtherSessionBefore(k, refused));
      CheckAndRedo(*c, true);
    }
  }
  // While a command held the store, the other session waited and let go.
  EXPECT_GT(refused, 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, EditCommandsCensusSimTest, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace lw::test
