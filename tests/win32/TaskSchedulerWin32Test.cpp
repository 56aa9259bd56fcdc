// The Task Scheduler's logon tasks as Wine (8.0) keeps them. Registering, replacing and
// deleting work as on Windows, and a missing task is ERROR_FILE_NOT_FOUND. But Wine's task
// reader skips what it does not know, and it knows neither triggers, nor actions, nor a group
// principal, nor a run level: the definition it stores (system32\tasks\<name>, as UTF-8 with a
// "created by Wine" comment) and gives back has an empty <Triggers/>, an empty <Exec/> and an
// empty <Principal>. It also drops the XML declaration, lays the text out again (two-space
// indent, CRLF), adds its defaults (AllowStartOnDemand, Priority 7 ...), puts
// MultipleInstancesPolicy back to IgnoreNew, and writes text values back without escaping
// them. A program that reads its task back under Wine cannot learn from it what the task runs.

#include "platform/win32/Win32Api.h"

#include <string>

#include "support/TestEnv.h"

namespace lw::test {
namespace {

// The group of every user, as a task principal.
constexpr char kUsersGroup[] = "S-1-5-32-545";
// SCHED_E_MALFORMEDXML: a definition the Task Scheduler cannot parse.
constexpr long kMalformedXml = static_cast<long>(0x8004131Au);

// A logon task for every user of the machine, run with the highest rights the user has. The
// text values are put in as they are: the caller escapes them.
std::string LogonTaskXml(const std::string& author, const std::string& command,
                         const std::string& arguments) {
  return "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n"
         "<Task version=\"1.2\" "
         "xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\n"
         "  <RegistrationInfo><Author>" +
         author +
         "</Author></RegistrationInfo>\n"
         "  <Triggers><LogonTrigger><Enabled>true</Enabled></LogonTrigger></Triggers>\n"
         "  <Principals><Principal id=\"Author\"><GroupId>" +
         std::string(kUsersGroup) +
         "</GroupId><RunLevel>HighestAvailable</RunLevel></Principal></Principals>\n"
         "  <Settings><MultipleInstancesPolicy>Parallel</MultipleInstancesPolicy>"
         "<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>"
         "<StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>"
         "<ExecutionTimeLimit>PT0S</ExecutionTimeLimit></Settings>\n"
         "  <Actions Context=\"Author\"><Exec><Command>" +
         command + "</Command><Arguments>" + arguments +
         "</Arguments></Exec></Actions>\n"
         "</Task>\n";
}

std::string LogonTaskXml(const std::string& command) {
  return LogonTaskXml("Launchward", command, "-pre");
}

bool Holds(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Each test has a task of its own, removed before and after it, so nothing stays in the prefix.
class TaskSchedulerWin32Test : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    name = std::string("LaunchwardTest.") +
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    Tasks().DeleteTask(name);
  }
  void TearDown() override { Tasks().DeleteTask(name); }

  std::string ReadBack() {
    std::string xml;
    EXPECT_EQ(Tasks().GetTaskXml(name, &xml), kSOk);
    return xml;
  }

  std::string name;
};

// The group as the task's user with the group logon type, or no user at all: Wine takes both.
TEST_F(TaskSchedulerWin32Test, ALogonTaskIsRegisteredForTheUsersGroupOrForNoUser) {
  for (const std::string& userId : {std::string(kUsersGroup), std::string()}) {
    SCOPED_TRACE("user \"" + userId + "\"");
    ASSERT_EQ(
        Tasks().RegisterTask(name, LogonTaskXml("C:\\x\\launchward.exe"), userId, kTaskLogonGroup),
        kSOk);
    EXPECT_TRUE(Holds(ReadBack(), "<Author>Launchward</Author>"));
    EXPECT_EQ(Tasks().DeleteTask(name), kSOk);
  }
}

TEST_F(TaskSchedulerWin32Test, WineKeepsNeitherTheTriggerNorTheCommandNorThePrincipal) {
  ASSERT_EQ(Tasks().RegisterTask(name, LogonTaskXml("C:\\x\\launchward.exe"), kUsersGroup,
                                 kTaskLogonGroup),
            kSOk);
  const std::string xml = ReadBack();
  for (const char* kept : {"<Author>Launchward</Author>", "<Triggers/>", "<Exec/>",
                           "<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>",
                           "<ExecutionTimeLimit>PT0S</ExecutionTimeLimit>"}) {
    EXPECT_TRUE(Holds(xml, kept)) << kept << " in\n" << xml;
  }
  for (const char* lost : {"LogonTrigger", "launchward.exe", "-pre", kUsersGroup,
                           "HighestAvailable", "Parallel", "encoding="}) {
    EXPECT_FALSE(Holds(xml, lost)) << lost << " in\n" << xml;
  }
}

// Wine drops the command, so the replaced definition shows in what it keeps: the author.
TEST_F(TaskSchedulerWin32Test, RegisteringAgainReplacesTheDefinition) {
  ASSERT_EQ(Tasks().RegisterTask(name, LogonTaskXml("C:\\x\\launchward.exe"), kUsersGroup,
                                 kTaskLogonGroup),
            kSOk);
  ASSERT_EQ(Tasks().RegisterTask(name, LogonTaskXml("Launchward 2", "C:\\y\\other.exe", ""),
                                 kUsersGroup, kTaskLogonGroup),
            kSOk);
  const std::string xml = ReadBack();
  EXPECT_TRUE(Holds(xml, "<Author>Launchward 2</Author>")) << xml;
  EXPECT_FALSE(Holds(xml, "<Author>Launchward</Author>")) << xml;
}

TEST_F(TaskSchedulerWin32Test, ADeletedOrMissingTaskIsFileNotFound) {
  ASSERT_EQ(Tasks().RegisterTask(name, LogonTaskXml("C:\\x\\launchward.exe"), kUsersGroup,
                                 kTaskLogonGroup),
            kSOk);
  EXPECT_EQ(Tasks().DeleteTask(name), kSOk);
  std::string xml = "left over";
  EXPECT_EQ(Tasks().GetTaskXml(name, &xml), HResultFromWin32(kErrorFileNotFound));
  EXPECT_EQ(xml, "left over") << "a failed call leaves its out value alone";
  EXPECT_EQ(Tasks().DeleteTask(name), HResultFromWin32(kErrorFileNotFound));
  EXPECT_EQ(Tasks().GetTaskXml(name + ".never", &xml), HResultFromWin32(kErrorFileNotFound));
}

// Escaped text is taken (a path with '&' and spaces too), and the program's code page reaches
// the Task Scheduler and comes back. Wine writes text values back unescaped: a '&' returns bare,
// and a '<' leaves a stored definition that Wine itself can no longer read.
TEST_F(TaskSchedulerWin32Test, EscapedTextIsTakenAndWineWritesItBackUnescaped) {
  const struct {
    std::string author;
    std::string readBack;
  } cases[] = {
      {"A &amp; B", "<Author>A & B</Author>"},
      {"\xC3\xA9t\xC3\xA9 \xC2\xA9", "<Author>\xC3\xA9t\xC3\xA9 \xC2\xA9</Author>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.author);
    ASSERT_EQ(
        Tasks().RegisterTask(
            name,
            LogonTaskXml(c.author, "C:\\Program Files\\A &amp; B\\launch ward.exe", "-a &amp; b"),
            kUsersGroup, kTaskLogonGroup),
        kSOk);
    const std::string xml = ReadBack();
    EXPECT_TRUE(Holds(xml, c.readBack)) << xml;
  }

  ASSERT_EQ(Tasks().RegisterTask(name, LogonTaskXml("&lt;Launchward&gt;", "C:\\x.exe", ""),
                                 kUsersGroup, kTaskLogonGroup),
            kSOk);
  std::string xml;
  EXPECT_EQ(Tasks().GetTaskXml(name, &xml), kMalformedXml);
  EXPECT_EQ(Tasks().DeleteTask(name), kSOk);
}

}  // namespace
}  // namespace lw::test
