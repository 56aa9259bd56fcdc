// What the program relies on from the system services: environment expansion, message texts,
// named mutexes, the last error.

#include <string>

#include "store/StoreLock.h"
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

// The store lock: a mutex of the "Global\\" namespace made with a descriptor that lets every
// signed-in account wait on it; its owner may wait again and releases it once per wait; a
// release too many is refused.
TEST_F(SystemFacts, TheStoreLocksMutexIsOwnedCountedAndReleased) {
  const std::string name = "Global\\LaunchwardFactsLock";
  Handle lock = Sys().CreateMutexWithSddl(false, name, kStoreLockSddl);
  ASSERT_NE(lock, 0u);
  EXPECT_EQ(Sys().GetLastError(), kErrorSuccess);
  EXPECT_EQ(Sys().WaitForSingleObject(lock, 0), kWaitObject0);
  EXPECT_EQ(Sys().WaitForSingleObject(lock, 0), kWaitObject0);
  // The same name from another opener is the same mutex.
  Handle again = Sys().CreateMutexWithSddl(false, name, kStoreLockSddl);
  ASSERT_NE(again, 0u);
  EXPECT_EQ(Sys().GetLastError(), kErrorAlreadyExists);
  EXPECT_TRUE(Sys().CloseHandle(again));
  EXPECT_TRUE(Sys().ReleaseMutex(lock));
  EXPECT_TRUE(Sys().ReleaseMutex(lock));
  EXPECT_FALSE(Sys().ReleaseMutex(lock));
  EXPECT_EQ(Sys().GetLastError(), kErrorNotOwner);
  EXPECT_TRUE(Sys().CloseHandle(lock));
}

TEST_F(SystemFacts, TheLastErrorIsWhatWasSet) {
  Sys().SetLastError(kErrorMoreData);
  EXPECT_EQ(Sys().GetLastError(), kErrorMoreData);
  Sys().SetLastError(0);
  EXPECT_EQ(Sys().GetLastError(), 0u);
}

}  // namespace
}  // namespace lw::test
