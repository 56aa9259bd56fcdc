// Registry's whole operations and the primitives they stand on, on the simulation and on
// the real registry alike.

#include <climits>
#include <string>
#include <vector>

#include "store/Registry.h"
#include "support/RawRegistry.h"
#include "support/TestEnv.h"
#include "util/Error.h"

namespace lw::test {
namespace {

const std::string kBase = "\\SOFTWARE\\Tallowmere\\Test";

class RegistryTest : public PlatformTest {
 protected:
  Registry reg;
};

// The text of the error an action raises; empty when it raises none.
TEST_F(RegistryTest, StringsAndIntegersRoundTripUnderOddNames) {
  const std::vector<std::string> names = {"Plain",       "with blank",  "quote\"d", "100%",
                                          "caf\xc3\xa9", "back\\slash", ""};
  const std::string key = kBase + "\\Odd key (x86) caf\xc3\xa9";
  const std::vector<std::string> texts = {"", "x", "C:\\Program Files\\Tool\\tool.exe -a \"b\""};
  for (const std::string& name : names) {
    for (const std::string& text : texts) {
      SCOPED_TRACE("name '" + name + "' text '" + text + "'");
      reg.PutString(key, true, name, text);
      EXPECT_EQ(reg.GetString(key, name), text);
      EXPECT_EQ(RawString(kHKeyLocalMachine, key, name), text);
    }
  }
  for (std::int32_t value :
       {0, 1, -1, INT32_MAX, INT32_MIN, static_cast<std::int32_t>(0x80000002u)}) {
    SCOPED_TRACE(value);
    reg.PutInteger(key, true, "Number", value);
    EXPECT_EQ(reg.GetInteger(key, "Number"), value);
    EXPECT_EQ(RawDword(kHKeyLocalMachine, key, "Number"), value);
  }
}

// An expandable value keeps its type and its unexpanded text through a read and a write, and
// a take; a plain string write stays REG_SZ.
TEST_F(RegistryTest, StringValuesKeepTheirType) {
  const std::string text = "\"%ProgramFiles%\\Tool\\tool.exe\" /dir %TEMP%";
  for (std::uint32_t type : {kRegSz, kRegExpandSz}) {
    SCOPED_TRACE(type);
    SetRaw(kHKeyLocalMachine, kBase, "Source", type, text + std::string(1, '\0'));
    StringValue read = reg.GetStringValueAt(kHKeyLocalMachine, kBase, "Source");
    EXPECT_EQ(read.text, text);
    EXPECT_EQ(read.type, type);
    reg.PutString(kBase, true, "Copy", read);
    EXPECT_EQ(RawType(kHKeyLocalMachine, kBase, "Copy"), type);
    EXPECT_EQ(RawString(kHKeyLocalMachine, kBase, "Copy"), text);
    StringValue taken = reg.TakeStringValueAt(kHKeyLocalMachine, kBase, "Copy");
    EXPECT_EQ(taken.text, text);
    EXPECT_EQ(taken.type, type);
    EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kBase, "Copy"));
    reg.PutString(kBase, true, "Plain", read.text);
    EXPECT_EQ(RawType(kHKeyLocalMachine, kBase, "Plain"), kRegSz);
  }
  StringValue missing = reg.GetStringValueAt(kHKeyLocalMachine, kBase, "Missing");
  EXPECT_EQ(missing.text, "");
  EXPECT_EQ(missing.type, kRegSz);
}

TEST_F(RegistryTest, OperationsUseTheirRootOrTheDefaultRoot) {
  EXPECT_EQ(reg.DefaultRoot(), kHKeyLocalMachine);
  reg.PutString(kBase, true, "Where", "machine");
  reg.PutStringAt(kHKeyCurrentUser, kBase, true, "Where", "user");
  EXPECT_EQ(RawString(kHKeyLocalMachine, kBase, "Where"), "machine");
  EXPECT_EQ(RawString(kHKeyCurrentUser, kBase, "Where"), "user");
  reg.SetDefaultRoot(kHKeyCurrentUser);
  EXPECT_EQ(reg.GetString(kBase, "Where"), "user");
  EXPECT_EQ(reg.GetStringAt(kHKeyLocalMachine, kBase, "Where"), "machine");
}

TEST_F(RegistryTest, AbsentKeysAndValuesGiveEmptyResultsAndCreateNothing) {
  const std::string missing = kBase + "\\Missing";
  reg.PutString(kBase, true, "Other", "stays");
  reg.PutInteger(kBase, true, "MinusOne", -1);

  EXPECT_EQ(reg.GetString(missing, "v"), "");
  EXPECT_EQ(reg.GetString(kBase, "v"), "");
  EXPECT_EQ(reg.GetInteger(missing, "v"), -1);
  EXPECT_EQ(reg.GetInteger(kBase, "v"), -1);
  EXPECT_EQ(reg.GetInteger(kBase, "MinusOne"), -1);  // a stored -1 reads as absence

  std::int32_t number = 7;
  std::string text = "untouched";
  EXPECT_FALSE(reg.GetIntegerIfPresent(kBase, "v", number));
  EXPECT_FALSE(reg.GetStringIfPresent(missing, "v", text));
  EXPECT_EQ(number, 7);
  EXPECT_EQ(text, "untouched");
  EXPECT_TRUE(reg.GetIntegerIfPresent(kBase, "MinusOne", number));
  EXPECT_EQ(number, -1);

  EXPECT_EQ(reg.TakeString(kBase, "v"), "");
  EXPECT_EQ(reg.TakeString(missing, "v"), "");
  reg.RemoveValue(missing, "v");
  reg.PutInteger(missing, false, "v", 1);

  std::vector<std::string> list = {"keep"};
  reg.ListValueNames(missing, list);
  EXPECT_EQ(list, std::vector<std::string>{"keep"});
  reg.ListKeyNames(missing, list);
  EXPECT_EQ(list, std::vector<std::string>{"keep"});

  EXPECT_FALSE(RawKeyExists(kHKeyLocalMachine, missing));
  EXPECT_EQ(RawString(kHKeyLocalMachine, kBase, "Other"), "stays");
}

TEST_F(RegistryTest, TakeStringReadsAndDeletesOnlyThatValue) {
  reg.PutString(kBase, true, "Take", "data");
  reg.PutString(kBase, true, "Keep", "other");
  EXPECT_EQ(reg.TakeString(kBase, "Take"), "data");
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kBase, "Take"));
  EXPECT_EQ(reg.TakeString(kBase, "Take"), "");
  EXPECT_EQ(RawValueNames(kHKeyLocalMachine, kBase), std::vector<std::string>{"Keep"});
}

TEST_F(RegistryTest, WritesToAKeyThatDoesNotOpen) {
  const std::string missing = kBase + "\\Missing";
  EXPECT_EQ(ErrorOf([&] { reg.PutString(missing, false, "v", "x"); }),
            "Unable to open : \\SOFTWARE\\Tallowmere\\Test\\Missing");
  EXPECT_EQ(ErrorOf([&] { reg.PutInteger(missing, false, "v", 1); }), "");
  EXPECT_FALSE(RawKeyExists(kHKeyLocalMachine, missing));
  // With create, both write and the whole path appears.
  reg.PutInteger(missing + "\\Deeper", true, "v", 1);
  EXPECT_EQ(RawDword(kHKeyLocalMachine, missing + "\\Deeper", "v"), 1);
}

TEST_F(RegistryTest, ListsNamesInRegistryOrder) {
  for (const char* name : {"First", "Second", "Third"}) reg.PutString(kBase, true, name, "x");
  for (const char* name : {"b", "a"}) reg.PutInteger(kBase + "\\Sub\\" + name, true, "v", 1);
  std::vector<std::string> list = {"stale"};
  reg.ListValueNames(kBase, list);
  EXPECT_EQ(list, RawValueNames(kHKeyLocalMachine, kBase));
  EXPECT_EQ(list.size(), 3u);
  reg.ListKeyNames(kBase + "\\Sub", list);
  EXPECT_EQ(list, (std::vector<std::string>{"a", "b"}));
}

TEST_F(RegistryTest, RecreateSubKeyLeavesOneEmptyKey) {
  const std::string list = kBase + "\\List";
  reg.PutString(list, true, "0", "a");
  reg.PutInteger(list, true, "SortIndex", 1);
  for (const char* sub : {"\\Sub1\\Deep\\Deeper", "\\Sub2", "\\Sub1\\Other"}) {
    reg.PutString(list + sub, true, "v", "x");
  }
  reg.PutString(kBase + "\\Sibling", true, "v", "stays");

  reg.RecreateSubKey(kBase, "List");
  EXPECT_EQ(DumpTree(kHKeyLocalMachine, list), "[SOFTWARE\\Tallowmere\\Test\\List]\n");
  EXPECT_EQ(RawString(kHKeyLocalMachine, kBase + "\\Sibling", "v"), "stays");

  reg.RecreateSubKey(kBase, "New");  // absent: simply created
  EXPECT_TRUE(RawKeyExists(kHKeyLocalMachine, kBase + "\\New"));

  reg.RecreateSubKey(kBase + "\\Missing", "List");  // parent does not open: nothing happens
  EXPECT_FALSE(RawKeyExists(kHKeyLocalMachine, kBase + "\\Missing"));
}

TEST_F(RegistryTest, DeleteKeyTakesAWideAndDeepTree) {
  const std::string tree = kBase + "\\Tree";
  for (int i = 0; i < 12; ++i) {
    std::string child = tree + "\\Child" + std::to_string(i);
    reg.PutString(child + "\\Grand\\Great", true, "v", "x");
    reg.PutString(child + "\\Grand2", true, "v", "x");
  }
  reg.PutString(kBase + "\\Treetop", true, "v", "stays");
  ASSERT_TRUE(reg.OpenFull(kBase, false));
  EXPECT_TRUE(reg.DeleteKey("Tree"));
  reg.CloseKey();
  EXPECT_FALSE(RawKeyExists(kHKeyLocalMachine, tree));
  EXPECT_TRUE(RawKeyExists(kHKeyLocalMachine, kBase + "\\Treetop"));
  EXPECT_FALSE(reg.DeleteKey(tree));
}

TEST_F(RegistryTest, DeleteKeyRefusesAnEmptyName) {
  reg.PutString(kBase + "\\Child", true, "v", "x");
  std::string before = DumpTree(kHKeyLocalMachine, kBase);
  ASSERT_TRUE(reg.OpenFull(kBase, false));
  EXPECT_FALSE(reg.DeleteKey(""));
  reg.CloseKey();
  EXPECT_EQ(DumpTree(kHKeyLocalMachine, kBase), before);
}

TEST_F(RegistryTest, PrimitivesFollowTheCurrentKey) {
  EXPECT_EQ(reg.RootKey(), kHKeyLocalMachine);  // the default root until an operation runs
  ASSERT_TRUE(reg.OpenFull(kBase, true));
  EXPECT_EQ(reg.CurrentPath(), "SOFTWARE\\Tallowmere\\Test");
  ASSERT_TRUE(reg.OpenKey("Child", true));  // relative: below the current key
  EXPECT_EQ(reg.CurrentPath(), "SOFTWARE\\Tallowmere\\Test\\Child");
  reg.WriteString("v", "x");
  EXPECT_TRUE(reg.ValueExists("v"));
  EXPECT_TRUE(reg.KeyExists("\\SOFTWARE\\Tallowmere\\Test\\Child"));
  EXPECT_FALSE(reg.KeyExists("Child"));  // relative to Child itself
  reg.CloseKey();
  EXPECT_EQ(reg.CurrentKey(), 0u);
  EXPECT_EQ(reg.CurrentPath(), "");
  EXPECT_EQ(RawString(kHKeyLocalMachine, kBase + "\\Child", "v"), "x");

  ASSERT_TRUE(reg.OpenKeyReadOnly(kBase));
  EXPECT_EQ(reg.Access(), kKeyRead);
  reg.SetRootKey(kHKeyCurrentUser);  // another root closes the key
  EXPECT_EQ(reg.CurrentKey(), 0u);

  reg.SetRootKey(kHKeyLocalMachine);
  reg.CreateKey("\\SOFTWARE\\Tallowmere\\Test\\Made");
  EXPECT_TRUE(RawKeyExists(kHKeyLocalMachine, kBase + "\\Made"));
}

TEST_F(RegistryTest, OperationsCloseTheirKeyAndResetTheAccess) {
  reg.PutString(kBase, true, "v", "x");
  EXPECT_EQ(reg.GetString(kBase, "v"), "x");  // opened with KEY_READ
  EXPECT_EQ(reg.CurrentKey(), 0u);
  EXPECT_EQ(reg.Access(), kKeyAllAccess);
  EXPECT_THROW(reg.GetInteger(kBase, "v"), Error);
  EXPECT_EQ(reg.CurrentKey(), 0u);
  EXPECT_EQ(reg.Access(), kKeyAllAccess);

  // A key left open by a direct use of the primitives does not bend the next operation's
  // relative path: it is taken from the root.
  ASSERT_TRUE(reg.OpenFull(kBase, false));
  reg.PutStringAt(kHKeyLocalMachine, "SOFTWARE\\Tallowmere\\Rel", true, "v", "x");
  EXPECT_EQ(RawString(kHKeyLocalMachine, "\\SOFTWARE\\Tallowmere\\Rel", "v"), "x");
  EXPECT_FALSE(RawKeyExists(kHKeyLocalMachine, kBase + "\\SOFTWARE"));
}

TEST_F(RegistryTest, GetIntegerOrCreateWritesOnlyAnAbsentValue) {
  EXPECT_EQ(reg.GetIntegerOrCreateAt(kHKeyLocalMachine, kBase + "\\Prio", "item", 32), 32);
  EXPECT_EQ(RawDword(kHKeyLocalMachine, kBase + "\\Prio", "item"), 32);
  SetRawDword(kHKeyLocalMachine, kBase + "\\Prio", "item", 128);
  EXPECT_EQ(reg.GetIntegerOrCreateAt(kHKeyLocalMachine, kBase + "\\Prio", "item", 32), 128);
  EXPECT_EQ(RawDword(kHKeyLocalMachine, kBase + "\\Prio", "item"), 128);

  ASSERT_TRUE(reg.OpenFull(kBase + "\\Prio", false));
  EXPECT_EQ(reg.GetIntegerOrCreate("other", 64), 64);
  EXPECT_EQ(reg.GetIntegerOrCreate("other", 32), 64);
  reg.CloseKey();
}

TEST_F(RegistryTest, AViewFlagTravelsWithEveryOpen) {
  reg.SetView(kKeyWow64_32Key);
  reg.PutString(kBase, true, "v", "x");
  EXPECT_EQ(reg.GetString(kBase, "v"), "x");
  EXPECT_EQ(reg.Access(), kKeyAllAccess);
  EXPECT_EQ(reg.View(), kKeyWow64_32Key);
  reg.RecreateSubKey("\\SOFTWARE\\Tallowmere", "Test");
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kBase, "v"));
}

}  // namespace
}  // namespace lw::test
