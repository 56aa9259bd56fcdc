#pragma once
// The seam between the program and Windows. Each interface mirrors the Windows calls it is
// named after: the same arguments (in std::string form, single-byte text), the same results
// and the same error codes. Nothing here knows the program's rules; the program's own code
// runs unchanged over the real implementation (win32/) and the in-memory one (sim/).
//
// Conventions that hold for every call:
// - Registry calls return a Windows error code (kErrorSuccess on success) as RegXxx do.
// - Calls that return bool set the last error (ISystem::GetLastError) on failure, as the
//   Windows calls do.
// - When a call fails, its out parameters are left as they were.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/WinConst.h"

namespace lw {

struct RegKeyInfo {
  std::uint32_t subKeys = 0;
  std::uint32_t maxSubKeyLen = 0;
  std::uint32_t values = 0;
  std::uint32_t maxValueNameLen = 0;
  std::uint32_t maxValueLen = 0;
};

class IRegistry {
 public:
  virtual ~IRegistry() = default;
  // RegOpenKeyEx. An empty sub-key opens a new handle to the parent itself.
  virtual long OpenKeyEx(HKey parent, const std::string& subKey, std::uint32_t access,
                         HKey* result) = 0;
  // RegCreateKeyEx (REG_OPTION_NON_VOLATILE, no class, no security attributes); creates every
  // missing key along the path. disposition may be null.
  virtual long CreateKeyEx(HKey parent, const std::string& subKey, std::uint32_t access,
                           HKey* result, std::uint32_t* disposition) = 0;
  virtual long CloseKey(HKey key) = 0;
  virtual long FlushKey(HKey key) = 0;
  // RegQueryValueEx. data may be null to ask for the size; when *size is too small the call
  // returns kErrorMoreData and sets *size to the size needed. type may be null.
  virtual long QueryValueEx(HKey key, const std::string& name, std::uint32_t* type, void* data,
                            std::uint32_t* size) = 0;
  virtual long SetValueEx(HKey key, const std::string& name, std::uint32_t type, const void* data,
                          std::uint32_t size) = 0;
  virtual long DeleteValue(HKey key, const std::string& name) = 0;
  // RegDeleteKey: the NT rule holds, a key that has sub-keys is refused (kErrorAccessDenied).
  virtual long DeleteKey(HKey parent, const std::string& subKey) = 0;
  // RegDeleteKeyEx: the same in the registry view (kKeyWow64_64Key, kKeyWow64_32Key; 0 is the
  // process's own, as RegDeleteKey, which cannot reach the other view). Where the call is
  // missing (32-bit Windows before Vista, where there is only one view) RegDeleteKey does it.
  virtual long DeleteKeyEx(HKey parent, const std::string& subKey, std::uint32_t view) = 0;
  // RegEnumKeyEx / RegEnumValue reduced to the name at an index; kErrorNoMoreItems past the end.
  virtual long EnumKeyEx(HKey key, std::uint32_t index, std::string* name) = 0;
  virtual long EnumValue(HKey key, std::uint32_t index, std::string* name) = 0;
  virtual long QueryInfoKey(HKey key, RegKeyInfo* info) = 0;
  // Hive files: RegLoadKey/RegUnLoadKey under HKEY_USERS or HKEY_LOCAL_MACHINE need the
  // backup and restore privileges enabled in the process token. RegSaveKey writes a hive file.
  virtual long LoadKey(HKey root, const std::string& subKey, const std::string& file) = 0;
  virtual long UnLoadKey(HKey root, const std::string& subKey) = 0;
  virtual long SaveKey(HKey key, const std::string& file) = 0;
  // RegConnectRegistry; an empty machine name is the local machine.
  virtual long ConnectRegistry(const std::string& machine, HKey root, HKey* result) = 0;
};

struct Luid {
  std::uint32_t low = 0;
  std::int32_t high = 0;
};

class IToken {
 public:
  virtual ~IToken() = default;
  // OpenProcessToken on the current process.
  virtual bool OpenProcessToken(std::uint32_t access, Handle* token) = 0;
  virtual bool LookupPrivilegeValue(const std::string& name, Luid* luid) = 0;
  // AdjustTokenPrivileges with a one-entry privilege record; no previous state is wanted.
  virtual bool AdjustTokenPrivileges(Handle token, bool disableAll, const Luid& luid,
                                     std::uint32_t attributes) = 0;
  virtual bool CloseHandle(Handle handle) = 0;
  // LookupAccountName of an account on this machine (a user name, or "DOMAIN\\user"), with its
  // SID in the string form ConvertSidToStringSid gives ("S-1-5-21-..."). False when no account of
  // that name is known.
  virtual bool LookupAccountSid(const std::string& account, std::string* sid) = 0;

  // --- Whose processes these are ---------------------------------------------------------------
  // Every SID below is in the string form ConvertSidToStringSid gives.
  // GetTokenInformation(TokenUser) of the current process's token: the account it runs as.
  virtual bool GetProcessUserSid(std::string* sid) = 0;
  // The id of the process that started this one, as Windows records it (a copy started through
  // the elevation prompt records the process that asked for it). False when it cannot be had.
  virtual bool GetParentProcessId(std::uint32_t* processId) = 0;
  // OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION), OpenProcessToken(TOKEN_QUERY) and
  // GetTokenInformation(TokenUser) of another process: the account it runs as. False when the
  // process is gone or refuses.
  virtual bool GetOtherProcessUserSid(std::uint32_t processId, std::string* sid) = 0;
  // ConvertStringSidToSid and LookupAccountSid: the account's user name, without its domain.
  // False when the SID is malformed or names no account the system knows.
  virtual bool LookupSidUserName(const std::string& sid, std::string* user) = 0;
  // --- Who may change a file --------------------------------------------------------------
  // The account of the SID (string form) is a member of this machine's Administrators group,
  // directly or through another group: LookupAccountSid, then NetUserGetLocalGroups with
  // LG_INCLUDE_INDIRECT. False for a group's SID, an unknown SID, or when either call fails.
  virtual bool IsAdministratorAccount(const std::string& sid) = 0;
};

// Which file a path reaches: the volume's serial number and the file's index on it, as
// GetFileInformationByHandle gives them. Two paths reach one file exactly when both are equal,
// whatever the spelling (letter case, short (8.3) names, a mapped or substituted drive).
struct FileId {
  std::uint32_t volumeSerial = 0;
  std::uint64_t fileIndex = 0;
  bool operator==(const FileId& other) const {
    return volumeSerial == other.volumeSerial && fileIndex == other.fileIndex;
  }
};

struct FindData {
  std::string fileName;  // name only, no folder
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;
};

// What CreateProcess returns: the new process's and its first thread's handles (the caller
// closes both) and their ids.
struct ProcessInformation {
  Handle process = 0;
  Handle thread = 0;
  std::uint32_t processId = 0;
  std::uint32_t threadId = 0;
};

// --- Who may change a file: its owner and DACL ----------------------------------------------
// One entry of a DACL as GetAce gives it: the ACE's type (kAccessAllowedAceType ...), its flags
// (kInheritOnlyAce ...), the access mask and the trustee's SID in its string form.
struct AccessEntry {
  std::uint8_t type = 0;
  std::uint8_t flags = 0;
  std::uint32_t mask = 0;
  std::string sid;
};

// What GetNamedSecurityInfo (SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION |
// DACL_SECURITY_INFORMATION) reports of a file or folder.
struct FileSecurity {
  std::string ownerSid;
  // False for a NULL DACL, which grants every access to everyone.
  bool hasDacl = true;
  std::vector<AccessEntry> dacl;
};
// -----------------------------------------------------------------------------------------

class IFileSystem {
 public:
  virtual ~IFileSystem() = default;
  virtual std::uint32_t GetFileAttributes(const std::string& path) = 0;
  virtual bool SetFileAttributes(const std::string& path, std::uint32_t attributes) = 0;
  virtual bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) = 0;
  virtual bool DeleteFile(const std::string& path) = 0;
  // MoveFileEx(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH): the file takes the
  // place of the one at `to` (which may be missing) in one step, within one volume. Fails, with
  // both files as they were, for a folder at `to`; Windows (and the simulation) also for a
  // read-only file there, which Wine replaces.
  virtual bool MoveFileReplacing(const std::string& from, const std::string& to) = 0;
  virtual bool CreateDirectory(const std::string& path) = 0;
  virtual bool RemoveDirectory(const std::string& path) = 0;
  // FindFirstFile with a pattern such as "C:\dir\*"; kInvalidHandle when nothing matches.
  virtual Handle FindFirstFile(const std::string& pattern, FindData* data) = 0;
  virtual bool FindNextFile(Handle find, FindData* data) = 0;
  virtual bool FindClose(Handle find) = 0;
  // Opens the file for appending when it exists, else creates it, writes the bytes, closes it.
  virtual bool AppendFile(const std::string& path, const std::string& bytes) = 0;
  // Creates or truncates the file and writes the bytes.
  virtual bool WriteFile(const std::string& path, const std::string& bytes) = 0;
  virtual bool ReadFile(const std::string& path, std::string* bytes) = 0;
  // GetShortPathName: the short (8.3) form of an existing path; where the volume keeps no short
  // names, the path as it is. False (with the last error) when the path does not exist.
  virtual bool GetShortPathName(const std::string& path, std::string* shortPath) = 0;
  // CreateFile(path, FILE_READ_ATTRIBUTES, sharing everything, OPEN_EXISTING, backup semantics so
  // that folders open too), GetFileInformationByHandle, CloseHandle. Opening for the attributes
  // only is not refused by another holder's sharing mode. False (with the last error, *id
  // unchanged) when the path cannot be opened.
  virtual bool GetFileId(const std::string& path, FileId* id) = 0;
  // The profile-file (INI) functions.
  virtual std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                              const std::string& defaultValue,
                                              const std::string& file) = 0;
  virtual bool WritePrivateProfileString(const std::string& section, const std::string& key,
                                         const std::string& value, const std::string& file) = 0;

  // --- Who may change a file --------------------------------------------------------------
  // GetNamedSecurityInfo of the file or folder with its owner and DACL. Returns the Windows
  // error code (kErrorSuccess on success; *security unchanged otherwise).
  virtual std::uint32_t GetFileSecurity(const std::string& path, FileSecurity* security) = 0;
};

struct OsVersionInfo {
  std::uint32_t majorVersion = 0;
  std::uint32_t minorVersion = 0;
  std::uint32_t buildNumber = 0;
  std::uint32_t platformId = 0;
  std::string csdVersion;
};

struct SystemTime {
  std::uint16_t year = 0;
  std::uint16_t month = 0;
  std::uint16_t dayOfWeek = 0;
  std::uint16_t day = 0;
  std::uint16_t hour = 0;
  std::uint16_t minute = 0;
  std::uint16_t second = 0;
  std::uint16_t milliseconds = 0;
};

// The fixed part of a version resource (VS_FIXEDFILEINFO), as VerQueryValue of "\" gives it.
struct FixedFileVersion {
  std::uint32_t fileVersionMS = 0;
  std::uint32_t fileVersionLS = 0;
  std::uint32_t productVersionMS = 0;
  std::uint32_t productVersionLS = 0;
};

class ISystem {
 public:
  virtual ~ISystem() = default;
  virtual bool GetVersionEx(OsVersionInfo* info) = 0;
  // WNetGetUser for the current user; returns a Windows error code.
  virtual std::uint32_t WNetGetUser(std::string* user) = 0;
  virtual std::uint32_t GetTickCount() = 0;
  virtual void Sleep(std::uint32_t milliseconds) = 0;
  // ExpandEnvironmentStrings: the whole expansion; unknown variables stay as written.
  virtual std::string ExpandEnvironmentStrings(const std::string& text) = 0;
  virtual std::string GetWindowsDirectory() = 0;
  virtual std::string GetSystemDirectory() = 0;
  // GetModuleFileName of the running executable.
  virtual std::string GetModuleFileName() = 0;
  virtual SystemTime GetLocalTime() = 0;
  // GetDateFormat with DATE_SHORTDATE and GetTimeFormat with the default (long) format, both in
  // the user's locale.
  virtual std::string FormatShortDate(const SystemTime& time) = 0;
  virtual std::string FormatLongTime(const SystemTime& time) = 0;
  // FormatMessage from the system message table, inserts ignored, default language; empty for
  // an unknown code. The text is returned as the system gives it.
  virtual std::string FormatMessage(std::uint32_t code) = 0;
  // MultiByteToWideChar from the system's ANSI code page (the program's text: UTF-8 on Windows 10
  // 1903 and later) to UTF-16, the text the registry and the file system store; bytes the code
  // page does not define become U+FFFD.
  virtual std::u16string MultiByteToWideChar(const std::string& text) = 0;
  // WideCharToMultiByte to the code page, without best-fit replacements: false when the code
  // page lacks one of the characters (or is not installed); *text is then unspecified.
  virtual bool WideCharToMultiByte(std::uint32_t codePage, const std::u16string& wide,
                                   std::string* text) = 0;
  // GetFileVersionInfoSize + GetFileVersionInfo + VerQueryValue("\"): false when the file has no
  // version resource.
  virtual bool GetFileVersionInfo(const std::string& path, FixedFileVersion* version) = 0;
  // CreateMutex with no security attributes; check GetLastError right after it.
  virtual Handle CreateMutex(bool initialOwner, const std::string& name) = 0;
  virtual bool CloseHandle(Handle handle) = 0;
  // CreateProcessA with no application name, the command line, no security attributes,
  // handles not inherited, the creation flags (a priority class, kCreateNewProcessGroup ...),
  // the caller's environment and current folder, and a STARTUPINFO of kStartupInfoSize bytes
  // that is zero but its size. Windows finds the program as it documents: the quoted path, or
  // else the blank-separated prefixes of the line in turn; ".exe" added to a name without
  // extension; a name without a folder searched in the caller's folder, the current folder, the
  // system folder, the Windows folder and %PATH%. Environment variables are not expanded and App
  // Paths is not consulted. On success *info holds handles that the caller must close.
  virtual bool CreateProcess(const std::string& commandLine, std::uint32_t creationFlags,
                             ProcessInformation* info) = 0;
  // WaitForSingleObject: kWaitObject0 when the object is signalled (a process: it has ended),
  // kWaitTimeout when the time ran out first, kWaitFailed (with the last error) otherwise.
  virtual std::uint32_t WaitForSingleObject(Handle handle, std::uint32_t milliseconds) = 0;
  // GetExitCodeProcess: kStillActive while the process runs.
  virtual bool GetExitCodeProcess(Handle process, std::uint32_t* exitCode) = 0;
  // SetPriorityClass of a process handle that CreateProcess, ShellExecuteEx or OpenProcess gave.
  virtual bool SetPriorityClass(Handle process, std::uint32_t priorityClass) = 0;
  // ResumeThread: the thread's previous suspend count, or kResumeThreadFailed.
  virtual std::uint32_t ResumeThread(Handle thread) = 0;

  // --- Programs started in the background: jobs and a process's priorities -----------------
  // CreateJobObject (no security attributes, no name), then SetInformationJobObject
  // (JobObjectExtendedLimitInformation) with these limit flags (kJobObjectLimitBreakawayOk ...).
  // 0 with the last error when either fails.
  virtual Handle CreateJobObject(std::uint32_t limitFlags) = 0;
  // AssignProcessToJobObject: the process, and every process it starts from then on unless that
  // one breaks away, belongs to the job. Windows before 8 refuses a process already in a job.
  virtual bool AssignProcessToJobObject(Handle job, Handle process) = 0;
  // QueryInformationJobObject(JobObjectBasicProcessIdList): the ids of the job's processes that
  // still run, in no particular order.
  virtual bool QueryJobProcessIds(Handle job, std::vector<std::uint32_t>* ids) = 0;
  // OpenProcess(access, not inherited, id): 0 with the last error.
  virtual Handle OpenProcess(std::uint32_t access, std::uint32_t processId) = 0;
  // GetPriorityClass: 0 with the last error.
  virtual std::uint32_t GetPriorityClass(Handle process) = 0;
  // NtSetInformationProcess(ProcessIoPriority) with kIoPriorityLow, kIoPriorityNormal ...
  // (the handle needs PROCESS_SET_INFORMATION); false with the status as a Windows error.
  virtual bool SetProcessIoPriority(Handle process, std::uint32_t priority) = 0;
  // SetProcessInformation(ProcessMemoryPriority) with kMemoryPriorityLow ...; where the call is
  // missing (Windows before 8) false with kErrorProcNotFound, and nothing changes.
  virtual bool SetProcessMemoryPriority(Handle process, std::uint32_t priority) = 0;
  // GetSystemTimes: the idle, kernel (idle included) and user time of all processors together,
  // in 100-nanosecond units, since the system started.
  virtual bool GetSystemTimes(std::uint64_t* idle, std::uint64_t* kernel, std::uint64_t* user) = 0;
  virtual std::uint32_t GetLastError() = 0;
  virtual void SetLastError(std::uint32_t code) = 0;
  // GetNativeSystemInfo's processor architecture (kProcessorArchitecture...): the machine's, so
  // a 32-bit process on 64-bit Windows sees the 64-bit one.
  virtual std::uint16_t GetNativeProcessorArchitecture() = 0;
  // IsWow64Process of the current process: true for a 32-bit process on 64-bit Windows, false
  // for a native process (a 64-bit one included) and on Windows without WOW64 (where the call
  // itself may be missing: then it returns true with *wow64 false).
  virtual bool IsWow64Process(bool* wow64) = 0;
  // Wow64DisableWow64FsRedirection / Wow64RevertWow64FsRedirection for the calling thread: while
  // it is off, a 32-bit process on 64-bit Windows reaches the 64-bit System32 under its own
  // name instead of SysWOW64. Where there is no redirection the calls fail
  // (kErrorInvalidFunction, or the call is missing), and nothing changes.
  virtual bool Wow64DisableWow64FsRedirection(Handle* oldValue) = 0;
  virtual bool Wow64RevertWow64FsRedirection(Handle oldValue) = 0;
  // Handles the window messages that are waiting, so that a wait made of short sleeps keeps
  // the windows responsive.
  virtual void ProcessMessages() = 0;

  // --- A lock that every session and every account share ---------------------------------
  // CreateMutex with security attributes whose descriptor is given in SDDL
  // (ConvertStringSecurityDescriptorToSecurityDescriptor), so that processes of other rights
  // can open the same mutex; check GetLastError right after it, as for CreateMutex (0 with the
  // last error when the descriptor is refused or the mutex cannot be opened). A name in
  // "Global\\" is one for every session of the machine.
  virtual Handle CreateMutexWithSddl(bool initialOwner, const std::string& name,
                                     const std::string& sddl) = 0;
  // WaitForSingleObject on a mutex owns it (kWaitObject0, or kWaitAbandoned when its owner ended
  // without releasing it); the owner may wait again, and releases it once per wait.
  // ReleaseMutex: false with kErrorNotOwner when the caller does not own it.
  virtual bool ReleaseMutex(Handle mutex) = 0;
};

class IShell {
 public:
  virtual ~IShell() = default;
  // SHGetSpecialFolderLocation + SHGetPathFromIDList; false when the shell gives no path.
  virtual bool GetSpecialFolderPath(int csidl, std::string* path) = 0;

  // The shell-link object: CoCreateInstance of CLSID_ShellLink with its IShellLinkA and
  // IPersistFile interfaces, released before the call returns.
  //
  // LoadShellLink: IPersistFile::Load(the path as a wide string, mode 0), then
  // IShellLinkA::GetPath with the flags (kSlgpShortPath ...) into a kMaxPath buffer with a
  // find record. Returns the HRESULT of the creation or of Load (kSOk when the file loaded as a
  // shortcut); only then are *target (the buffer up to its first zero) and *foundName (the find
  // record's file name) set. Either out pointer may be null.
  virtual long LoadShellLink(const std::string& linkPath, std::uint32_t pathFlags,
                             std::string* target, std::string* foundName) = 0;
  // IShellLinkA::SetPath and SetArguments, then IPersistFile::Save(the path, TRUE): writes a
  // shortcut file, replacing one that is there. Returns the HRESULT (kSOk on success).
  virtual long SaveShellLink(const std::string& linkPath, const std::string& target,
                             const std::string& arguments) = 0;

  // ShellExecuteA(the desktop window, the verb, the file, the parameters, the folder, the show
  // command); an empty verb, parameters or folder is passed as none (null). Returns the call's
  // result as an integer: above kShellExecuteSuccessAbove on success, else the SE_ERR_ code
  // (2 file not found, 3 path not found, 5 access denied, 31 no association ...), with the last
  // error set. A shortcut opens its target; a program starts; a document opens in its program.
  virtual std::intptr_t ShellExecute(const std::string& verb, const std::string& file,
                                     const std::string& parameters, const std::string& directory,
                                     int showCommand) = 0;
  // ShellExecuteEx with SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI and no
  // owner window; an empty verb or parameters is passed as none. The verb "runas" starts a
  // program with administrator rights, after the elevation prompt where UAC is on. On success
  // *process is the started process's handle (the caller closes it), or 0 when the shell
  // started none (a document opened in a program already running). False with the last error
  // on failure: kErrorCancelled when the user refused the elevation prompt.
  virtual bool ShellExecuteEx(const std::string& verb, const std::string& file,
                              const std::string& parameters, int showCommand, Handle* process) = 0;

  // --- Starting with the desktop user's rights ----------------------------------------------
  // IShellDispatch2::ShellExecute of the desktop's shell (IShellWindows::FindWindowSW with
  // SWC_DESKTOP, its view's Application): the desktop's Explorer starts the file, and so it runs
  // with the rights of the user's desktop (standard rights where UAC is on), whatever this
  // process holds. An empty verb, parameters or folder is passed as none. Returns the HRESULT of
  // the first step that failed (no desktop shell: the lookup's), kSOk once Explorer took it.
  virtual long ShellExecuteThroughDesktop(const std::string& verb, const std::string& file,
                                          const std::string& parameters,
                                          const std::string& directory, int showCommand) = 0;
};

// The Task Scheduler through its 2.0 COM interfaces: ITaskService connected to the local
// machine, the tasks of its root folder ("\"). The task definitions are the Task Scheduler's
// XML. Every call returns the HRESULT of the first step that failed (kSOk on success);
// HResultFromWin32(kErrorFileNotFound) names a task that does not exist, and
// HResultFromWin32(kErrorAccessDenied) a user whose rights do not reach the task.
class ITaskScheduler {
 public:
  virtual ~ITaskScheduler() = default;
  // ITaskFolder::RegisterTask(name, xml, TASK_CREATE_OR_UPDATE, userId, no password,
  // logonType, no security descriptor): creates the task, or replaces the definition of the
  // task of that name. An empty userId is passed as none.
  virtual long RegisterTask(const std::string& name, const std::string& xml,
                            const std::string& userId, int logonType) = 0;
  // ITaskFolder::GetTask, IRegisteredTask::get_Xml: the task's definition as the Task
  // Scheduler keeps it (which may differ from the XML it was given in layout and defaults).
  virtual long GetTaskXml(const std::string& name, std::string* xml) = 0;
  // ITaskFolder::DeleteTask.
  virtual long DeleteTask(const std::string& name) = 0;
};

class IPlatform {
 public:
  virtual ~IPlatform() = default;
  virtual IRegistry& Registry() = 0;
  virtual IToken& Token() = 0;
  virtual IFileSystem& Files() = 0;
  virtual ISystem& System() = 0;
  virtual IShell& Shell() = 0;
  virtual ITaskScheduler& Tasks() = 0;
};

// The process-wide platform. The program installs the Win32 one at start; a test installs a
// fresh one before each case. Installing replaces (and frees) the previous one.
void InstallPlatform(std::unique_ptr<IPlatform> platform);
IPlatform& CurrentPlatform();
bool HasPlatform();

inline IRegistry& Reg() { return CurrentPlatform().Registry(); }
inline IToken& Token() { return CurrentPlatform().Token(); }
inline IFileSystem& Files() { return CurrentPlatform().Files(); }
inline ISystem& Sys() { return CurrentPlatform().System(); }
inline IShell& Shell() { return CurrentPlatform().Shell(); }
inline ITaskScheduler& Tasks() { return CurrentPlatform().Tasks(); }

}  // namespace lw
