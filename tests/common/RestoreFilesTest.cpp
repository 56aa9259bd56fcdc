// The lines of the files a restore leaves for the user: each must do exactly one thing whatever
// the item's name or command holds.

#include <gtest/gtest.h>

#include "install/RestoreFiles.h"
#include "platform/WinConst.h"

namespace lw::test {
namespace {

TEST(RestoreFilesTest, RegistryValueLines) {
  struct Case {
    const char* what;
    const char* name;
    const char* text;
    std::uint32_t type;
    const char* line;
  };
  const Case cases[] = {
      {"plain", "Tool", "C:\\t.exe", kRegSz, "\"Tool\"=\"C:\\\\t.exe\""},
      {"quotes and backslashes", "Say \"hi\"", "\"C:\\Program Files\\T\\t.exe\" /a", kRegSz,
       "\"Say \\\"hi\\\"\"=\"\\\"C:\\\\Program Files\\\\T\\\\t.exe\\\" /a\""},
      {"expandable stays expandable", "E", "%A%", kRegExpandSz, "\"E\"=hex(2):25,41,25,00"},
      {"a line break cannot end the line", "N", "a\r\nb", kRegSz, "\"N\"=hex(1):61,0d,0a,62,00"},
      {"a name with a line break cannot be written", "N\nM", "x", kRegSz, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RegValueLine(c.name, StringValue{c.text, c.type}), c.line) << c.what;
  }
}

TEST(RestoreFilesTest, LongHexDataIsFoldedAsRegeditFoldsIt) {
  const std::string line = RegValueLine("Long", {std::string(100, 'x'), kRegExpandSz});
  std::size_t start = 0;
  int lines = 0;
  std::string joined;
  for (std::size_t end; (end = line.find("\r\n", start)) != std::string::npos; start = end + 2) {
    EXPECT_LE(end - start, 80u);
    EXPECT_EQ(line[end - 1], '\\');
    joined += line.substr(start, end - start - 1);
    ++lines;
  }
  joined += line.substr(start);
  EXPECT_GT(lines, 2);
  std::string bytes;
  for (int i = 0; i < 100; ++i) bytes += "78,";
  EXPECT_EQ(joined.substr(0, 15), "\"Long\"=hex(2):7");
  std::string compact;
  for (char c : joined) {
    if (c != ' ') compact += c;
  }
  EXPECT_EQ(compact, "\"Long\"=hex(2):" + bytes + "00");
}

TEST(RestoreFilesTest, BatchLinesQuoteEveryPathAndKeepPercentSigns) {
  EXPECT_EQ(BatchMoveLine("C:\\LW\\Startup\\50%PATH% & (x)!.lnk", "C:\\Users\\a b\\Startup\\"),
            "if not exist \"C:\\Users\\a b\\Startup\\50%%PATH%% & (x)!.lnk\" move "
            "\"C:\\LW\\Startup\\50%%PATH%% & (x)!.lnk\" \"C:\\Users\\a b\\Startup\\\"");
  EXPECT_EQ(JoinLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
}

}  // namespace
}  // namespace lw::test
