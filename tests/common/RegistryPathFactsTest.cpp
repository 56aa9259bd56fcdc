// What the registry does with the names and paths the program hands it: odd characters, long
// names and data, backslashes at either end of a path, the predefined roots.

#include <algorithm>
#include <string>
#include <vector>

#include "support/RawRegistry.h"
#include "support/TestEnv.h"

namespace lw::test {
namespace {

class RegistryPathFacts : public FactsKeyTest {
 protected:
  // Writes the text as REG_SZ and reads it back, sized as the registry reports it.
  std::string RoundTrip(HKey key, const std::string& name, const std::string& text) {
    EXPECT_EQ(Reg().SetValueEx(key, name, kRegSz, text.c_str(),
                               static_cast<std::uint32_t>(text.size() + 1)),
              kOk);
    std::uint32_t size = 0;
    EXPECT_EQ(Reg().QueryValueEx(key, name, nullptr, nullptr, &size), kOk);
    std::string bytes(size, '\0');
    EXPECT_EQ(Reg().QueryValueEx(key, name, nullptr, bytes.data(), &size), kOk);
    if (size == 0 || bytes[size - 1] != '\0') return "<no zero>";
    return bytes.substr(0, size - 1);
  }
};

TEST_F(RegistryPathFacts, OddNamesAndTextsRoundTrip) {
  const std::vector<std::string> names = {"with blank",  " leading and trailing ",
                                          "quote\"d",    "'single'",
                                          "100%",        "%PATH%",
                                          "caf\xc3\xa9", "back\\slash",
                                          "semi;colon",  "a=b",
                                          "tab\there"};
  Key odd;
  ASSERT_EQ(Reg().CreateKeyEx(base.handle, "Odd key (x86) caf\xc3\xa9 100%", kKeyAllAccess,
                              &odd.handle, nullptr),
            kOk);
  for (const std::string& name : names) {
    SCOPED_TRACE("name '" + name + "'");
    EXPECT_EQ(RoundTrip(odd.handle, name, name + " \xc3\xa9\xc3\xbf%TEMP%"),
              name + " \xc3\xa9\xc3\xbf%TEMP%");
  }
  std::vector<std::string> listed;
  std::string name;
  for (std::uint32_t i = 0; Reg().EnumValue(odd.handle, i, &name) == kOk; ++i) {
    listed.push_back(name);
  }
  std::sort(listed.begin(), listed.end());
  std::vector<std::string> sorted = names;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(listed, sorted);

  ASSERT_EQ(Reg().EnumKeyEx(base.handle, 0, &name), kOk);
  EXPECT_EQ(name, "Odd key (x86) caf\xc3\xa9 100%");
}

TEST_F(RegistryPathFacts, LongNamesAndDataRoundTrip) {
  // 64 KiB of text, a value name of the registry's largest length (16383 characters) and a
  // key name of its largest (255).
  std::string text;
  for (int i = 0; text.size() < 65536; ++i) text += "line " + std::to_string(i) + "\r\n";
  EXPECT_TRUE(RoundTrip(base.handle, "Long", text) == text);

  const std::string longName(16383, 'v');
  EXPECT_EQ(RoundTrip(base.handle, longName, "x"), "x");
  std::string name;
  std::vector<std::string> names;
  for (std::uint32_t i = 0; Reg().EnumValue(base.handle, i, &name) == kOk; ++i) {
    names.push_back(name);
  }
  EXPECT_EQ(std::count(names.begin(), names.end(), longName), 1);

  const std::string keyName(255, 'k');
  Key key;
  ASSERT_EQ(Reg().CreateKeyEx(base.handle, keyName, kKeyAllAccess, &key.handle, nullptr), kOk);
  ASSERT_EQ(Reg().EnumKeyEx(base.handle, 0, &name), kOk);
  EXPECT_TRUE(name == keyName) << name.size() << " characters";
  // Removed here, relative to its parent: its full path is longer than MAX_PATH.
  EXPECT_EQ(Reg().DeleteKey(base.handle, keyName), kOk);
}

TEST_F(RegistryPathFacts, BackslashesAtTheEndsOfAPath) {
  Key child;
  ASSERT_EQ(Reg().CreateKeyEx(base.handle, "Child", kKeyAllAccess, &child.handle, nullptr), kOk);

  // A leading backslash is refused, on opening and on creating alike.
  struct Case {
    std::string path;
    long open;
  };
  const Case cases[] = {
      {"\\" + kFactsKey, static_cast<long>(kErrorBadPathname)},
      {"\\" + kFactsKey + "\\Child", static_cast<long>(kErrorBadPathname)},
      {kFactsKey + "\\", kOk},
      {kFactsKey + "\\Child\\", kOk},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    Key opened;
    EXPECT_EQ(Reg().OpenKeyEx(kHKeyCurrentUser, c.path, kKeyRead, &opened.handle), c.open);
    Key created;
    EXPECT_EQ(Reg().CreateKeyEx(kHKeyCurrentUser, c.path, kKeyAllAccess, &created.handle, nullptr),
              c.open);
  }
  Key fromChild;
  EXPECT_EQ(Reg().OpenKeyEx(base.handle, "\\Child", kKeyRead, &fromChild.handle),
            static_cast<long>(kErrorBadPathname));
}

TEST_F(RegistryPathFacts, PredefinedRootsOpenAndConnect) {
  for (HKey root : {kHKeyCurrentUser, kHKeyLocalMachine, kHKeyUsers}) {
    SCOPED_TRACE(root);
    Key same;
    EXPECT_EQ(Reg().OpenKeyEx(root, "", kKeyRead, &same.handle), kOk);
    EXPECT_NE(same.handle, 0u);
    Key software;
    EXPECT_EQ(Reg().OpenKeyEx(root, root == kHKeyUsers ? ".DEFAULT" : "SOFTWARE", kKeyRead,
                              &software.handle),
              kOk);
  }
  // The local machine's registry, connected by an empty machine name, is the same registry.
  Key connected;
  ASSERT_EQ(Reg().ConnectRegistry("", kHKeyCurrentUser, &connected.handle), kOk);
  Key through;
  EXPECT_EQ(Reg().OpenKeyEx(connected.handle, kFactsKey, kKeyRead, &through.handle), kOk);
  EXPECT_EQ(Reg().FlushKey(base.handle), kOk);
}

}  // namespace
}  // namespace lw::test
