// Whose value an exclusion leaves to Windows. Excluding one account's item (or the machine's)
// must not keep another account's value of the same name from being taken over, while a mark
// written before exclusions named their owner still leaves every Run key's value to Windows.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "items/ItemManager.h"
#include "platform/sim/SimMachine.h"
#include "support/AliceAccount.h"
#include "support/SharedMachine.h"
#include "support/TakeOverFixture.h"

namespace lw::test {
namespace {

constexpr char kChat[] = "C:\\Apps\\chat.exe";
const std::string kBob = sim::kBobSid;
const std::string kAlice = kAliceSid;

class ExclusionOwnerSimTest : public TakeOverFixture {
 protected:
  void SetUp() override {
    TakeOverFixture::SetUp();
    Sim().AddAccount("bob", sim::kBobSid);
    ASSERT_EQ(CurrentUserSid(), kBob);
    StageAlice();
  }
};

// A new "Chat" arrives in one Run key at bob's logon, while "RunExclude" holds a mark of that
// name: only a mark that covers the value's own Run key leaves it with Windows.
TEST_F(ExclusionOwnerSimTest, OnlyTheValuesOwnExclusionLeavesItWithWindows) {
  struct Case {
    const char* what;
    std::string marks;
    HKey root;
    bool leftWithWindows;
  };
  const std::vector<Case> cases = {
      {"alice's exclusion, bob's value", kAlice, kHKeyCurrentUser, false},
      {"the machine's exclusion, bob's value", kMachineExcludeOwner, kHKeyCurrentUser, false},
      {"the machine's and alice's, bob's value", std::string(kMachineExcludeOwner) + "," + kAlice,
       kHKeyCurrentUser, false},
      {"alice's exclusion, the machine's value", kAlice, kHKeyLocalMachine, false},
      {"bob's own exclusion", kBob, kHKeyCurrentUser, true},
      {"alice's and bob's, bob's value", kAlice + "," + kBob, kHKeyCurrentUser, true},
      {"the machine's own exclusion", kMachineExcludeOwner, kHKeyLocalMachine, true},
      {"an old mark, bob's value", kExcludeMark, kHKeyCurrentUser, true},
      {"an old mark, the machine's value", kExcludeMark, kHKeyLocalMachine, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Restart();
    Sim().AddAccount("bob", sim::kBobSid);
    SetRawString(kHKeyLocalMachine, kRunExcludeKey, "Chat", c.marks);
    Run(c.root, "Chat", kChat);
    Pass();
    const std::string stored = Stored(c.root, "Chat");
    EXPECT_EQ(RawValueExists(c.root, kRunKey, "Chat"), c.leftWithWindows);
    EXPECT_EQ(RunOrderHolds(stored), !c.leftWithWindows);
    EXPECT_EQ(RawString(kHKeyLocalMachine, kRunExcludeKey, "Chat"), c.marks);
  }
}

// Alice's item and the machine's item of one name are excluded one after the other: both
// exclusions stand side by side, the edit window lists each as its own row, and including
// alice's takes back her value alone and leaves the machine's excluded.
TEST_F(ExclusionOwnerSimTest, ExclusionsOfOneNameByTwoOwnersStandApart) {
  StoreUsersItem("alice", kAliceSid, "Chat", kChat);
  SetRawString(kHKeyLocalMachine, kRunItemsKey, "Chat", kChat);
  SharedItemManager().AppendSortEntry(kRunSortName, "Chat");
  SetRunLocationHKey("Chat", kHKeyLocalMachine);

  SharedItemManager().ExcludeRunItem("alice_Chat");
  SharedItemManager().ExcludeRunItem("Chat");
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunExcludeKey, "Chat"),
            kAlice + "," + kMachineExcludeOwner);
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunKey, "Chat"), kChat);
  EXPECT_FALSE(RawValueExists(kHKeyCurrentUser, kRunKey, "Chat"));
  InHive(kAliceHive, "ExclusionAlice", [](const std::string& runKey) {
    EXPECT_EQ(RawString(kHKeyUsers, runKey, "Chat"), kChat);
  });

  std::vector<std::string> captions;
  for (const ExcludedRunItem& item : ExcludedRunItems()) {
    captions.push_back(item.caption);
    EXPECT_EQ(item.command.text, kChat) << item.caption;
  }
  EXPECT_EQ(captions, (std::vector<std::string>{"alice_Chat", "Chat"}));

  const ExcludedRunItem alices = ExcludedRunItems().front();
  EXPECT_EQ(SharedItemManager().IncludeExcludedRunItem(alices.origin), "alice_Chat");
  EXPECT_TRUE(RunOrderHolds("alice_Chat"));
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunExcludeKey, "Chat"), kMachineExcludeOwner);
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunKey, "Chat"), kChat);
  InHive(kAliceHive, "ExclusionAlice", [](const std::string& runKey) {
    EXPECT_FALSE(RawValueExists(kHKeyUsers, runKey, "Chat"));
  });
}

// Including an item whose mark is an old one takes the whole mark away, as it always did.
TEST_F(ExclusionOwnerSimTest, IncludingUnderAnOldMarkClearsIt) {
  SetRawString(kHKeyLocalMachine, kRunExcludeKey, "Chat", kExcludeMark);
  Run(kHKeyCurrentUser, "Chat", kChat);
  const std::vector<ExcludedRunItem> items = ExcludedRunItems();
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].caption, "Chat");
  EXPECT_EQ(SharedItemManager().IncludeExcludedRunItem(items[0].origin),
            Stored(kHKeyCurrentUser, "Chat"));
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunExcludeKey, "Chat"));
  EXPECT_FALSE(RawValueExists(kHKeyCurrentUser, kRunKey, "Chat"));
}

}  // namespace
}  // namespace lw::test
