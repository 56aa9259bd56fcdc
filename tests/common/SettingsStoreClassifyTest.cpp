// How a Run-key value and a shortcut are classified against the store: new, excluded,
// disabled or sorted, with the precedence of each kind.

#include <functional>
#include <string>
#include <vector>

#include "store/SettingsStore.h"
#include "support/RawRegistry.h"
#include "support/TestEnv.h"

namespace lw::test {
namespace {

class SettingsStoreClassifyTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    InitializeSettingsStore();
  }
  void TearDown() override { FinalizeSettingsStore(); }
};

void Put(const char* key, const std::string& name, const std::string& data) {
  SetRawString(kHKeyLocalMachine, key, name, data);
}

void Sort(const char* key, const std::vector<std::string>& entries) {
  for (std::size_t i = 0; i < entries.size(); ++i) Put(key, std::to_string(i), entries[i]);
  SetRawDword(kHKeyLocalMachine, key, "SortIndex", static_cast<std::uint32_t>(entries.size()));
}

struct RunCase {
  const char* title;
  std::function<void()> stage;
  const char* name;
  const char* prefix;
  ItemState expected;
};

TEST_F(SettingsStoreClassifyTest, RunKeyItems) {
  const RunCase cases[] = {
      {"unknown", [] {}, "Tool", "", ItemState::kNew},
      {"excluded", [] { Put(kRunExcludeKey, "Tool", "EXCLUDE"); }, "Tool", "",
       ItemState::kExcluded},
      {"excluded by the bare name, whatever the prefix",
       [] { Put(kRunExcludeKey, "Tool", "EXCLUDE"); }, "Tool", "bob_", ItemState::kExcluded},
      {"the program's own value", [] {}, "LAUNCHWARD", "", ItemState::kExcluded},
      {"its name in another case is not", [] {}, "launchward", "", ItemState::kNew},
      {"disabled under the stored name", [] { Put(kRunDisabledKey, "bob_Tool", "t.exe"); }, "Tool",
       "bob_", ItemState::kDisabled},
      {"disabled wins over excluded",
       [] {
         Put(kRunExcludeKey, "Tool", "EXCLUDE");
         Put(kRunDisabledKey, "Tool", "t.exe");
       },
       "Tool", "", ItemState::kDisabled},
      {"sorted",
       [] {
         Sort(kRunSortKey, {"Other", "Tool"});
       },
       "Tool", "", ItemState::kSorted},
      {"sorted without regard to case", [] { Sort(kRunSortKey, {"BOB_tool"}); }, "Tool", "bob_",
       ItemState::kSorted},
      {"sorted wins over disabled",
       [] {
         Sort(kRunSortKey, {"Tool"});
         Put(kRunDisabledKey, "Tool", "t.exe");
       },
       "Tool", "", ItemState::kSorted},
      {"an entry past SortIndex does not count",
       [] {
         Sort(kRunSortKey, {"Other"});
         Put(kRunSortKey, "1", "Tool");
       },
       "Tool", "", ItemState::kNew},
      {"another user's entry is another item", [] { Sort(kRunSortKey, {"alice_Tool"}); }, "Tool",
       "bob_", ItemState::kNew},
  };
  for (const RunCase& c : cases) {
    SCOPED_TRACE(c.title);
    ResetPlatform();
    InitializeSettingsStore();
    c.stage();
    EXPECT_EQ(GetRunItemState(c.name, c.prefix), c.expected);
  }
}

struct StartupCase {
  const char* title;
  std::function<void()> stage;
  ItemState expected;
};

TEST_F(SettingsStoreClassifyTest, StartupFolderItems) {
  // The shortcut under test is "Tool.lnk".
  const StartupCase cases[] = {
      {"unknown", [] {}, ItemState::kNew},
      {"excluded", [] { Put(kStartupExcludeKey, "Tool.lnk", "C:\\All\\Tool.lnk"); },
       ItemState::kExcluded},
      {"sorted by the file name of the stored path, in any case",
       [] {
         Sort(kStartupSortKey, {"C:\\store\\other.lnk", "C:\\store\\TOOL.LNK"});
       },
       ItemState::kSorted},
      {"sorted wins over excluded",
       [] {
         Put(kStartupExcludeKey, "Tool.lnk", "C:\\All\\Tool.lnk");
         Sort(kStartupSortKey, {"C:\\store\\Tool.lnk"});
       },
       ItemState::kSorted},
      {"disabled wins over sorted",
       [] {
         Sort(kStartupSortKey, {"C:\\store\\Tool.lnk"});
         Put(kStartupDisableKey, "Tool.lnk", "C:\\store\\Tool.lnk");
       },
       ItemState::kDisabled},
      {"a name that only ends alike is another item",
       [] { Sort(kStartupSortKey, {"C:\\store\\MyTool.lnk"}); }, ItemState::kNew},
  };
  for (const StartupCase& c : cases) {
    SCOPED_TRACE(c.title);
    ResetPlatform();
    InitializeSettingsStore();
    c.stage();
    EXPECT_EQ(GetStartupItemState("Tool.lnk"), c.expected);
  }
}

TEST_F(SettingsStoreClassifyTest, NewItemFlagsAndExclusions) {
  Put(kRunNewItemsKey, "bob_Tool", "t.exe");
  Put(kStartupNewKey, "Tool.lnk", "C:\\store\\Tool.lnk");
  Put(kStartupExcludeKey, "Gone.lnk", "C:\\All\\Gone.lnk");
  EXPECT_TRUE(IsNewRunItem("BOB_TOOL"));  // value names follow the registry's rules
  EXPECT_FALSE(IsNewRunItem("Tool"));
  EXPECT_TRUE(IsNewStartupItem("Tool.lnk"));
  EXPECT_TRUE(StartupItemExcluded("Gone.lnk"));
  EXPECT_FALSE(StartupItemExcluded("Tool.lnk"));
  EXPECT_TRUE(RunItemExcluded("LAUNCHWARD"));
  EXPECT_FALSE(RunItemExcluded("Tool"));
}

}  // namespace
}  // namespace lw::test
