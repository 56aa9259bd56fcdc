// Restore on a machine that several accounts share: the items of two accounts of one user name
// (the local "bob" and the domain's "CORP\bob"), another user's items and shortcut, and both
// views of the machine's Run key. Whichever change of a restore fails, and whatever another
// session's logon does between two of its registry calls, every item is back where it came
// from or still stored, whole; and the restore started again gives the rest back, each item to
// its own account, view and folder.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/RestoreFixture.h"
#include "support/SharedMachine.h"
#include "util/Error.h"

namespace lw::test {
namespace {

class RestoreCensusSimTest : public SharedMachineTest<RestoreFixture>,
                             public ::testing::WithParamInterface<SharedMachine> {
 protected:
  const SharedMachine& Machine() const override { return GetParam(); }

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
  // Every machine is staged alike.
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
  // Every machine is staged alike.
  const ItemCensus census = Census();
  std::vector<std::uint64_t> moments;
  std::uint64_t calls = 0;
  Sim().BeforeEachRegistryCall(InterleaveMoments(calls, moments));
  RestoreAll(true);
  Sim().BeforeEachRegistryCall(nullptr);
  ASSERT_GT(calls, moments.size());

  int refused = 0;
  for (std::uint64_t k : moments) {
    SCOPED_TRACE("the other session comes before call " + std::to_string(k));
    Restart();
    Sim().BeforeEachRegistryCall(OtherSessionBefore(k, refused));
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

INSTANTIATE_TEST_SUITE_P(Machines, RestoreCensusSimTest, ::testing::ValuesIn(SharedMachines()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace lw::test
