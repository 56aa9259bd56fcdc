// What the program relies on from the registry functions: results, error codes and sizes.
// These run on the simulation and on the real registry (under Wine) alike.

#include <algorithm>
#include <string>
#include <vector>

#include "support/RawRegistry.h"
#include "support/TestEnv.h"

namespace lw::test {
namespace {

class RegistryFacts : public FactsKeyTest {
 protected:
  long SetString(HKey key, const std::string& name, const std::string& text) {
    return Reg().SetValueEx(key, name, kRegSz, text.c_str(),
                            static_cast<std::uint32_t>(text.size() + 1));
  }

  // The value's bytes, read with a buffer of exactly the size the registry reports.
  std::string Read(HKey key, const std::string& name, std::uint32_t* type = nullptr) {
    std::uint32_t size = 0;
    EXPECT_EQ(Reg().QueryValueEx(key, name, nullptr, nullptr, &size), kOk) << name;
    std::string bytes(size, '\0');
    EXPECT_EQ(Reg().QueryValueEx(key, name, type, bytes.data(), &size), kOk) << name;
    bytes.resize(size);
    return bytes;
  }

  std::vector<std::string> SubKeys(HKey key) {
    std::vector<std::string> names;
    std::string name;
    for (std::uint32_t i = 0; Reg().EnumKeyEx(key, i, &name) == kOk; ++i) names.push_back(name);
    return names;
  }

  std::vector<std::string> ValueNames(HKey key) {
    std::vector<std::string> names;
    std::string name;
    for (std::uint32_t i = 0; Reg().EnumValue(key, i, &name) == kOk; ++i) names.push_back(name);
    return names;
  }
};

TEST_F(RegistryFacts, AbsentKeysAndValuesGiveFileNotFoundAndTouchNothing) {
  HKey key = 12345;
  EXPECT_EQ(Reg().OpenKeyEx(kHKeyCurrentUser, kFactsKey + "\\Missing", kKeyRead, &key),
            static_cast<long>(kErrorFileNotFound));
  EXPECT_EQ(Reg().OpenKeyEx(base.handle, "Missing\\Deeper", kKeyRead, &key),
            static_cast<long>(kErrorFileNotFound));
  EXPECT_EQ(key, 12345u);

  std::uint32_t type = 99, size = 4;
  char data[4] = {'a', 'b', 'c', 'd'};
  EXPECT_EQ(Reg().QueryValueEx(base.handle, "Missing", &type, data, &size),
            static_cast<long>(kErrorFileNotFound));
  EXPECT_EQ(Reg().QueryValueEx(base.handle, "Missing", &type, nullptr, &size),
            static_cast<long>(kErrorFileNotFound));
  EXPECT_EQ(type, 99u);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(std::string(data, 4), "abcd");

  EXPECT_EQ(Reg().DeleteValue(base.handle, "Missing"), static_cast<long>(kErrorFileNotFound));
  EXPECT_EQ(Reg().DeleteKey(base.handle, "Missing"), static_cast<long>(kErrorFileNotFound));
  std::string name = "kept";
  EXPECT_EQ(Reg().EnumKeyEx(base.handle, 0, &name), static_cast<long>(kErrorNoMoreItems));
  EXPECT_EQ(Reg().EnumValue(base.handle, 0, &name), static_cast<long>(kErrorNoMoreItems));
  EXPECT_EQ(name, "kept");
}

TEST_F(RegistryFacts, StringSizesCountTheZeroAndTooSmallBuffersAskForMore) {
  ASSERT_EQ(SetString(base.handle, "Text", "hello"), kOk);

  std::uint32_t type = 0, size = 0;
  EXPECT_EQ(Reg().QueryValueEx(base.handle, "Text", &type, nullptr, &size), kOk);
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(size, 6u);

  // Too small: the needed size comes back and the buffer keeps what it had.
  char small[3] = {'x', 'y', 'z'};
  size = sizeof(small);
  type = 99;
  EXPECT_EQ(Reg().QueryValueEx(base.handle, "Text", &type, small, &size),
            static_cast<long>(kErrorMoreData));
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(std::string(small, 3), "xyz");

  // Exactly big enough, and bigger: the data with their zero, the size of the data.
  for (std::uint32_t room : {6u, 64u}) {
    std::string buffer(room, '#');
    size = room;
    EXPECT_EQ(Reg().QueryValueEx(base.handle, "Text", &type, buffer.data(), &size), kOk);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(buffer.substr(0, 6), std::string("hello\0", 6));
  }

  // The type pointer may be null; the empty string is one zero byte.
  ASSERT_EQ(SetString(base.handle, "Empty", ""), kOk);
  size = 0;
  EXPECT_EQ(Reg().QueryValueEx(base.handle, "Empty", nullptr, nullptr, &size), kOk);
  EXPECT_EQ(size, 1u);

  // Data stored without their zero keep their text (Windows may add a zero when reading).
  ASSERT_EQ(Reg().SetValueEx(base.handle, "NoZero", kRegSz, "abc", 3), kOk);
  std::string noZero = Read(base.handle, "NoZero");
  EXPECT_EQ(noZero.substr(0, noZero.find('\0')), "abc");
}

TEST_F(RegistryFacts, DwordsAndBinaryDataReadBackWithTheirType) {
  const std::uint32_t number = 0x80000002u;
  ASSERT_EQ(Reg().SetValueEx(base.handle, "Number", kRegDword, &number, 4), kOk);
  std::uint32_t type = 0, back = 0, size = 4;
  EXPECT_EQ(Reg().QueryValueEx(base.handle, "Number", &type, &back, &size), kOk);
  EXPECT_EQ(type, kRegDword);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(back, number);

  const std::string bytes("\x00\x01\xff\x00", 4);
  ASSERT_EQ(Reg().SetValueEx(base.handle, "Bytes", kRegBinary, bytes.data(), 4), kOk);
  EXPECT_EQ(Read(base.handle, "Bytes", &type), bytes);
  EXPECT_EQ(type, kRegBinary);

  // A value set again takes the new type and data.
  ASSERT_EQ(SetString(base.handle, "Number", "now text"), kOk);
  EXPECT_EQ(Read(base.handle, "Number", &type), std::string("now text\0", 9));
  EXPECT_EQ(type, kRegSz);
}

TEST_F(RegistryFacts, NamesAreCaseInsensitiveAndKeepTheirFirstCase) {
  Key child;
  ASSERT_EQ(Reg().CreateKeyEx(base.handle, "MixedCase", kKeyAllAccess, &child.handle, nullptr),
            kOk);
  ASSERT_EQ(SetString(child.handle, "ValueName", "first"), kOk);
  ASSERT_EQ(SetString(child.handle, "VALUENAME", "second"), kOk);

  Key again;
  std::uint32_t disposition = 0;
  ASSERT_EQ(Reg().CreateKeyEx(base.handle, "MIXEDCASE", kKeyAllAccess, &again.handle, &disposition),
            kOk);
  EXPECT_EQ(disposition, kRegOpenedExistingKey);
  EXPECT_EQ(Read(again.handle, "valuename"), std::string("second\0", 7));
  EXPECT_EQ(SubKeys(base.handle), std::vector<std::string>{"MixedCase"});
  EXPECT_EQ(ValueNames(again.handle), std::vector<std::string>{"ValueName"});

  Key lower;
  EXPECT_EQ(Reg().OpenKeyEx(kHKeyCurrentUser, "software\\tallowmere\\facts\\mixedcase", kKeyRead,
                            &lower.handle),
            kOk);
}

TEST_F(RegistryFacts, DefaultValueHasTheEmptyName) {
  // A new key has no default value.
  EXPECT_EQ(Reg().QueryValueEx(base.handle, "", nullptr, nullptr, nullptr),
            static_cast<long>(kErrorFileNotFound));
  RegKeyInfo info;
  ASSERT_EQ(Reg().QueryInfoKey(base.handle, &info), kOk);
  EXPECT_EQ(info.values, 0u);

  ASSERT_EQ(SetString(base.handle, "", "default"), kOk);
  EXPECT_EQ(Read(base.handle, ""), std::string("default\0", 8));
  EXPECT_EQ(ValueNames(base.handle), std::vector<std::string>{""});
  EXPECT_EQ(Reg().DeleteValue(base.handle, ""), kOk);
  EXPECT_TRUE(ValueNames(base.handle).empty());
}

TEST_F(RegistryFacts, ValueNamesTakeAtMost16383Characters) {
  const std::string longest(kMaxValueNameLength, 'n');
  ASSERT_EQ(SetString(base.handle, longest, "x"), kOk);
  EXPECT_EQ(ValueNames(base.handle), std::vector<std::string>{longest});
  EXPECT_EQ(SetString(base.handle, longest + "n", "x"), static_cast<long>(kErrorInvalidParameter));
  EXPECT_EQ(ValueNames(base.handle).size(), 1u);
}

TEST_F(RegistryFacts, CreateKeyMakesTheWholePathAndSaysWhetherItWasNew) {
  std::uint32_t disposition = 0;
  {
    Key deep;
    ASSERT_EQ(Reg().CreateKeyEx(base.handle, "A\\B\\C", kKeyAllAccess, &deep.handle, &disposition),
              kOk);
    EXPECT_EQ(disposition, kRegCreatedNewKey);
  }
  for (const char* path : {"A\\B\\C", "A\\B", "A"}) {
    SCOPED_TRACE(path);
    Key key;
    ASSERT_EQ(Reg().CreateKeyEx(base.handle, path, kKeyAllAccess, &key.handle, &disposition), kOk);
    EXPECT_EQ(disposition, kRegOpenedExistingKey);
  }
  // The disposition may be left out; an empty path opens the parent itself.
  Key same;
  EXPECT_EQ(Reg().CreateKeyEx(base.handle, "A\\B\\D", kKeyAllAccess, &same.handle, nullptr), kOk);
  Key parent;
  ASSERT_EQ(Reg().OpenKeyEx(base.handle, "", kKeyRead, &parent.handle), kOk);
  EXPECT_EQ(SubKeys(parent.handle), std::vector<std::string>{"A"});
}

TEST_F(RegistryFacts, KeysWithSubKeysAreNotDeleted) {
  Key deep;
  ASSERT_EQ(Reg().CreateKeyEx(base.handle, "Parent\\Child", kKeyAllAccess, &deep.handle, nullptr),
            kOk);
  Reg().CloseKey(deep.handle);
  deep.handle = 0;
  EXPECT_EQ(Reg().DeleteKey(base.handle, "Parent"), static_cast<long>(kErrorAccessDenied));
  EXPECT_EQ(SubKeys(base.handle), std::vector<std::string>{"Parent"});
  EXPECT_EQ(Reg().DeleteKey(base.handle, "Parent\\Child"), kOk);
  EXPECT_EQ(Reg().DeleteKey(base.handle, "Parent"), kOk);
  EXPECT_TRUE(SubKeys(base.handle).empty());
}

TEST_F(RegistryFacts, AReadOnlyHandleRefusesChanges) {
  ASSERT_EQ(SetString(base.handle, "Kept", "yes"), kOk);
  for (std::uint32_t access : {kKeyRead, kKeyReadNoNotify, kKeyQueryValue}) {
    SCOPED_TRACE(access);
    Key reader;
    ASSERT_EQ(Reg().OpenKeyEx(kHKeyCurrentUser, kFactsKey, access, &reader.handle), kOk);
    EXPECT_EQ(SetString(reader.handle, "New", "x"), static_cast<long>(kErrorAccessDenied));
    EXPECT_EQ(Reg().DeleteValue(reader.handle, "Kept"), static_cast<long>(kErrorAccessDenied));
    std::uint32_t size = 0;
    EXPECT_EQ(Reg().QueryValueEx(reader.handle, "Kept", nullptr, nullptr, &size), kOk);
  }
  EXPECT_EQ(ValueNames(base.handle), std::vector<std::string>{"Kept"});
}

TEST_F(RegistryFacts, SubKeysEnumerateInNameOrderAndValuesEachOnce) {
  const std::vector<std::string> created = {"delta",  "Alpha", "charlie", "Bravo",
                                            "alpha2", "10",    "9"};
  for (const std::string& name : created) {
    Key key;
    ASSERT_EQ(Reg().CreateKeyEx(base.handle, name, kKeyAllAccess, &key.handle, nullptr), kOk);
    ASSERT_EQ(SetString(base.handle, name, name), kOk);
  }
  // Sub-keys come in the order of their names, without regard to case, whatever the order in
  // which they were made.
  EXPECT_EQ(SubKeys(base.handle),
            (std::vector<std::string>{"10", "9", "Alpha", "alpha2", "Bravo", "charlie", "delta"}));
  // Values: Windows gives them in the order they were made, Wine in name order; the program
  // relies on neither, only on seeing each value once.
  std::vector<std::string> values = ValueNames(base.handle);
  std::sort(values.begin(), values.end());
  std::vector<std::string> expected = created;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(values, expected);
  std::string name;
  EXPECT_EQ(Reg().EnumKeyEx(base.handle, 7, &name), static_cast<long>(kErrorNoMoreItems));
  EXPECT_EQ(Reg().EnumValue(base.handle, 7, &name), static_cast<long>(kErrorNoMoreItems));
}

TEST_F(RegistryFacts, QueryInfoKeyCountsAndMeasures) {
  for (const char* name : {"ab", "abcdefgh", "abc"}) {
    Key key;
    ASSERT_EQ(Reg().CreateKeyEx(base.handle, name, kKeyAllAccess, &key.handle, nullptr), kOk);
  }
  ASSERT_EQ(SetString(base.handle, "v", "0123456789"), kOk);
  ASSERT_EQ(SetString(base.handle, "longest name", "x"), kOk);
  const std::uint32_t number = 1;
  ASSERT_EQ(Reg().SetValueEx(base.handle, "n", kRegDword, &number, 4), kOk);

  RegKeyInfo info;
  ASSERT_EQ(Reg().QueryInfoKey(base.handle, &info), kOk);
  EXPECT_EQ(info.subKeys, 3u);
  EXPECT_EQ(info.maxSubKeyLen, 8u);  // characters, without the zero
  EXPECT_EQ(info.values, 3u);
  EXPECT_EQ(info.maxValueNameLen, 12u);
  // Bytes of the longest data, with the zero; the ANSI call may count them in wide
  // characters (Wine does), so only the lower bound holds everywhere.
  EXPECT_GE(info.maxValueLen, 11u);
}

}  // namespace
}  // namespace lw::test
