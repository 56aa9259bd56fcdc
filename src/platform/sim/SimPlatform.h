#pragma once
// An in-memory Windows for tests: registry, token, files, system and shell, with a virtual
// clock. It behaves like the real API in everything the program relies on (the same results
// and error codes; the facts are pinned by tests that run on both), and lets a test stage what
// a real machine cannot be told to do on demand: keys that refuse writing, values that another
// program guards, hive files in use, scripted failures of the N-th change, a performance-data
// block, a clock whose Sleep returns at once.
//
// A fresh SimPlatform looks like a Windows XP machine of user "bob" with the program installed
// as C:\Program Files\Launchward\launchward.exe (see SimPlatform.cpp for the whole list).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace lw {

class SimPlatform : public IPlatform {
 public:
  SimPlatform();
  ~SimPlatform() override;
  SimPlatform(const SimPlatform&) = delete;
  SimPlatform& operator=(const SimPlatform&) = delete;

  IRegistry& Registry() override;
  IToken& Token() override;
  IFileSystem& Files() override;
  ISystem& System() override;
  IShell& Shell() override;
  ITaskScheduler& Tasks() override;

  // --- Registry staging -------------------------------------------------------------------
  // The key (created when missing) and everything below it refuse every write: opening with
  // any write right, creating sub-keys, setting and deleting values and keys fail with
  // kErrorAccessDenied; read-only opens work. A path of "" means the whole root, so
  // DenyKeyWrites(kHKeyLocalMachine, "") is a user without administrator rights.
  void DenyKeyWrites(HKey root, const std::string& path);
  void AllowKeyWrites(HKey root, const std::string& path);

  enum class Guard {
    kRewrite,       // another program writes the value back, with its data, when it is deleted
    kRefuseDelete,  // deleting the value fails with kErrorAccessDenied
  };
  void GuardValue(HKey root, const std::string& path, const std::string& name, Guard guard);

  // The performance data (RegQueryValueEx under HKEY_PERFORMANCE_DATA, any value name). A fresh
  // machine serves a block made from its processors' load: a Processor object (238) with its
  // "% Processor Time" counter (6, the idle time in 100 ns) and the instances "0", "1" and
  // "_Total" (their mean), timed by the clock. SetPerformanceData serves a fixed block instead (an
  // empty block makes the query fail with kErrorFileNotFound); SetPerformanceDataSource a block
  // made by the function from the clock (milliseconds) at each query.
  void SetPerformanceData(std::vector<std::uint8_t> block);
  void SetPerformanceDataSource(std::function<std::vector<std::uint8_t>(std::uint64_t)> source);

  // Number of registry keys currently open (predefined roots not counted).
  int OpenKeyCount() const;

  // --- Files staging ----------------------------------------------------------------------
  // Creates the file (and its missing folders) with the given content.
  void AddFile(const std::string& path, const std::string& content = std::string(),
               std::uint32_t attributes = kFileAttributeArchive);
  void AddFolder(const std::string& path);
  // A file that another process holds open: copying from or to it, deleting it, writing it
  // and loading it as a hive fail with kErrorSharingViolation.
  void LockFile(const std::string& path, bool locked = true);
  // A folder where files cannot be created, written or deleted (kErrorAccessDenied).
  void DenyFolderWrites(const std::string& path, bool denied = true);
  // A drive letter ("S:") that reaches the folder, as subst or a mapped network drive do:
  // "S:\x" is the folder's "x", one file under two spellings.
  void MapDrive(const std::string& drive, const std::string& folder);
  void SetFileVersion(const std::string& path, const FixedFileVersion& version);
  int OpenFindCount() const;

  // --- Who may change a file (see SimSecurity.h for the defaults) --------------------------
  // The file's or folder's owner and DACL ("C:\\" names the drive's root); its children
  // without a staged security of their own inherit from it.
  void SetFileSecurity(const std::string& path, const FileSecurity& security);
  // Reading the owner and DACL is refused (kErrorAccessDenied).
  void SetFileSecurityUnreadable(const std::string& path, bool unreadable = true);
  // The account of the SID is a member of the Administrators group.
  void SetAdministratorAccount(const std::string& sid, bool administrator = true);

  // --- System staging ---------------------------------------------------------------------
  void SetOsVersion(const OsVersionInfo& info);
  // 64-bit Windows (see SimMachine.h): two views of HKEY_LOCAL_MACHINE\SOFTWARE and two system
  // folders; the program runs as a 32-bit process unless process64. Staging always names the
  // machine's own keys and folders ("SOFTWARE\Wow6432Node\...", "C:\WINDOWS\SysWOW64\...").
  void SetWindows64(bool process64 = false);
  // An empty user with a non-zero error makes WNetGetUser fail with that error.
  void SetUserName(const std::string& user, std::uint32_t error = kErrorSuccess);
  void SetEnvironmentVariable(const std::string& name, const std::string& value);
  void SetWindowsDirectory(const std::string& path);
  void SetSystemDirectory(const std::string& path);
  void SetModuleFileName(const std::string& path);
  void SetLocalTime(const SystemTime& time);
  void SetMessageText(std::uint32_t code, const std::string& text);
  // A mutex of that name held by another process (held false: that process ended).
  void HoldMutex(const std::string& name, bool held = true);
  // Runs the action as another process of the machine (another session's copy of the
  // program): the mutexes it comes to own are its own, and a wait for one that the program
  // owns runs out. When the action returns, that process has ended, and what it still owned is
  // free again.
  void AsAnotherProcess(const std::function<void()>& action);
  // Runs the action before each registry call (never within the action itself): what another
  // process does between two of the program's calls. An empty action ends it.
  void BeforeEachRegistryCall(std::function<void()> action);

  // --- Shell staging ----------------------------------------------------------------------
  // An empty path makes the shell give no path for that folder id.
  void SetSpecialFolder(int csidl, const std::string& path);

  // --- Token staging ----------------------------------------------------------------------
  // A privilege the token does not hold cannot be enabled (AdjustTokenPrivileges succeeds
  // with kErrorNotAllAssigned in the last error, as Windows does).
  void SetPrivilegeHeld(const std::string& name, bool held);
  bool PrivilegeEnabled(const std::string& name) const;
  // An account LookupAccountName knows, with its SID (the machine knows none until told).
  void AddAccount(const std::string& account, const std::string& sid);
  // The account the process runs as (empty: its token cannot be read); a fresh machine's is bob.
  void SetProcessUser(const std::string& sid);
  // The process runs as another account that is logged on: its token's user, and
  // HKEY_CURRENT_USER is that account's key under HKEY_USERS (made, with a Run key, when new).
  void RunAsAccount(const std::string& sid);
  // The process that started this one and the account it runs as (0: none known; an empty SID:
  // that process is gone). A fresh machine's is bob's Explorer.
  void SetParentProcess(std::uint32_t processId, const std::string& sid);

  // --- Rights -----------------------------------------------------------------------------
  // The token of a user with standard rights, as UAC gives every program started at logon (an
  // administrator's included): HKEY_LOCAL_MACHINE, the Windows folder, the Program Files
  // folders and the All Users Startup folder refuse every write (kErrorAccessDenied), the
  // backup and restore privileges are not held, the Task Scheduler refuses to change the
  // machine's tasks, and the programs started are recorded as running with standard rights.
  // False again gives the full token of an administrator (a fresh machine's).
  void SetStandardRights(bool standard = true);
  bool StandardRights() const;
  // The answer to the elevation prompt: while refused, ShellExecuteEx with the verb "runas"
  // fails with kErrorCancelled. Accepted (a fresh machine's answer), the program starts with
  // the full token, and `run`, when given, stands for what it does: it is called with the
  // parameters while the full token is in force, and its result is the process's exit code.
  void AnswerElevation(bool accept, std::function<std::uint32_t(const std::string&)> run = nullptr);
  // The desktop's Explorer, which ShellExecuteThroughDesktop asks to start things: running or
  // not, and with standard rights (UAC on, a fresh machine's answer) or the full token.
  void SetDesktopShell(bool running, bool standardRights = true);
  // The Task Scheduler's tasks: name -> the definition as it was registered.
  std::vector<std::pair<std::string, std::string>> RegisteredTasks() const;

  // --- Processors -------------------------------------------------------------------------
  // Two processors; from now on both run at this load, in percent (a fresh machine: 20), or
  // the one processor (0 or 1) does. Their idle and busy times feed GetSystemTimes and the
  // performance data.
  void SetProcessorLoad(double percent);
  void SetProcessorLoad(int processor, double percent);
  // GetSystemTimes fails (kErrorNotEnoughMemory) while this is false.
  void SetSystemTimesAvailable(bool available);

  // --- Processes --------------------------------------------------------------------------
  // A program started through CreateProcess or ShellExecute.
  struct ProcessStart {
    std::string commandLine;      // as CreateProcess got it (for a shortcut: its target line)
    std::string image;            // the file that runs (for a document: the document)
    std::uint32_t creationFlags;  // as given (ShellExecute: kNormalPriorityClass)
    std::uint64_t time;           // the clock when it started
    // The priority class it runs at: the one of the creation flags (normal when none), or the
    // one SetPriorityClass gave it since.
    std::uint32_t priorityClass;
    // Created with kCreateSuspended and not resumed yet: it has not run.
    bool suspended;
    // Started while the token had standard rights: it runs with them too.
    bool standardRights = false;
    // What it returns when it ends (sim processes end as soon as they are waited for).
    std::uint32_t exitCode = 0;
    std::uint32_t processId = 0;
    // The process that started it (StartChildProcess); 0 for the program's own starts.
    std::uint32_t parentId = 0;
    // NtSetInformationProcess(ProcessIoPriority) and SetProcessInformation(ProcessMemoryPriority).
    std::uint32_t ioPriority = kIoPriorityNormal;
    std::uint32_t memoryPriority = kMemoryPriorityNormal;
    // The job it belongs to (an index in the order the jobs were created), or -1.
    int job = -1;
    // Ended (EndProcess, or its job closed with kJobObjectLimitKillOnJobClose): no longer in its
    // job's list and no longer to be opened.
    bool ended = false;
  };
  // CreateProcess finds the program as Windows does (see Platform.h); a program is any
  // existing file ending in ".exe", ".com", ".bat" or ".cmd". ShellExecute opens a shortcut by
  // starting its target with its arguments, starts a program, and "opens" any other existing
  // file (recorded with the file as image).
  std::vector<ProcessStart> ProcessStarts() const;
  // Starting this image (its full path, any letter case) fails with the error.
  void FailProcessStart(const std::string& image, std::uint32_t error);
  // Every CreateProcess and ShellExecute call advances the clock by this much.
  void SetProcessStartCost(std::uint32_t milliseconds);
  // Process and thread handles given out by CreateProcess and not closed yet.
  int OpenProcessHandleCount() const;
  // Job handles given out by CreateJobObject and not closed yet.
  int OpenJobHandleCount() const;
  // A program that the process with that id starts itself (a launcher starting its tray
  // program), as CreateProcess in that process would: the class of the flags, else the
  // parent's where that is idle or below normal, else normal; the parent's job, unless the
  // flags ask to break away and the job allows it. Returns the new process's id.
  std::uint32_t StartChildProcess(std::uint32_t parentId, const std::string& image,
                                  std::uint32_t creationFlags = 0);
  void EndProcess(std::uint32_t processId);
  // SetPriorityClass of that process fails from now on with the error (0: it works again).
  void FailPriorityClassChange(std::uint32_t processId, std::uint32_t error);
  // Every process's priority-class change, in order: (process id, class).
  std::vector<std::pair<std::uint32_t, std::uint32_t>> PriorityClassChanges() const;

  // --- Virtual clock ----------------------------------------------------------------------
  // Milliseconds since the machine started; Sleep advances it and returns at once.
  std::uint64_t Now() const;
  void Advance(std::uint64_t milliseconds);
  // Runs the action once the clock reaches the moment (checked as Sleep advances the clock and
  // in ProcessMessages); actions due at the same moment run in the order they were scheduled.
  void At(std::uint64_t milliseconds, std::function<void()> action);
  // Runs on every ProcessMessages call, after the due actions.
  void OnProcessMessages(std::function<void()> action);
  std::vector<std::uint32_t> Sleeps() const;  // every Sleep's argument, in order

  // --- Scripted failures ------------------------------------------------------------------
  // Changes are counted from 1: RegCreateKeyEx that creates a key, RegSetValueEx,
  // RegDeleteValue, RegDeleteKey, CopyFile, DeleteFile, CreateDirectory, WriteFile, AppendFile,
  // WritePrivateProfileString, SaveShellLink. The change with the given number fails with the given
  // error and changes nothing; 0 switches it off. A call that fails on its own (a missing file, a
  // refused right) changes nothing and is not counted.
  void FailChange(std::uint64_t number, std::uint32_t error = kErrorAccessDenied);
  std::uint64_t ChangeCount() const;

  struct State;

 private:
  std::unique_ptr<State> state_;
  std::unique_ptr<IRegistry> registry_;
  std::unique_ptr<IToken> token_;
  std::unique_ptr<IFileSystem> files_;
  std::unique_ptr<ISystem> system_;
  std::unique_ptr<IShell> shell_;
  std::unique_ptr<ITaskScheduler> tasks_;
};

}  // namespace lw
