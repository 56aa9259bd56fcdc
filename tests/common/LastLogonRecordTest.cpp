// The last logon's record: the text each item's value holds, what the column shows, what reads
// as no figures at all, and that the record is the user's own whatever the registry object.

#include <string>
#include <vector>

#include "runner/LastLogonRecord.h"
#include "store/SettingsStore.h"
#include "support/RawRegistry.h"
#include "support/TestEnv.h"

namespace lw::test {
namespace {

class LastLogonRecordTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    InitializeSettingsStore();
  }
  void TearDown() override { FinalizeSettingsStore(); }
};

TEST_F(LastLogonRecordTest, FiguresAreStoredAsTextAndShownForTheColumn) {
  struct Case {
    LastLogonFigures figures;
    const char* stored;
    const char* shown;
  };
  const Case cases[] = {
      {{12345, 15, 80}, "12345,15,80", "12.3 s, 15% -> 80%"},
      {{999, 0, 100}, "999,0,100", "0.9 s, 0% -> 100%"},  // cut, not rounded up
      {{0, kLoadUnknown, 7}, "0,,7", "0.0 s, ? -> 7%"},
      {{61000, 30, kLoadUnknown}, "61000,30,", "61.0 s, 30% -> ?"},
  };
  Registry reg;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    SaveLastLogonFigures(reg, "Tool", c.figures);
    EXPECT_EQ(RawString(kHKeyCurrentUser, kLastLogonKey, "Tool"), c.stored);
    LastLogonFigures read;
    ASSERT_TRUE(GetLastLogonFigures("Tool", read));
    EXPECT_EQ(read.startedAfterMs, c.figures.startedAfterMs);
    EXPECT_EQ(read.loadBefore, c.figures.loadBefore);
    EXPECT_EQ(read.loadAfter, c.figures.loadAfter);
    EXPECT_EQ(LastLogonText("Tool"), c.shown);
  }
  EXPECT_EQ(LastLogonText("Never started"), "");
}

// Another program (or a hand in regedit) may have left anything there: what is not three
// fields of figures in their range shows nothing rather than nonsense.
TEST_F(LastLogonRecordTest, AValueThatIsNotARecordReadsAsNoFigures) {
  for (const char* text : {"", "12345", "1,2", "1,2,3,4", "a,1,2", "1.5,1,2", "0x10,1,2", "-1,1,2",
                           "1,101,2", "1,2,-1", "99999999999,1,2"}) {
    SetRawString(kHKeyCurrentUser, kLastLogonKey, text, text);
  }
  SetRawDword(kHKeyCurrentUser, kLastLogonKey, "dword", 12345);
  SetRaw(kHKeyCurrentUser, kLastLogonKey, "binary", kRegBinary, std::string("1,2,3", 5));
  for (const std::string& name : RawValueNames(kHKeyCurrentUser, kLastLogonKey)) {
    SCOPED_TRACE(name);
    LastLogonFigures figures{1, 2, 3};
    EXPECT_FALSE(GetLastLogonFigures(name, figures));
    EXPECT_EQ(figures.startedAfterMs, 1) << "left as it was";
    EXPECT_EQ(LastLogonText(name), "");
  }
}

// The runner's registry object defaults to another hive at times; the record goes to the
// user's own all the same, and clearing it leaves every other hive alone.
TEST_F(LastLogonRecordTest, TheRecordIsTheUsersWhateverTheRegistrysDefaultRoot) {
  SetRawString(kHKeyCurrentUser, kLastLogonKey, "Old", "1,2,3");
  SetRawString(kHKeyLocalMachine, kLastLogonKey, "Machine", "1,2,3");
  Registry reg;
  reg.SetDefaultRoot(kHKeyLocalMachine);
  ClearLastLogon(reg);
  SaveLastLogonFigures(reg, "New", {500, 20, 40});
  EXPECT_EQ(RawValueNames(kHKeyCurrentUser, kLastLogonKey), std::vector<std::string>{"New"});
  EXPECT_EQ(RawValueNames(kHKeyLocalMachine, kLastLogonKey), std::vector<std::string>{"Machine"});
  EXPECT_EQ(LastLogonText("New"), "0.5 s, 20% -> 40%");
}

}  // namespace
}  // namespace lw::test
