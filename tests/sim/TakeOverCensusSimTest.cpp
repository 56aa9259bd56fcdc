// A logon's take-over on a machine that several accounts share: two accounts of one user name
// (the local "bob", whose logon it is, and the domain's "CORP\bob"), another user's stored items
// and shortcut, and both views of the machine's Run key. Whichever change of the take-over fails,
// and whatever another session's logon does between two of its registry calls, every item is in
// Windows or stored where the program sees it, the other accounts' items are untouched, and the
// next logon ends where a take-over without a fault ends, with as many items.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "items/ItemManager.h"
#include "support/SharedMachine.h"
#include "util/Error.h"

namespace lw::test {
namespace {

std::size_t Total(const ItemCensus& census) {
  return census.runValues.size() + census.files.size();
}

class TakeOverCensusSimTest : public SharedMachineTest<TakeOverFixture>,
                              public ::testing::WithParamInterface<SharedMachine> {
 protected:
  const SharedMachine& Machine() const override { return GetParam(); }

  void SetUp() override {
    SharedMachineTest::SetUp();
    GetParam().since();
  }

  // Where a logon without a fault leaves everything, and what the others had before it.
  void TakeReference() {
    before = Census();
    others = OthersItems();
    Pass();
    taken = Now();
    takenTotal = Total(Census());
    ASSERT_TRUE(NothingLostSince(before));
    ASSERT_EQ(OthersItems(), others);
  }

  // After a logon cut short: nothing lost, nothing hidden, nobody else's item touched; the next
  // logon then ends where the reference ended.
  void CheckCutShortAndNext() {
    EXPECT_TRUE(NothingLostSince(before));
    EXPECT_TRUE(EveryItemListedSince(before));
    EXPECT_EQ(OthersItems(), others);
    Pass();
    EXPECT_TRUE(NothingLostSince(before));
    EXPECT_TRUE(EveryItemListedSince(before));
    EXPECT_EQ(Now(), Taken());
    EXPECT_EQ(Total(Census()), takenTotal);
  }

  // Where the logon without a fault left everything, but for the new items that the logon cut
  // short left excluded (a probe of their Run key failed, as a key that takes no changes does):
  // those stay with Windows, in their own Run key.
  Places Taken() const {
    Places expected = taken;
    const Places now = Now();
    const ValueMap nowStored = now.count("stored") != 0 ? now.at("stored") : ValueMap{};
    for (const std::string& excluded : RawValueNames(kHKeyLocalMachine, kRunExcludeKey)) {
      for (const auto& [stored, place, value] :
           {std::tuple<std::string, std::string, std::string>{
                excluded, HasView64Mark(excluded) ? "machine 64" : "machine",
                WithoutView64Mark(excluded)},
            {CurrentUserPrefix() + excluded, "bob", excluded}}) {
        auto it = expected["stored"].find(stored);
        if (it == expected["stored"].end() || nowStored.count(stored) != 0) continue;
        expected[place][value] = it->second;
        expected["stored"].erase(it);
      }
    }
    return expected;
  }

  ItemCensus before;
  Places others;
  Places taken;
  // Items counted once a logon without a fault is over: a value written back while its item is
  // stored counts twice before it.
  std::size_t takenTotal = 0;
};

TEST_P(TakeOverCensusSimTest, NothingIsLostWhicheverChangeFails) {
  TakeReference();
  Restart();
  const std::uint64_t start = Sim().ChangeCount();
  Pass();
  const std::uint64_t changes = Sim().ChangeCount() - start;
  ASSERT_GT(changes, 5u);

  for (std::uint64_t n = 1; n <= changes; ++n) {
    SCOPED_TRACE("change " + std::to_string(n) + " of " + std::to_string(changes));
    Restart();
    Sim().FailChange(Sim().ChangeCount() + n);
    try {
      Pass();
    } catch (const Error&) {
      // The logon ends there.
    }
    Sim().FailChange(0);
    CheckCutShortAndNext();
  }
}

// Another session's logon takes items over between two registry calls of this one: before it
// holds the store (both read the same Run keys), or while it does (the other waits and leaves
// its items to its next logon). It comes before every call made without the store's lock, and
// before the first call of each stretch under the lock (the calls after it would only see it
// wait again).
TEST_P(TakeOverCensusSimTest, AnotherSessionBetweenTwoCallsLosesNothing) {
  TakeReference();
  Restart();
  std::vector<std::uint64_t> moments;
  std::uint64_t calls = 0;
  Sim().BeforeEachRegistryCall(InterleaveMoments(calls, moments));
  Pass();
  Sim().BeforeEachRegistryCall(nullptr);
  ASSERT_GT(calls, moments.size());

  int refused = 0;
  for (std::uint64_t k : moments) {
    SCOPED_TRACE("the other session comes before call " + std::to_string(k));
    Restart();
    Sim().BeforeEachRegistryCall(OtherSessionBefore(k, refused));
    Pass();
    Sim().BeforeEachRegistryCall(nullptr);
    CheckCutShortAndNext();
  }
  // While this logon held the store, the other session waited and let go.
  EXPECT_GT(refused, 0);
}

INSTANTIATE_TEST_SUITE_P(Machines, TakeOverCensusSimTest, ::testing::ValuesIn(SharedMachines()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace lw::test
