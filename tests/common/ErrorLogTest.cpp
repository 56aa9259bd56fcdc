// The error log on the simulation and on the real API: the exact line, creation then append,
// Windows errors with the system's own text, and a log that cannot be written.

#include "util/ErrorLog.h"

#include <stdexcept>

#include "support/TestEnv.h"
#include "util/Error.h"

namespace lw {
namespace {

using test::ReadWholeFile;

class ErrorLogTest : public test::PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    InitializeErrorLog();
  }
  void TearDown() override { FinalizeErrorLog(); }

  // The line the log must hold for a moment (midnight is too rare to meet here).
  static std::string LineAt(const SystemTime& time, const std::string& text) {
    return Sys().FormatShortDate(time) + " " + Sys().FormatLongTime(time) + " " + text + "\r\n";
  }

  // Writes through the given action and checks the line against the moments just before and
  // just after it, since the clock may pass a second in between.
  template <typename Action>
  static void ExpectLine(const std::string& before, Action action, const std::string& text) {
    SystemTime first = Sys().GetLocalTime();
    action();
    SystemTime last = Sys().GetLocalTime();
    std::string content = ReadWholeFile(ErrorLogPath());
    EXPECT_TRUE(content == before + LineAt(first, text) || content == before + LineAt(last, text))
        << "log:\n"
        << content << "expected text: " << text;
  }
};

TEST_F(ErrorLogTest, LivesBesideTheExecutable) {
  EXPECT_EQ(ErrorLogPath(), test::ExeFolder() + "error.txt");
}

TEST_F(ErrorLogTest, FirstLineCreatesTheFileLaterLinesAppend) {
  ASSERT_EQ(Files().GetFileAttributes(ErrorLogPath()), kInvalidFileAttributes);
  ExpectLine(
      "", [] { SharedErrorLog().Write("Counter Index 6 not found in - 1 2"); },
      "Counter Index 6 not found in - 1 2");
  std::string first = ReadWholeFile(ErrorLogPath());
  ExpectLine(
      first, [] { SharedErrorLog().Write("second"); }, "second");
}

TEST_F(ErrorLogTest, WindowsErrorCarriesTheSystemText) {
  // The system's text without its line break and full stop, e.g. "The system cannot find the
  // file specified".
  std::string message = Sys().FormatMessage(kErrorFileNotFound);
  ASSERT_FALSE(message.empty());
  std::string trimmed = SystemErrorText(kErrorFileNotFound);
  ASSERT_FALSE(trimmed.empty());
  EXPECT_EQ(message.compare(0, trimmed.size(), trimmed), 0);
  EXPECT_NE(trimmed.back(), '.');
  EXPECT_GT(static_cast<unsigned char>(trimmed.back()), ' ');
  ExpectLine(
      "", [] { SharedErrorLog().WriteError(kErrorFileNotFound, "C:\\Tools\\x.exe"); },
      "2 : " + trimmed + " (C:\\Tools\\x.exe)");
}

TEST_F(ErrorLogTest, UnknownErrorHasAnEmptyText) {
  const std::uint32_t unknown = 0x2F0F0F0;
  ExpectLine(
      "", [&] { SharedErrorLog().WriteError(unknown, "x"); }, "49344752 :  (x)");
}

TEST_F(ErrorLogTest, LogThatCannotBeWrittenRaisesAndLeavesNothingBehind) {
  // A folder in the log's place: the file can be neither created nor opened.
  ASSERT_TRUE(Files().CreateDirectory(ErrorLogPath()));
  try {
    SharedErrorLog().Write("lost");
    FAIL() << "no error raised";
  } catch (const Error& error) {
    std::string text = error.what();
    EXPECT_EQ(text.rfind("Unable to write error log : " + ErrorLogPath() + " (", 0), 0) << text;
  }
  EXPECT_NE(Files().GetFileAttributes(ErrorLogPath()) & kFileAttributeDirectory, 0u);
}

TEST(ErrorLogLifecycleTest, ThePathIsSetBetweenInitialiseAndFinalise) {
  test::ResetPlatform();
  EXPECT_EQ(ErrorLogPath(), "");
  EXPECT_THROW(SharedErrorLog(), std::logic_error);
  InitializeErrorLog();
  EXPECT_EQ(ErrorLogPath(), test::ExeFolder() + "error.txt");
  FinalizeErrorLog();
  EXPECT_EQ(ErrorLogPath(), "");
  EXPECT_THROW(SharedErrorLog(), std::logic_error);
}

}  // namespace
}  // namespace lw
