// The lines of the files a restore leaves for the user: each must do exactly one thing whatever
// the item's name or command holds.

#include <gtest/gtest.h>

#include "install/RestoreFiles.h"
#include "platform/Platform.h"
#include "platform/WinConst.h"
#include "support/ScriptNames.h"
#include "support/TestEnv.h"

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

class RestoreFileFormTest : public PlatformTest {};

TEST_F(RestoreFileFormTest, AsciiItemsKeepRegedit4AndOthersGetTheUnicodeForm) {
  const std::vector<RegFileItem> ascii = {{kUserRunKeyHeader, "Tool", {"C:\\t.exe", kRegSz}}};
  EXPECT_EQ(RegFileBytes(ascii), std::string("REGEDIT4\r\n\r\n") + kUserRunKeyHeader +
                                     "\r\n\"Tool\"=\"C:\\\\t.exe\"\r\n\r\n");

  // "Café" and "Ж": the text in UTF-16, the expandable data's bytes too.
  const std::vector<RegFileItem> named = {
      {kMachineRunKeyHeader, "Caf\xc3\xa9", {"C:\\Caf\xc3\xa9\\c.exe", kRegSz}},
      {kMachineRunKeyHeader, "x", {"%\xd0\x96%", kRegExpandSz}}};
  EXPECT_EQ(Utf16FileText(RegFileBytes(named)),
            std::string("Windows Registry Editor Version 5.00\r\n\r\n") + kMachineRunKeyHeader +
                "\r\n\"Caf\xc3\xa9\"=\"C:\\\\Caf\xc3\xa9\\\\c.exe\"\r\n\r\n" +
                kMachineRunKeyHeader + "\r\n\"x\"=hex(2):25,00,16,04,25,00,00,00\r\n\r\n");
}

TEST_F(RestoreFileFormTest, BatchLinesGoInTheConsolesCodePageOrAfterChcpInUtf8) {
  // The console's code page is 437 on an English system: "é" is 0x82 there, "Ж" and "中" are
  // not in it.
  const std::string cafe = "move \"C:\\Caf\xc3\xa9.lnk\"";
  const std::string zhe = "move \"C:\\\xd0\x96.lnk\"";
  const std::string han = "move \"C:\\\xe4\xb8\xad.lnk\"";
  EXPECT_EQ(BatchFileBytes({"move a", "move b"}), "move a\r\nmove b\r\n");
  EXPECT_EQ(
      BatchFileBytes({zhe, cafe, "move a", han}),
      "move \"C:\\Caf\x82.lnk\"\r\nmove a\r\n@chcp 65001 >nul\r\n" + zhe + "\r\n" + han + "\r\n");
}

}  // namespace
}  // namespace lw::test
