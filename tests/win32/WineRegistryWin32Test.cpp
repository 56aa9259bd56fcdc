// Where Wine's registry differs from Windows' in ways a test could trip over, and what Wine's
// performance data look like. The program relies on none of these differences; they are
// pinned so that a test written against one behaviour is not surprised by the other.

#include <cstring>
#include <string>
#include <vector>

#include "support/RawRegistry.h"
#include "support/TestEnv.h"

namespace lw::test {
namespace {

using WineRegistryWin32Test = FactsKeyTest;

TEST_F(WineRegistryWin32Test, NamesSortWithoutCaseAsLowerCaseAndValuesSortToo) {
  for (const char* name : {"b", "_x", "C", "a", "Z"}) {
    HKey key = 0;
    ASSERT_EQ(Reg().CreateKeyEx(base.handle, name, kKeyAllAccess, &key, nullptr), kOk);
    Reg().CloseKey(key);
    ASSERT_EQ(Reg().SetValueEx(base.handle, name, kRegSz, "", 1), kOk);
  }
  // Windows sorts sub-keys by their upper-case names ("_" after the letters) and keeps values
  // in the order they were made; Wine sorts both, as if in lower case.
  const std::vector<std::string> sorted = {"_x", "a", "b", "C", "Z"};
  std::vector<std::string> keys, values;
  std::string name;
  for (std::uint32_t i = 0; Reg().EnumKeyEx(base.handle, i, &name) == kOk; ++i)
    keys.push_back(name);
  for (std::uint32_t i = 0; Reg().EnumValue(base.handle, i, &name) == kOk; ++i)
    values.push_back(name);
  EXPECT_EQ(keys, sorted);
  EXPECT_EQ(values, sorted);
}

TEST_F(WineRegistryWin32Test, StringsAndSizesThroughTheAnsiFunctions) {
  // A REG_SZ stored without its zero is read back with one added, and its size counts it.
  ASSERT_EQ(Reg().SetValueEx(base.handle, "NoZero", kRegSz, "abc", 3), kOk);
  std::uint32_t size = 0;
  ASSERT_EQ(Reg().QueryValueEx(base.handle, "NoZero", nullptr, nullptr, &size), kOk);
  EXPECT_EQ(size, 4u);

  // The largest data length is counted in wide characters: twice the ANSI size.
  ASSERT_EQ(Reg().SetValueEx(base.handle, "v", kRegSz, "0123456789", 11), kOk);
  RegKeyInfo info;
  ASSERT_EQ(Reg().QueryInfoKey(base.handle, &info), kOk);
  EXPECT_EQ(info.maxValueLen, 22u);

  // Value names past the registry's limit of 16383 characters are refused.
  const std::string tooLong(16384, 'v');
  EXPECT_EQ(Reg().SetValueEx(base.handle, tooLong, kRegSz, "", 1),
            static_cast<long>(kErrorInvalidParameter));
}

TEST_F(WineRegistryWin32Test, APathOfMoreThanMaxPathCharactersDoesNotOpen) {
  // The ANSI functions convert the path in a MAX_PATH buffer: a longer path fails with
  // kErrorMoreData, while the same key opens relative to its parent.
  const std::string leaf(250, 'k');
  HKey key = 0;
  ASSERT_EQ(Reg().CreateKeyEx(base.handle, leaf, kKeyAllAccess, &key, nullptr), kOk);
  Reg().CloseKey(key);
  EXPECT_EQ(Reg().OpenKeyEx(kHKeyCurrentUser, kFactsKey + "\\" + leaf, kKeyRead, &key),
            static_cast<long>(kErrorMoreData));
  ASSERT_EQ(Reg().OpenKeyEx(base.handle, leaf, kKeyRead, &key), kOk);
  Reg().CloseKey(key);
  EXPECT_EQ(Reg().DeleteKey(base.handle, leaf), kOk);  // the tree clean-up opens full paths
}

TEST_F(WineRegistryWin32Test, AReadOnlyParentStillCreatesSubKeys) {
  // Windows wants KEY_CREATE_SUB_KEY on the parent and refuses with kErrorAccessDenied.
  HKey reader = 0, child = 0;
  ASSERT_EQ(Reg().OpenKeyEx(kHKeyCurrentUser, kFactsKey, kKeyRead, &reader), kOk);
  EXPECT_EQ(Reg().CreateKeyEx(reader, "Child", kKeyAllAccess, &child, nullptr), kOk);
  Reg().CloseKey(child);
  Reg().CloseKey(reader);
}

// Wine's performance data hold a header and no object at all (so no Processor object, no
// "% Processor Time"), whatever is asked; a buffer that is too small gets kErrorMoreData and
// no size, so a reader must grow its buffer on its own.
TEST_F(WineRegistryWin32Test, PerformanceDataAreAnEmptyBlock) {
  for (const char* query : {"Global", "238", "Costly"}) {
    SCOPED_TRACE(query);
    std::vector<std::uint8_t> block(65536, 0xCC);
    std::uint32_t type = 0, size = static_cast<std::uint32_t>(block.size());
    ASSERT_EQ(Reg().QueryValueEx(kHKeyPerformanceData, query, &type, block.data(), &size), kOk);
    EXPECT_EQ(type, kRegBinary);
    ASSERT_GE(size, 32u);
    EXPECT_EQ(std::memcmp(block.data(), "P\0E\0R\0F\0", 8), 0);
    std::uint32_t fields[8];
    std::memcpy(fields, block.data(), sizeof(fields));
    EXPECT_EQ(fields[5], size);  // TotalByteLength
    EXPECT_EQ(fields[6], size);  // HeaderLength: nothing follows the header
    EXPECT_EQ(fields[7], 0u);    // NumObjectTypes

    std::uint8_t small[16];
    size = sizeof(small);
    EXPECT_EQ(Reg().QueryValueEx(kHKeyPerformanceData, query, &type, small, &size),
              static_cast<long>(kErrorMoreData));
    EXPECT_EQ(size, 0u);
    size = 0;
    EXPECT_EQ(Reg().QueryValueEx(kHKeyPerformanceData, query, &type, nullptr, &size),
              static_cast<long>(kErrorMoreData));
  }
  EXPECT_EQ(Reg().CloseKey(kHKeyPerformanceData), kOk);
}

}  // namespace
}  // namespace lw::test
