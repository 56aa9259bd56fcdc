// The sort lists under a failure half-way: whichever change fails, the entries a rewrite keeps
// stay listed, and a failed append never blocks the appends after it.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "store/HeldSortOrders.h"
#include "store/SettingsStore.h"
#include "support/RawRegistry.h"
#include "support/TestEnv.h"
#include "util/Error.h"

namespace lw::test {
namespace {

class SortListFaultTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    InitializeSettingsStore();
  }
  void TearDown() override { FinalizeSettingsStore(); }

  static std::vector<std::string> Listed() {
    std::vector<std::string> listed;
    for (std::int32_t i = 0; i < GetRunSortCount(); ++i) listed.push_back(GetRunSortName(i));
    return listed;
  }
  static bool IsListed(const std::string& entry) {
    std::vector<std::string> listed = Listed();
    return std::find(listed.begin(), listed.end(), entry) != listed.end();
  }

  // Runs the action with its change number n failing; returns the number of changes it made
  // when nothing fails (n == 0).
  template <class Stage, class Action>
  std::uint64_t RunWithFailure(std::uint64_t n, Stage stage, Action action) {
    TearDown();
    ResetPlatform();
    InitializeSettingsStore();
    stage();
    std::uint64_t start = Sim().ChangeCount();
    if (n != 0) Sim().FailChange(start + n);
    try {
      action();
    } catch (const Error&) {
    }
    Sim().FailChange(0);
    return Sim().ChangeCount() - start;
  }
};

TEST_F(SortListFaultTest, ARewriteNeverDropsAnEntryItKeeps) {
  struct Case {
    const char* title;
    std::vector<std::string> before;
    std::vector<std::string> after;
  } cases[] = {
      {"a shorter list", {"A", "B", "C", "D"}, {"A", "C", "D"}},
      {"a longer list", {"A", "B"}, {"A", "B", "C", "D"}},
      {"no list before", {}, {"A", "B"}},
  };
  for (const Case& c : cases) {
    auto stage = [&] { SaveSortOrder(kRunSortName, c.before); };
    auto action = [&] { SaveSortOrder(kRunSortName, c.after); };
    std::uint64_t changes = RunWithFailure(0, stage, action);
    EXPECT_EQ(Listed(), c.after) << c.title;
    for (std::uint64_t n = 1; n <= changes; ++n) {
      RunWithFailure(n, stage, action);
      for (const std::string& entry : c.after) {
        if (std::find(c.before.begin(), c.before.end(), entry) == c.before.end()) continue;
        EXPECT_TRUE(IsListed(entry)) << c.title << ": change " << n << " dropped " << entry;
      }
      EXPECT_TRUE(AppendSortEntry(kRunSortName, "Later")) << c.title << ": change " << n;
      EXPECT_TRUE(IsListed("Later")) << c.title << ": change " << n;
    }
  }
}

TEST_F(SortListFaultTest, AFailedAppendLeavesRoomForTheNextOne) {
  auto stage = [] { SaveSortOrder(kRunSortName, {"A"}); };
  auto action = [] { AppendSortEntry(kRunSortName, "B"); };
  std::uint64_t changes = RunWithFailure(0, stage, action);
  ASSERT_EQ(changes, 2u);
  for (std::uint64_t n = 1; n <= changes; ++n) {
    RunWithFailure(n, stage, action);
    EXPECT_TRUE(IsListed("A")) << "change " << n;
    EXPECT_TRUE(AppendSortEntry(kRunSortName, "C")) << "change " << n;
    EXPECT_TRUE(IsListed("C")) << "change " << n;
  }
}

// A stray value where the entry goes makes the append rewrite the list first: whichever change
// of that fails, the listed entries stay and the next append goes in.
TEST_F(SortListFaultTest, AnAppendOverAStrayValueLosesNoEntry) {
  auto stage = [] {
    SaveSortOrder(kRunSortName, {"A", "B"});
    SharedRegistry().PutString(kRunSortKey, true, "2", "Stray");
  };
  auto action = [] { AppendSortEntry(kRunSortName, "C"); };
  std::uint64_t changes = RunWithFailure(0, stage, action);
  EXPECT_EQ(Listed(), (std::vector<std::string>{"A", "B", "C"}));
  for (std::uint64_t n = 1; n <= changes; ++n) {
    RunWithFailure(n, stage, action);
    EXPECT_TRUE(IsListed("A")) << "change " << n;
    EXPECT_TRUE(IsListed("B")) << "change " << n;
    EXPECT_TRUE(AppendSortEntry(kRunSortName, "D")) << "change " << n;
    EXPECT_TRUE(IsListed("D")) << "change " << n;
  }
}

// While a pass holds the orders in memory, its readers must say what the registry says after
// every change, a change that failed half-way included; the held copy then goes on in step.
TEST_F(SortListFaultTest, HeldOrdersAgreeWithTheRegistryAfterEveryChange) {
  const auto stored = [] {
    std::vector<std::string> entries;
    const std::int64_t count = RawDword(kHKeyLocalMachine, kRunSortKey, kSortIndexValue, 0);
    for (std::int64_t i = 0; i < count; ++i) {
      const std::string entry = RawString(kHKeyLocalMachine, kRunSortKey, std::to_string(i));
      entries.push_back(entry == "<missing>" ? std::string() : entry);
    }
    return entries;
  };
  struct Case {
    const char* title;
    void (*action)();
  } cases[] = {
      {"an append", [] { AppendSortEntry(kRunSortName, "C"); }},
      {"an append over a stray value",
       [] {
         SharedRegistry().PutString(kRunSortKey, true, "2", "Stray");
         AppendSortEntry(kRunSortName, "C");
       }},
      {"a rewrite",
       [] {
         SaveSortOrder(kRunSortName, {"B", "C", "D"});
       }},
      {"a removal", [] { RemoveSortEntry(SharedRegistry(), kRunSortName, 0); }},
  };
  for (const Case& c : cases) {
    std::unique_ptr<HeldSortOrders> held;
    auto stage = [&] {
      SaveSortOrder(kRunSortName, {"A", "B"});
      held = std::make_unique<HeldSortOrders>();
      Listed();  // loads the held copy
    };
    const std::uint64_t changes = RunWithFailure(0, stage, c.action);
    EXPECT_EQ(Listed(), stored()) << c.title;
    held.reset();
    for (std::uint64_t n = 1; n <= changes; ++n) {
      RunWithFailure(n, stage, c.action);
      EXPECT_EQ(Listed(), stored()) << c.title << ": change " << n;
      EXPECT_TRUE(AppendSortEntry(kRunSortName, "Later")) << c.title << ": change " << n;
      EXPECT_EQ(Listed(), stored()) << c.title << ": change " << n;
      EXPECT_TRUE(RunOrderHolds("later")) << c.title << ": change " << n;
      held.reset();
    }
  }
}

// An entry that is not text raises when it is read, held or not.
TEST_F(SortListFaultTest, AnUnreadableEntryRaisesWhileHeldAsWithout) {
  SaveSortOrder(kRunSortName, {"A", "B"});
  SetRawDword(kHKeyLocalMachine, kRunSortKey, "1", 7);
  EXPECT_THROW(GetRunSortName(1), Error);
  HeldSortOrders held;
  EXPECT_EQ(GetRunSortName(0), "A");
  EXPECT_THROW(GetRunSortName(1), Error);
}

}  // namespace
}  // namespace lw::test
