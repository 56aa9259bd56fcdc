// What the program relies on from the system services: environment expansion, message texts,
// named mutexes, the last error.

#include <string>

#include "support/TestEnv.h"

namespace lw::test {
namespace {

using SystemFacts = PlatformTest;

TEST_F(SystemFacts, UnknownVariablesStayAsWritten) {
  const char* const texts[] = {
      "%LW_NO_SUCH_VARIABLE%", "C:\\%LW_NO_SUCH_VARIABLE%\\x.exe", "100%", "%", "%%", "a % b", "",
  };
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    EXPECT_EQ(Sys().ExpandEnvironmentStrings(text), text);
  }
}

TEST_F(SystemFacts, MessageTextsEndInANewLineAndUnknownCodesHaveNone) {
  for (std::uint32_t code : {kErrorFileNotFound, kErrorAccessDenied, kErrorPathNotFound}) {
    SCOPED_TRACE(code);
    std::string text = Sys().FormatMessage(code);
    ASSERT_GE(text.size(), 3u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_NE(text[0], ' ');
  }
  EXPECT_NE(Sys().FormatMessage(kErrorFileNotFound), Sys().FormatMessage(kErrorAccessDenied));
  EXPECT_EQ(Sys().FormatMessage(0x2F0F0F0), "");
}

TEST_F(SystemFacts, ASecondMutexOfTheSameNameReportsThatItExists) {
  const std::string name = "LaunchwardFactsMutex";
  Sys().SetLastError(0);
  Handle first = Sys().CreateMutex(false, name);
  ASSERT_NE(first, 0u);
  EXPECT_EQ(Sys().GetLastError(), kErrorSuccess);
  Handle second = Sys().CreateMutex(false, name);
  ASSERT_NE(second, 0u);
  EXPECT_EQ(Sys().GetLastError(), kErrorAlreadyExists);
  EXPECT_TRUE(Sys().CloseHandle(second));
  EXPECT_TRUE(Sys().CloseHandle(first));

  // Once every handle is closed, the name is free again.
  Handle again = Sys().CreateMutex(false, name);
  ASSERT_NE(again, 0u);
  EXPECT_EQ(Sys().GetLastError(), kErrorSuccess);
  EXPECT_TRUE(Sys().CloseHandle(again));
}

TEST_F(SystemFacts, TheLastErrorIsWhatWasSet) {
  Sys().SetLastError(kErrorMoreData);
  EXPECT_EQ(Sys().GetLastError(), kErrorMoreData);
  Sys().SetLastError(0);
  EXPECT_EQ(Sys().GetLastError(), 0u);
}

}  // namespace
}  // namespace lw::test
