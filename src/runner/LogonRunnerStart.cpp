#include <algorithm>

#include "items/ItemManager.h"
#include "platform/Platform.h"
#include "runner/LogonRunner.h"
#include "store/SettingsStore.h"
#include "util/CommandLine.h"
#include "util/Error.h"
#include "util/ErrorLog.h"
#include "util/ExecutablePath.h"
#include "util/Text.h"
#include "util/UserStarts.h"
#include "util/WindowsBitness.h"

// Starting a run-key item. A command line taken from a Run key comes in many forms: a quoted
// path with arguments, an unquoted path with blanks, a bare file name that Windows finds in the
// system folder or through App Paths, a path with environment variables. Each item is started
// by the method that worked for it last time (remembered per user in "ExecMethod"), else by the
// first method of a chain that works:
//   CMDALTERED  the program part of a line with a drive letter quoted, the arguments after it
//   CMDORIGNAL  the line as it is (a bare name first, at normal priority)
//   APPPATH     the program as App Paths registers it, with the line's arguments
//   SYSTEMROOT  the program below "%SystemRoot%\System32\", with the line's arguments
//   SYSWOW64    on 64-bit Windows, for an item that is not of the machine's 64-bit view: a bare
//               program below the 32-bit system folder. Windows' own logon searches the 64-bit
//               folder, and so does every method before; a 32-bit program that put itself in
//               SysWOW64 only and its value in the 32-bit view started from there before, and
//               keeps doing so.
// Every method works on the line as Windows would read it from the Run key: without the blanks
// around it, and with the environment variables of its program part expanded before anything
// looks at it ("%ProgramFiles%\Tool\tool.exe" has a drive letter once expanded). CreateProcess
// itself would take "%ProgramFiles%" literally and never find it; and a program whose expansion
// holds a blank is quoted, or CreateProcess would cut it at the blank and start
// "C:\Program.exe" where that file exists. The arguments are the program's own business and
// stay as written.

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

// The line as Windows reads it from a Run key: trimmed, its program part expanded (see above).
std::string ReadAsRunKeyLine(const std::string& command) {
  const std::string line = TrimBlanks(command);
  const CommandParts parts = SplitProgram(line);
  if (parts.program.find('%') == std::string::npos) return line;
  return JoinProgram(Sys().ExpandEnvironmentStrings(parts.program), parts.arguments, parts.quoted);
}

bool HasExe(const std::string& text) { return LowerCase(text).find(".exe") != std::string::npos; }

// "CMDALTERED": the program in double quotes, a blank, the arguments; empty when the program
// part names no ".exe" to quote. An ".exe" in the arguments of a quoted program (a batch file
// given a program to work on) is no program part.
std::string AlteredLine(const std::string& line) {
  const CommandParts parts = SplitProgram(line);
  if (!HasExe(parts.program)) return std::string();
  return "\"" + parts.program + "\" " + parts.arguments;
}

// A path that says where it is from the drive or the root: no folder is put in front of it.
bool IsAbsolutePath(const std::string& path) {
  const bool drive = path.size() >= 2 && path[1] == ':' &&
                     ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  return drive || (!path.empty() && (path[0] == '\\' || path[0] == '/'));
}

// "SYSTEMROOT": empty when the program part already says where it is.
std::string SystemFolderLine(const std::string& line) {
  const CommandParts parts = SplitProgram(line);
  if (parts.program.empty() || IsAbsolutePath(parts.program)) return std::string();
  return JoinProgram(Sys().ExpandEnvironmentStrings(kSystemRootPrefix) + parts.program,
                     parts.arguments, false);
}

// "SYSWOW64": empty unless the program part is a bare file name.
std::string Wow64FolderLine(const std::string& line) {
  const CommandParts parts = SplitProgram(line);
  if (parts.program.empty() || parts.program.find_first_of("\\/:") != std::string::npos) {
    return std::string();
  }
  return JoinProgram(
      IncludeTrailingBackslash(Sys().GetWindowsDirectory()) + "SysWOW64\\" + parts.program,
      parts.arguments, false);
}

// The 32-bit system folder is a place to look for the item only where there is one, and only
// for what a 32-bit program may have registered.
bool MayStartFromWow64Folder(const ItemRecord& record) {
  return IsWindows64() && record.Origin().view != kKeyWow64_64Key;
}

}  // namespace

// "APPPATH": App Paths is looked up by the program's file name, the user's registration before
// the machine's, as the shell does; the line's arguments follow the registered path. (A key
// named after the whole line, arguments and all, would exist for no program.)
bool LogonRunner::StartBy(const std::string& method, const std::string& line,
                          std::uint32_t priority) {
  if (method == kExecCmdOriginal) return CreateItemProcess(line, priority);
  if (method == kExecCmdAltered) {
    const std::string altered = AlteredLine(line);
    return !altered.empty() && CreateItemProcess(altered, priority);
  }
  if (method == kExecAppPath) {
    const CommandParts parts = SplitProgram(line);
    if (parts.program.empty() || parts.program.find('\\') != std::string::npos) return false;
    std::string registered;
    for (HKey root : {kHKeyCurrentUser, kHKeyLocalMachine}) {
      registered = AppPathsEntry(root, parts.program);
      if (!registered.empty()) break;
    }
    if (registered.empty()) return false;
    return CreateItemProcess(JoinProgram(registered, parts.arguments, true), priority);
  }
  if (method == kExecSystemRoot) {
    const std::string below = SystemFolderLine(line);
    return !below.empty() && CreateItemProcess(below, priority);
  }
  if (method == kExecSysWow64) {
    const std::string below = Wow64FolderLine(line);
    return !below.empty() && CreateItemProcess(below, priority);
  }
  return false;
}

bool LogonRunner::CreateItemProcess(const std::string& line, std::uint32_t priority) {
  // A copy with administrator rights starts nothing itself: the desktop starts the program with
  // the user's own rights (at its normal priority; a management window's Run is no logon pass).
  if (StartsGoThroughDesktop()) {
    const CommandParts parts = SplitProgram(line);
    return ShellExecuteForUser(std::string(), parts.program, parts.arguments, std::string(),
                               kSwShowNormal) > kShellExecuteSuccessAbove;
  }
  ProcessInformation process;
  bool created = false;
  const std::uint32_t startClass = background_.StartClass(priority);
  {
    // A program named by a System32 path or by a bare name found there is the one Windows' own
    // logon would start: on 64-bit Windows the 64-bit System32's, not SysWOW64's.
    FsRedirectionOff nativeSystemFolder;
    created =
        Sys().CreateProcess(line, startClass | kCreateNewProcessGroup | kCreateSuspended, &process);
  }
  if (!created) {
    SharedErrorLog().TryWriteError(Sys().GetLastError(), line);
    return false;
  }
  // The program is created suspended and given its class (and, in the background, its job)
  // before it runs its first instruction: some systems (Wine) ignore the class among the
  // creation flags, and a program that starts another at once must not start it outside the job.
  Sys().SetPriorityClass(process.process, startClass);
  background_.Adopt(line, process.process, priority);
  bool resumed = Sys().ResumeThread(process.thread) != kResumeThreadFailed;
  if (!resumed) SharedErrorLog().TryWriteError(Sys().GetLastError(), line);
  // The runner neither waits for the program nor talks to it.
  Sys().CloseHandle(process.thread);
  return resumed;
}

bool LogonRunner::StartRunkeyItem(const std::string& storedName, const std::string& command) {
  ItemRecord record = ReadItemRecord(storedName, true);
  const bool started = StartRunkeyItem(record, command);
  SaveLearnt(record);
  return started;
}

// The method that worked is remembered (written with the rest of what the item learnt); one that
// cannot be written only costs the chain next time.
bool LogonRunner::StartRunkeyItem(ItemRecord& record, const std::string& command) {
  std::int32_t stored = kDefaultPriority;
  record.priorityAsked = true;
  try {
    stored = record.priority.Get();
  } catch (const Error&) {
    // not a number: the program still starts
  }
  // A priority that is no priority class would make every start fail.
  const std::uint32_t priority =
      IsPriorityClass(stored) ? static_cast<std::uint32_t>(stored) : kNormalPriorityClass;

  const std::string line = ReadAsRunKeyLine(command);
  std::string remembered;
  try {
    remembered = record.execMethod.Get();
  } catch (const Error&) {
    // not a method: the chain decides
  }
  const auto remember = [&record](const char* method) { record.methodLearnt = method; };
  for (const char* method :
       {kExecCmdOriginal, kExecCmdAltered, kExecAppPath, kExecSystemRoot, kExecSysWow64}) {
    if (remembered == method) {
      if (StartBy(method, line, priority)) return true;
      break;
    }
  }

  if (line.find(':') != std::string::npos) {
    if (StartBy(kExecCmdAltered, line, priority)) {
      remember(kExecCmdAltered);
      return true;
    }
    // A line with a drive letter but no ".exe" to quote (a batch file, "javaw -jar C:\x.jar")
    // is started as it is.
    if (AlteredLine(line).empty() && StartBy(kExecCmdOriginal, line, priority)) {
      remember(kExecCmdOriginal);
      return true;
    }
  } else if (StartBy(kExecCmdOriginal, line, kNormalPriorityClass)) {
    remember(kExecCmdOriginal);
    return true;
  }
  if (StartBy(kExecAppPath, line, priority)) {
    remember(kExecAppPath);
    return true;
  }
  if (StartBy(kExecSystemRoot, line, priority)) {
    remember(kExecSystemRoot);
    return true;
  }
  if (MayStartFromWow64Folder(record) && StartBy(kExecSysWow64, line, priority)) {
    remember(kExecSysWow64);
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
  if (background_.On() && !StartsGoThroughDesktop()) return OpenInBackground(path, shortPath, code);
  code = ShellExecuteForUser(std::string(), shortPath, std::string(), std::string(), kSwShowNormal);
  if (code > kShellExecuteSuccessAbove) return true;
  const std::uint32_t error = Sys().GetLastError();
  SharedErrorLog().TryWriteError(static_cast<std::uint32_t>(code), path);
  SharedErrorLog().TryWriteError(error, path);
  return false;
}

// A shortcut opened in the background: the shell hands back the process it started, which
// joins the background items as soon as it is there (a document opened in a program that
// already runs starts nothing to hold). A failure is the shell's last error.
bool LogonRunner::OpenInBackground(const std::string& path, const std::string& shortPath,
                                   std::intptr_t& code) {
  Handle process = 0;
  if (Shell().ShellExecuteEx(std::string(), shortPath, std::string(), kSwShowNormal, &process)) {
    code = kShellExecuteSuccessAbove + 1;
    if (process != 0) {
      Sys().SetPriorityClass(process, background_.StartClass(kNormalPriorityClass));
      background_.Adopt(path, process, kNormalPriorityClass);
    }
    return true;
  }
  const std::uint32_t error = Sys().GetLastError();
  code = static_cast<std::intptr_t>(error);
  SharedErrorLog().TryWriteError(error, path);
  SharedErrorLog().TryWriteError(error, path);
  return false;
}

}  // namespace lw
