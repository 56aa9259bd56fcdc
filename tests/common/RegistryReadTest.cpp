// How Registry reads values of every type and size, on the simulation and on the real
// registry alike: what the string and integer reads return or raise.

#include <string>

#include "store/Registry.h"
#include "support/RawRegistry.h"
#include "support/TestEnv.h"
#include "util/Error.h"

namespace lw::test {
namespace {

const std::string kBase = "\\SOFTWARE\\Tallowmere\\Test";

class RegistryReadTest : public PlatformTest {
 protected:
  Registry reg;
};

// "=" + the result, or "!" + the error text.
std::string ReadAsString(Registry& reg, const std::string& name) {
  try {
    return "=" + reg.GetString(kBase, name);
  } catch (const Error& error) {
    return std::string("!") + error.what();
  }
}

std::string ReadAsInteger(Registry& reg, const std::string& name) {
  try {
    return "=" + std::to_string(reg.GetInteger(kBase, name));
  } catch (const Error& error) {
    return std::string("!") + error.what();
  }
}

struct ReadCase {
  const char* name;
  std::uint32_t type;
  std::string bytes;
  std::string asString;
  std::string asInteger;
};

std::string Bytes(const char* data, std::size_t size) { return std::string(data, size); }

TEST_F(RegistryReadTest, EveryTypeReadsOrRaisesWithTheValueName) {
  const ReadCase cases[] = {
      {"Dword", kRegDword, Bytes("\x07\x00\x00\x00", 4), "!Invalid data type for 'Dword'", "=7"},
      {"Text", kRegSz, Bytes("abc\0", 4), "=abc", "!Invalid data type for 'Text'"},
      {"LongText", kRegSz, Bytes("abcdefgh\0", 9), "=abcdefgh",
       "!Failed to get data for 'LongText'"},
      {"EmbeddedZero", kRegSz, Bytes("ab\0cd\0", 6), "=ab",
       "!Failed to get data for 'EmbeddedZero'"},
      {"NoTerminator", kRegSz, Bytes("abc", 3), "=abc", "!Invalid data type for 'NoTerminator'"},
      {"EmptyText", kRegSz, "", "=", "!Invalid data type for 'EmptyText'"},
      {"Expand", kRegExpandSz, Bytes("%SystemRoot%\\x\0", 15), "=%SystemRoot%\\x",
       "!Failed to get data for 'Expand'"},
      {"Binary", kRegBinary, Bytes("\x01\x02\x03\x04", 4), "!Invalid data type for 'Binary'",
       "!Invalid data type for 'Binary'"},
      {"EmptyBinary", kRegBinary, "", "=", "!Invalid data type for 'EmptyBinary'"},
      {"Qword", kRegQword, Bytes("\x01\0\0\0\0\0\0\0", 8), "!Invalid data type for 'Qword'",
       "!Failed to get data for 'Qword'"},
      {"Multi", kRegMultiSz, Bytes("a\0b\0\0", 5), "!Invalid data type for 'Multi'",
       "!Failed to get data for 'Multi'"},
  };
  for (const ReadCase& c : cases) SetRaw(kHKeyLocalMachine, kBase, c.name, c.type, c.bytes);
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ReadAsString(reg, c.name), c.asString);
    EXPECT_EQ(ReadAsInteger(reg, c.name), c.asInteger);
    EXPECT_EQ(reg.CurrentKey(), 0u);
  }
}

TEST_F(RegistryReadTest, TakeOfAValueOfTheWrongTypeRaisesAndKeepsIt) {
  SetRawDword(kHKeyLocalMachine, kBase, "Number", 5);
  EXPECT_THROW(reg.TakeString(kBase, "Number"), Error);
  EXPECT_EQ(RawDword(kHKeyLocalMachine, kBase, "Number"), 5);
}

TEST_F(RegistryReadTest, HugeValuesAreReadWhole) {
  std::string text;
  for (int i = 0; text.size() < 512 * 1024; ++i) text += "item" + std::to_string(i) + ";";
  reg.PutString(kBase, true, "Huge", text);
  EXPECT_EQ(reg.GetString(kBase, "Huge"), text);
  // The same without a terminating zero, as another program may write it.
  SetRaw(kHKeyLocalMachine, kBase, "HugeRaw", kRegSz, text);
  EXPECT_EQ(reg.GetString(kBase, "HugeRaw"), text);
}

}  // namespace
}  // namespace lw::test
