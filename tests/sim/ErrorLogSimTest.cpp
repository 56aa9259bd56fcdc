// The error log at staged moments and with staged system texts.

#include "util/ErrorLog.h"

#include "support/TestEnv.h"
#include "util/Error.h"

namespace lw {
namespace {

using test::ReadWholeFile;
using test::Sim;

class ErrorLogSimTest : public test::PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    InitializeErrorLog();
  }
  void TearDown() override { FinalizeErrorLog(); }
};

TEST_F(ErrorLogSimTest, TimeIsLeftOutAtExactlyMidnight) {
  struct Case {
    SystemTime time;
    const char* line;
  };
  const Case cases[] = {
      {{2026, 12, 6, 5, 18, 7, 8, 0}, "05/12/2026 18:07:08 text\r\n"},
      {{2026, 12, 6, 5, 0, 0, 0, 0}, "05/12/2026 text\r\n"},
      {{2026, 12, 6, 5, 0, 0, 0, 1}, "05/12/2026 00:00:00 text\r\n"},
      {{2026, 12, 6, 5, 0, 0, 1, 0}, "05/12/2026 00:00:01 text\r\n"},
      {{2026, 12, 6, 5, 23, 59, 59, 999}, "05/12/2026 23:59:59 text\r\n"},
  };
  for (const Case& c : cases) {
    Files().DeleteFile(ErrorLogPath());
    Sim().SetLocalTime(c.time);
    SharedErrorLog().Write("text");
    EXPECT_EQ(ReadWholeFile(ErrorLogPath()), c.line);
  }
}

TEST_F(ErrorLogSimTest, SystemTextLosesTrailingBreaksBlanksAndFullStops) {
  struct Case {
    const char* message;
    const char* text;
  };
  const Case cases[] = {
      {"Access is denied.\r\n", "Access is denied"},
      {"Access is denied. \t. \r\n", "Access is denied"},
      {"Version 1.2 of x.y", "Version 1.2 of x.y"},
      {"Caf\xE9\r\n", "Caf\xE9"},
      {"...\r\n", ""},
      {"", ""},
  };
  Sim().SetLocalTime({2026, 1, 4, 2, 9, 30, 0, 0});
  for (const Case& c : cases) {
    Files().DeleteFile(ErrorLogPath());
    Sim().SetMessageText(5, c.message);
    SharedErrorLog().WriteError(5, "ctx");
    EXPECT_EQ(ReadWholeFile(ErrorLogPath()),
              std::string("02/01/2026 09:30:00 5 : ") + c.text + " (ctx)\r\n")
        << c.message;
  }
}

TEST_F(ErrorLogSimTest, ErrorCodesAreUnsignedDecimal) {
  Sim().SetLocalTime({2026, 1, 4, 2, 9, 30, 0, 0});
  SharedErrorLog().WriteError(0x80070005u, "ctx");
  EXPECT_EQ(ReadWholeFile(ErrorLogPath()), "02/01/2026 09:30:00 2147942405 :  (ctx)\r\n");
}

TEST_F(ErrorLogSimTest, RefusedWriteNamesTheFileAndTheReason) {
  Sim().DenyFolderWrites(test::ExeFolder());
  try {
    SharedErrorLog().Write("lost");
    FAIL() << "no error raised";
  } catch (const Error& error) {
    EXPECT_EQ(std::string(error.what()),
              "Unable to write error log : " + ErrorLogPath() + " (5 : Access is denied)");
  }
  Sim().DenyFolderWrites(test::ExeFolder(), false);
  SharedErrorLog().Write("kept");
  EXPECT_EQ(ReadWholeFile(ErrorLogPath()).find("lost"), std::string::npos);
}

// Where the executable's folder refuses writing (a standard user, a program in Program Files),
// Windows Vista and later give the user a folder of their own: the lines go there, the folder
// made on first use, and the executable's folder is tried first every time.
TEST_F(ErrorLogSimTest, RefusedLinesGoToTheUsersOwnFolderWhereThereIsOne) {
  const std::string local = "C:\\Documents and Settings\\bob\\Local Settings\\Application Data";
  Sim().SetEnvironmentVariable("LOCALAPPDATA", local);
  EXPECT_EQ(UserErrorLogPath(), local + "\\Launchward\\error.txt");
  Sim().DenyFolderWrites(test::ExeFolder());
  SharedErrorLog().Write("one");
  SharedErrorLog().WriteError(5, "two");
  const std::string user = ReadWholeFile(UserErrorLogPath());
  EXPECT_NE(user.find(" one\r\n"), std::string::npos) << user;
  EXPECT_NE(user.find(" 5 : Access is denied (two)\r\n"), std::string::npos) << user;
  EXPECT_EQ(ReadWholeFile(ErrorLogPath()), "");
  Sim().DenyFolderWrites(test::ExeFolder(), false);
  SharedErrorLog().Write("three");
  EXPECT_NE(ReadWholeFile(ErrorLogPath()).find(" three\r\n"), std::string::npos);
  // Nowhere to write at all: the first failure is reported.
  Sim().DenyFolderWrites(test::ExeFolder());
  Sim().DenyFolderWrites(local);
  EXPECT_THROW(SharedErrorLog().Write("lost"), Error);
}

}  // namespace
}  // namespace lw
