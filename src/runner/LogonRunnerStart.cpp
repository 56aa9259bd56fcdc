#include <algorithm>

#include "platform/Platform.h"
#include "runner/LogonRunner.h"
#include "store/SettingsStore.h"
#include "util/Error.h"
#include "util/ErrorLog.h"
#include "util/ExecutablePath.h"
#include "util/Text.h"

// Starting a run-key item. A command line taken from a Run key comes in many forms: a quoted
// path with arguments, an unquoted path with blanks, a bare file name that Windows finds in the
// system folder or through App Paths, a path with environment variables. Each item is started
// by the method that worked for it last time (remembered per user in "ExecMethod"), else by the
// first method of a chain that works:
//   CMDALTERED  the program part of a line with a drive letter quoted, the arguments after it
//   CMDORIGNAL  the line as it is (a bare name first, at normal priority)
//   APPPATH     the program as App Paths registers it, with the line's arguments
//   SYSTEMROOT  the line below "%SystemRoot%\System32\"
// Environment variables in the line are expanded before it is started, as Windows does for the
// Run keys; CreateProcess itself would take "%ProgramFiles%" literally and never find it.

namespace lw {

namespace {

constexpr char kSystemRootPrefix[] = "%SystemRoot%\\System32\\";

bool IsPriorityClass(std::int32_t value) {
  switch (static_cast<std::uint32_t>(value)) {
    case kNormalPriorityClass:
    case kIdlePriorityClass:
    case kHighPriorityClass:
    case kRealtimePriorityClass:
    case kBelowNormalPriorityClass:
    case kAboveNormalPriorityClass:
      return true;
    default:
      return false;
  }
}

// The line with the quotes around its program removed: the first double quote and the next.
std::string WithoutProgramQuotes(std::string line) {
  if (!line.empty() && line.front() == '"') {
    line.erase(0, 1);
    std::string::size_type next = line.find('"');
    if (next != std::string::npos) line.erase(next, 1);
  }
  return line;
}

// The line without the first occurrence of part (any letter case), trimmed of blanks.
std::string Remainder(const std::string& line, const std::string& part) {
  std::string::size_type at = LowerCase(line).find(LowerCase(part));
  std::string rest = line;
  if (at != std::string::npos) rest.erase(at, part.size());
  return TrimBlanks(rest);
}

// "CMDALTERED": empty when the line names no ".exe" to quote.
std::string AlteredLine(const std::string& command) {
  const std::string line = WithoutProgramQuotes(command);
  const std::string exe = ExtractExePath(line);
  if (exe.empty()) return std::string();
  return "\"" + exe + "\" " + Remainder(line, exe);
}

// The program part of a line and its arguments: up to the first ".exe", else up to the first
// blank (a quoted program up to its closing quote).
void SplitProgram(const std::string& command, std::string* program, std::string* arguments) {
  std::string line = TrimBlanks(command);
  if (!line.empty() && line.front() == '"') {
    std::string::size_type close = line.find('"', 1);
    if (close != std::string::npos) {
      *program = line.substr(1, close - 1);
      *arguments = TrimBlanks(line.substr(close + 1));
      return;
    }
  }
  std::string exe = ExtractExePath(line);
  if (exe.empty()) exe = line.substr(0, line.find(' '));
  *program = exe;
  *arguments = Remainder(line, exe);
}

}  // namespace

// "APPPATH": App Paths is looked up by the program's file name, the user's registration before
// the machine's, as the shell does; the line's arguments follow the registered path. (A key
// named after the whole line, arguments and all, would exist for no program.)
bool LogonRunner::StartBy(const std::string& method, const std::string& command,
                          std::uint32_t priority) {
  if (method == kExecCmdOriginal) return CreateItemProcess(command, priority);
  if (method == kExecCmdAltered) {
    const std::string altered = AlteredLine(command);
    return !altered.empty() && CreateItemProcess(altered, priority);
  }
  if (method == kExecAppPath) {
    std::string program;
    std::string arguments;
    SplitProgram(command, &program, &arguments);
    if (program.empty() || program.find('\\') != std::string::npos) return false;
    std::string registered;
    for (HKey root : {kHKeyCurrentUser, kHKeyLocalMachine}) {
      registered = AppPathsEntry(root, program);
      if (!registered.empty()) break;
    }
    if (registered.empty()) return false;
    std::string line = "\"" + registered + "\"";
    if (!arguments.empty()) line += " " + arguments;
    return CreateItemProcess(line, priority);
  }
  if (method == kExecSystemRoot) return CreateItemProcess(kSystemRootPrefix + command, priority);
  return false;
}

bool LogonRunner::CreateItemProcess(const std::string& commandLine, std::uint32_t priority) {
  const std::string line = commandLine.find('%') == std::string::npos
                               ? commandLine
                               : Sys().ExpandEnvironmentStrings(commandLine);
  ProcessInformation process;
  if (!Sys().CreateProcess(line, priority | kCreateNewProcessGroup | kCreateSuspended, &process)) {
    SharedErrorLog().TryWriteError(Sys().GetLastError(), line);
    return false;
  }
  // The program is created suspended and given its class before it runs its first instruction:
  // some systems (Wine) ignore the class among the creation flags.
  Sys().SetPriorityClass(process.process, priority);
  bool resumed = Sys().ResumeThread(process.thread) != kResumeThreadFailed;
  if (!resumed) SharedErrorLog().TryWriteError(Sys().GetLastError(), line);
  // The runner neither waits for the program nor talks to it.
  Sys().CloseHandle(process.thread);
  Sys().CloseHandle(process.process);
  return resumed;
}

// The item has started; a method that cannot be remembered only costs the chain next time.
void LogonRunner::RememberMethod(const std::string& storedName, const char* method) {
  try {
    registry_.PutString(kExecMethodKey, true, storedName, method);
  } catch (const Error& error) {
    SharedErrorLog().TryWrite(error.what());
  }
}

bool LogonRunner::StartRunkeyItem(const std::string& storedName, const std::string& command) {
  std::int32_t stored = kDefaultPriority;
  try {
    stored = GetPriority(storedName, kDefaultPriority);
  } catch (const Error&) {
    // not a number: the program still starts
  }
  // A priority that is no priority class would make every start fail.
  const std::uint32_t priority =
      IsPriorityClass(stored) ? static_cast<std::uint32_t>(stored) : kNormalPriorityClass;

  std::string remembered;
  try {
    remembered = registry_.GetString(kExecMethodKey, storedName);
  } catch (const Error&) {
    // not a method: the chain decides
  }
  for (const char* method : {kExecCmdOriginal, kExecCmdAltered, kExecAppPath, kExecSystemRoot}) {
    if (remembered == method) {
      if (StartBy(method, command, priority)) return true;
      break;
    }
  }

  if (command.find(':') != std::string::npos) {
    if (StartBy(kExecCmdAltered, command, priority)) {
      RememberMethod(storedName, kExecCmdAltered);
      return true;
    }
    // A line with a drive letter but no ".exe" to quote (a batch file, "javaw -jar C:\x.jar")
    // is started as it is.
    if (AlteredLine(command).empty() && StartBy(kExecCmdOriginal, command, priority)) {
      RememberMethod(storedName, kExecCmdOriginal);
      return true;
    }
  } else if (StartBy(kExecCmdOriginal, command, kNormalPriorityClass)) {
    RememberMethod(storedName, kExecCmdOriginal);
    return true;
  }
  if (StartBy(kExecAppPath, command, priority)) {
    RememberMethod(storedName, kExecAppPath);
    return true;
  }
  if (StartBy(kExecSystemRoot, command, priority)) {
    RememberMethod(storedName, kExecSystemRoot);
    return true;
  }
  return false;
}

// A file that is not there is not handed to the shell: with an empty name the shell would open
// the current folder instead.
bool LogonRunner::ShellOpenPath(const std::string& path, std::intptr_t& code) {
  std::string shortPath;
  if (!Files().GetShortPathName(path, &shortPath)) {
    const std::uint32_t error = Sys().GetLastError();
    code = error;
    SharedErrorLog().TryWriteError(error, path);
    SharedErrorLog().TryWriteError(error, path);
    return false;
  }
  code =
      Shell().ShellExecute(std::string(), shortPath, std::string(), std::string(), kSwShowNormal);
  if (code > kShellExecuteSuccessAbove) return true;
  const std::uint32_t error = Sys().GetLastError();
  SharedErrorLog().TryWriteError(static_cast<std::uint32_t>(code), path);
  SharedErrorLog().TryWriteError(error, path);
  return false;
}

}  // namespace lw
