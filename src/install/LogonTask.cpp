#include "install/LogonTask.h"

#include <cstdio>

#include "install/StartupMover.h"
#include "platform/Platform.h"
#include "util/Error.h"
#include "util/ErrorLog.h"
#include "util/Text.h"
#include "util/UserAccountControl.h"

namespace lw {

namespace {

constexpr long kTaskNotFound = HResultFromWin32(kErrorFileNotFound);

// Text as XML character data: a folder may be named "Tools & Games".
std::string XmlEscaped(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      case '\'':
        escaped += "&apos;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

}  // namespace

std::string LogonTaskXml(const std::string& program, const std::string& arguments) {
  // No time limit (PT0S): the first phase may wait on the user's answer to a question. Every
  // user's logon starts one, so instances run side by side; batteries stop nothing.
  return std::string(
             "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
             "<Task version=\"1.2\" "
             "xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n"
             "  <RegistrationInfo>\r\n"
             "    <Author>Launchward</Author>\r\n"
             "    <Description>Takes new start-up programs over at logon.</Description>\r\n"
             "  </RegistrationInfo>\r\n"
             "  <Triggers>\r\n"
             "    <LogonTrigger>\r\n"
             "      <Enabled>true</Enabled>\r\n"
             "    </LogonTrigger>\r\n"
             "  </Triggers>\r\n"
             "  <Principals>\r\n"
             "    <Principal id=\"Author\">\r\n"
             "      <GroupId>") +
         kAllUsersGroupSid +
         "</GroupId>\r\n"
         "      <RunLevel>HighestAvailable</RunLevel>\r\n"
         "    </Principal>\r\n"
         "  </Principals>\r\n"
         "  <Settings>\r\n"
         "    <MultipleInstancesPolicy>Parallel</MultipleInstancesPolicy>\r\n"
         "    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>\r\n"
         "    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>\r\n"
         "    <ExecutionTimeLimit>PT0S</ExecutionTimeLimit>\r\n"
         "    <Enabled>true</Enabled>\r\n"
         "  </Settings>\r\n"
         "  <Actions Context=\"Author\">\r\n"
         "    <Exec>\r\n"
         "      <Command>" +
         XmlEscaped(program) +
         "</Command>\r\n"
         "      <Arguments>" +
         XmlEscaped(arguments) +
         "</Arguments>\r\n"
         "    </Exec>\r\n"
         "  </Actions>\r\n"
         "</Task>\r\n";
}

void RegisterLogonTask(const std::string& program) {
  const long result =
      Tasks().RegisterTask(kLogonTaskName, LogonTaskXml(program, TrimBlanks(kPreSwitchData)),
                           kAllUsersGroupSid, kTaskLogonGroup);
  if (result != kSOk) throw Error("Unable to register the logon task: " + HResultText(result));
}

void RemoveLogonTask() {
  // Before Windows Vista there is no Task Scheduler 2.0, and so no task of ours to remove.
  if (!IsWindowsVistaOrLater()) return;
  const long result = Tasks().DeleteTask(kLogonTaskName);
  if (result != kSOk && result != kTaskNotFound) {
    throw Error("Unable to remove the logon task: " + HResultText(result));
  }
}

bool IsLogonTaskRegistered() {
  std::string xml;
  return Tasks().GetTaskXml(kLogonTaskName, &xml) == kSOk;
}

}  // namespace lw
