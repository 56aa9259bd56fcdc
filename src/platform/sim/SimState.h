#pragma once
// The whole state of one simulated machine, shared by the registry, token, file, system and
// shell parts of SimPlatform. Everything lives here so that staging calls and the seam calls
// see one machine.

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/sim/SimPlatform.h"
#include "platform/sim/SimText.h"

namespace lw::sim {

// Error codes the simulation gives that the program itself never names.
inline constexpr std::uint32_t kErrorBadNetpath = 53;
inline constexpr std::uint32_t kErrorInvalidName = 123;
inline constexpr std::uint32_t kErrorDirectory = 267;
inline constexpr std::uint32_t kErrorMrMidNotFound = 317;
inline constexpr std::uint32_t kErrorBadDb = 1009;
inline constexpr std::uint32_t kErrorResourceTypeNotFound = 1813;
inline constexpr std::uint32_t kErrorNoneMapped = 1332;

// --- Registry ---------------------------------------------------------------------------
struct RegValue {
  std::string name;
  std::uint32_t type = kRegNone;
  std::string data;
};

struct RegNode {
  std::string name;  // as it was created
  RegNode* parent = nullptr;
  std::map<std::string, std::shared_ptr<RegNode>, NameLess> children;
  std::vector<RegValue> values;  // in creation order
  bool deleted = false;
  std::string hiveFile;  // the root of a loaded hive: the full path of its file
};

struct RegHandle {
  std::shared_ptr<RegNode> node;  // null for the performance-data key
  std::uint32_t access = 0;
};

struct RegistryState {
  // The stored trees; the other roots are views into them, as on Windows NT.
  std::shared_ptr<RegNode> machine;
  std::shared_ptr<RegNode> users;
  std::shared_ptr<RegNode> dynData;
  std::shared_ptr<RegNode> currentUser;    // HKEY_USERS\<bob's SID>
  std::shared_ptr<RegNode> classes;        // HKEY_LOCAL_MACHINE\SOFTWARE\Classes
  std::shared_ptr<RegNode> currentConfig;  // ...\Hardware Profiles\Current
  std::map<HKey, RegHandle> handles;
  // Staged write rights by the key's full folded path: true = writes refused. The rule of the
  // nearest key up the path decides.
  std::map<std::string, bool> writeRules;
  // Guarded values by full folded key path + '\n' + folded value name.
  std::map<std::string, SimPlatform::Guard> guards;
  // A standard-rights token: nothing under HKEY_LOCAL_MACHINE can be written.
  bool standardRights = false;
};

// --- Files ------------------------------------------------------------------------------
struct FileNode {
  std::string name;
  bool folder = false;
  std::uint32_t attributes = 0;
  std::string content;
  std::map<std::string, std::unique_ptr<FileNode>, NameLess> children;
  FileNode* parent = nullptr;
  bool hasVersion = false;
  FixedFileVersion version;
  bool lockedByTest = false;    // another process holds it open, sharing nothing
  bool heldByRegistry = false;  // a loaded hive: the registry holds its file open
  bool runningImage = false;    // the running executable: readable, not writable or deletable
  bool denyWrites = false;      // a folder: nothing below it can be created, written or deleted
  bool adminOnly = false;       // a folder that only an administrator's full token may change
  // Who may change it (see SimSecurity.h): staged, or else inherited from the folder above.
  std::optional<FileSecurity> security;
  bool securityUnreadable = false;  // reading its owner and DACL is refused
};

struct FindSearch {
  std::vector<FindData> entries;
  std::size_t next = 0;
};

struct FileState {
  std::map<std::string, std::unique_ptr<FileNode>, NameLess> drives;  // "C:" ...
  // Drive letters that reach a folder of another drive (subst, a mapped network drive): "S:"
  // -> the folder's path.
  std::map<std::string, std::string, NameLess> mappedDrives;
  std::map<Handle, FindSearch> finds;
  // A standard-rights token: the admin-only folders refuse writing.
  bool standardRights = false;
};

// --- Token, kernel objects, system --------------------------------------------------------
struct PrivilegeState {
  bool held = false;
  bool enabled = false;
};

struct KernelObject {
  enum class Kind { kMutex, kToken, kProcess, kThread, kJob };
  Kind kind = Kind::kMutex;
  std::string name;  // a named mutex
  std::uint32_t access = 0;
  std::size_t start = 0;  // a process or thread: its index in ProcessState::starts; a job's index
};

struct SystemState {
  OsVersionInfo version;
  std::string user;
  std::uint32_t userError = kErrorSuccess;
  std::map<std::string, std::pair<std::string, std::string>> environment;  // folded name
  std::string windowsDirectory;
  std::string systemDirectory;
  std::string moduleFileName;
  std::int64_t localTimeBase = 0;   // milliseconds since 1601-01-01 at localTimeTick
  std::uint64_t localTimeTick = 0;  // the clock when the local time was set
  std::map<std::uint32_t, std::string> messageTexts;
  std::map<std::string, int> mutexHandles;  // open handles per mutex name, in this process
  std::set<std::string> heldMutexes;        // names other processes hold
  // Which process of the machine the calls come from (1, the program's own, unless a test runs
  // something as another process), and who owns each named mutex how many times.
  int process = 1;
  int lastProcess = 1;
  std::map<std::string, std::pair<int, int>> mutexOwners;  // name -> (process, count)
  std::uint32_t lastError = kErrorSuccess;
  // 64-bit Windows (two registry views, System32 and SysWOW64), and whether the program runs
  // there as a 64-bit process; a 32-bit one sees the 32-bit views unless it names the other, and
  // System32 as SysWOW64 while file-system redirection is on.
  bool windows64 = false;
  bool process64 = false;
  bool fsRedirectionOff = false;
  // The elevation prompt's answer, and what an elevated start of a program does (its result is
  // the exit code).
  // The desktop's shell (Explorer) runs, with standard rights unless staged otherwise.
  bool desktopShell = true;
  bool desktopStandardRights = true;
  bool refuseElevation = false;
  std::function<std::uint32_t(const std::string&)> elevatedRun;
  // The Task Scheduler's tasks: folded name -> (name, definition).
  std::map<std::string, std::pair<std::string, std::string>> tasks;
  // The full token's privileges while the standard-rights token is in force (by LUID).
  std::map<std::uint32_t, PrivilegeState> fullTokenPrivileges;
  // The account the process's token runs as (empty: the token cannot be read), the process that
  // started it (0: none known), and the accounts of the other processes by id (a process not
  // listed is gone).
  std::string tokenUserSid;
  std::uint32_t parentProcessId = 0;
  std::map<std::uint32_t, std::string> processUsers;
};

// --- Processors and processes ------------------------------------------------------------
struct ProcessorState {
  static constexpr int kCount = 2;
  struct Processor {
    double load = 20.0;           // percent, since loadSince
    std::uint64_t loadSince = 0;  // clock (ms) of the last change
    double idleBefore = 0.0;      // idle ms up to loadSince
  };
  std::array<Processor, kCount> each;
  bool systemTimesAvailable = true;
  // Empty: the block made from the load. Set: the staged block or source.
  std::function<std::vector<std::uint8_t>(std::uint64_t)> performanceSource;
};

struct ProcessState {
  std::vector<SimPlatform::ProcessStart> starts;
  std::map<std::string, std::uint32_t> failures;  // by folded image path
  std::uint32_t startCost = 0;
  std::uint32_t nextId = 0x400;
  std::vector<std::uint32_t> jobLimits;                  // by job index
  std::map<std::uint32_t, std::uint32_t> classFailures;  // by process id
  std::vector<std::pair<std::uint32_t, std::uint32_t>> classChanges;
};

struct ClockState {
  std::uint64_t now = 0;
  std::multimap<std::uint64_t, std::function<void()>> actions;
  std::function<void()> onProcessMessages;
  std::vector<std::uint32_t> sleeps;
};

}  // namespace lw::sim

namespace lw {

struct SimPlatform::State {
  sim::RegistryState registry;
  sim::FileState files;
  sim::SystemState system;
  sim::ClockState clock;
  sim::ProcessorState processors;
  sim::ProcessState processes;
  std::map<std::uint32_t, sim::PrivilegeState> privileges;  // by LUID
  std::map<Handle, sim::KernelObject> kernelObjects;
  std::map<int, std::string> specialFolders;                   // "" = the shell gives no path
  std::map<std::string, std::string, sim::NameLess> accounts;  // name -> SID text
  std::set<std::string> administratorAccounts;                 // SIDs of administrators
  std::uint64_t changes = 0;
  std::uint64_t failChange = 0;
  std::uint32_t failError = kErrorAccessDenied;
  Handle nextHandle = 0x100;
  // Runs before each registry call (not within itself): what another process does between two.
  std::function<void()> beforeRegistryCall;
  bool inRegistryHook = false;

  // A new handle value, never used before in this machine.
  Handle NewHandle();
  // Counts one change; false when it is the scripted failure (its error goes to *error).
  bool CountChange(std::uint32_t* error);
  // CloseHandle of a mutex or token; false with kErrorInvalidHandle in the last error when the
  // handle is not open.
  bool CloseKernelHandle(Handle handle);
  // Runs the At() actions due at or before the moment, moving the clock to each one's time.
  void RunDueActions(std::uint64_t until);
  // Called first by every registry call: runs the staged hook, once at a time.
  void NoteRegistryCall();
};

}  // namespace lw
