// A command line stored for a new run-key item: its program part quoted where a blank would let
// Windows start another program ("C:\Tools\My App\x.exe" lets "C:\Tools\My.exe" run), and
// everything else exactly as written.

#include <gtest/gtest.h>

#include "util/CommandLine.h"

namespace lw {
namespace {

TEST(CommandLineTest, OnlyAnUnquotedProgramWithABlankIsQuoted) {
  struct Case {
    const char* command;
    const char* stored;
  } cases[] = {
      {"C:\\Tools\\My App\\x.exe", "\"C:\\Tools\\My App\\x.exe\""},
      {"C:\\Tools\\My App\\x.exe /min -a b", "\"C:\\Tools\\My App\\x.exe\" /min -a b"},
      {"C:\\Program Files\\Tool\\TOOL.EXE", "\"C:\\Program Files\\Tool\\TOOL.EXE\""},
      {"%ProgramFiles%\\My Tool\\t.exe /x", "\"%ProgramFiles%\\My Tool\\t.exe\" /x"},
      // Already quoted, or no blank in the program: as written, blanks and all.
      {"\"C:\\Tools\\My App\\x.exe\" /min", "\"C:\\Tools\\My App\\x.exe\" /min"},
      {"C:\\Tools\\x.exe /a b", "C:\\Tools\\x.exe /a b"},
      {"C:\\Tools\\x.exe", "C:\\Tools\\x.exe"},
      {"  C:\\Tools\\x.exe  ", "  C:\\Tools\\x.exe  "},
      {"notepad", "notepad"},
      // No ".exe" to tell where the program ends: left alone rather than cut in a wrong place.
      {"C:\\My Scripts\\start.bat", "C:\\My Scripts\\start.bat"},
      {"rundll32 shell32,Control_RunDLL", "rundll32 shell32,Control_RunDLL"},
      {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(QuoteProgramPart(c.command), c.stored) << c.command;
  }
}

}  // namespace
}  // namespace lw
