// Two sessions, one store: another session's logon runs its take-over between any two registry
// calls of this session's take-over or edit command (two users logging on at once, a logon
// while the edit window is open). Whichever two calls it comes between, no item ends stored
// but in no list, nothing is lost, and the next logon takes over what is still to take.

#include <cstdint>
#include <functional>
#include <string>

#include "store/StoreLock.h"
#include "support/EditWindowFixture.h"
#include "support/ItemCensus.h"
#include "util/Error.h"

namespace lw::test {
namespace {

using Id = EditListId;

class SecondSessionFaultTest : public EditWindowFixture {
 protected:
  // Items taken over at an earlier logon, and values that came since: this session's pass
  // and the other session's find them new.
  void Stage() {
    Run(kHKeyLocalMachine, "Tray", "C:\\Apps\\tray.exe");
    Run(kHKeyCurrentUser, "Mine", "C:\\Apps\\mine.exe");
    Run(kHKeyLocalMachine, "Agent", "C:\\Apps\\agent.exe");
    Pass();
    Run(kHKeyLocalMachine, "Arrived", "C:\\Apps\\arrived.exe");
    Run(kHKeyLocalMachine, "Updater", "C:\\Apps\\updater.exe /quiet");
    Open();
  }

  // The other session's first phase, in a process of its own. It either takes its items over
  // whole or, while this session changes the store, waits and then leaves them to the next
  // logon.
  void OtherSessionsTakeOver() {
    Sim().AsAnotherProcess([this] {
      try {
        Pass();
      } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), kMsgStoreBusy);
        ++refused;
      }
    });
  }

  // The number of registry calls the operation makes on the staged machine.
  std::uint64_t CallsOf(const std::function<void()>& operation) {
    Restart();
    Stage();
    std::uint64_t calls = 0;
    Sim().BeforeEachRegistryCall([&calls] { ++calls; });
    operation();
    Sim().BeforeEachRegistryCall(nullptr);
    return calls;
  }

  int refused = 0;
};

TEST_F(SecondSessionFaultTest, AnotherSessionsTakeOverBetweenAnyTwoCallsLosesNoItem) {
  const struct {
    const char* title;
    std::function<void()> operation;
  } cases[] = {
      {"this session's take-over", [] { Pass(); }},
      {"the edit window moves a row to the top",
       [this] {
         Select(Id::kRunSort, {"Agent"});
         window->OnMoveTop(Id::kRunSort);
       }},
      {"the edit window disables a row",
       [this] {
         Select(Id::kRunSort, {"Tray"});
         dialogs.Answer(true);
         window->OnDisableRunClicked();
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    const std::uint64_t calls = CallsOf(c.operation);
    ASSERT_GT(calls, 0u);
    int refusedAtAll = 0;
    for (std::uint64_t k = 1; k <= calls; ++k) {
      SCOPED_TRACE("the other session comes before call " + std::to_string(k));
      Restart();
      Stage();
      refused = 0;
      const ItemCensus before = TakeItemCensus();
      std::uint64_t call = 0;
      Sim().BeforeEachRegistryCall([&] {
        if (++call == k) OtherSessionsTakeOver();
      });
      c.operation();
      Sim().BeforeEachRegistryCall(nullptr);
      refusedAtAll += refused;
      ASSERT_TRUE(NothingLost(before));
      ASSERT_TRUE(EveryItemListed(before));
      // The next logon takes over whatever the refused session left with Windows.
      Pass();
      EXPECT_TRUE(EveryItemListed(before));
      EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunKey, "Arrived"));
      EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunKey, "Updater"));
    }
    // While this session held the store, the other one waited and let go.
    EXPECT_GT(refusedAtAll, 0);
  }
}

}  // namespace
}  // namespace lw::test
