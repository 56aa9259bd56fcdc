#pragma once
// The logon task: where UAC is on, the first phase ("-pre") is started at every logon by the
// Task Scheduler with the highest privileges the user has, since a program started from the
// RunOnce key would run with standard rights and could take nothing over. The task runs for
// every user of the machine (the logon of any user, the group of all users), for as long as it
// takes; the Task Scheduler keeps it until it is deleted.

#include <string>

namespace lw {

inline constexpr char kLogonTaskName[] = "Launchward";
// The built-in group of every user of the machine (BUILTIN\Users), by its SID so that it
// reads the same in every language.
inline constexpr char kAllUsersGroupSid[] = "S-1-5-32-545";

// The task's definition, in the Task Scheduler's XML: the program, with the arguments, at the
// logon of any user.
std::string LogonTaskXml(const std::string& program, const std::string& arguments);

// Registers the task (or replaces its definition) to run the program with "-pre".
// Raises Error("Unable to register the logon task: " + why) when the Task Scheduler refuses.
void RegisterLogonTask(const std::string& program);
// Deletes the task; a task that is not there is no error, and before Windows Vista (no Task
// Scheduler 2.0) nothing is asked of the Task Scheduler. Raises Error("Unable to remove the
// logon task: " + why) otherwise.
void RemoveLogonTask();
// The task is registered (its definition can be read).
bool IsLogonTaskRegistered();

}  // namespace lw
