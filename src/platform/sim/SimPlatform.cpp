#include "platform/sim/SimPlatform.h"

#include <stdexcept>

#include "platform/sim/SimCalendar.h"
#include "platform/sim/SimFileTree.h"
#include "platform/sim/SimFiles.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/SimProcessor.h"
#include "platform/sim/SimRegistry.h"
#include "platform/sim/SimRegistryTree.h"
#include "platform/sim/SimRights.h"
#include "platform/sim/SimShell.h"
#include "platform/sim/SimState.h"
#include "platform/sim/SimSystem.h"
#include "platform/sim/SimTasks.h"
#include "platform/sim/SimToken.h"

// A fresh machine (SimMachine.cpp has it all):
// - Windows XP SP3 (5.1.2600, NT platform), user "bob", an administrator: he holds the backup,
//   restore, shutdown and debug privileges among others, none enabled until asked for.
// - C:\WINDOWS, C:\WINDOWS\system32 (with notepad.exe, cmd.exe ...), the program as
//   C:\Program Files\Launchward\launchward.exe (running: readable, not writable), profiles under
//   C:\Documents and Settings (bob, All Users, Default User) with their Startup folders; bob's
//   NTUSER.DAT is in use as his loaded hive, the default user's can be loaded.
// - The Run, RunOnce and App Paths keys (empty), the profile list with ProfilesDirectory
//   "%SystemDrive%\Documents and Settings", HKEY_CURRENT_USER as bob's key under HKEY_USERS,
//   HKEY_CLASSES_ROOT as HKEY_LOCAL_MACHINE\SOFTWARE\Classes, an empty HKEY_DYN_DATA.
// - Two processors at 20 percent load since start-up, seen through GetSystemTimes and the
//   performance data (a System object, then the Processor object with instances "0", "1" and
//   "_Total").
// - The clock at one minute after start-up; the local time Tuesday 12 May 2026 18:07:08,
//   running on with the clock; dates as dd/MM/yyyy, times as HH:mm:ss.
// Staging with a path that cannot be staged (a file where a folder should be, an unknown
// root or privilege) throws std::invalid_argument: a test that stages wrongly fails loudly.

namespace lw {

namespace {

// Staging names the machine's own folders: no System32 redirection applies.
sim::FilePath StagingPath(const SimPlatform::State& state, const std::string& path) {
  sim::FilePath parsed;
  if (sim::ParsePath(path, sim::CurrentFolder(state), &parsed) != kErrorSuccess ||
      parsed.parts.empty()) {
    throw std::invalid_argument("not a path that can be staged: " + path);
  }
  return parsed;
}

sim::FileNode* StagedNode(SimPlatform::State& state, const std::string& path) {
  std::uint32_t error = kErrorSuccess;
  sim::FileNode* node = sim::FindNode(state.files, StagingPath(state, path), &error);
  if (node == nullptr) throw std::invalid_argument("no such file or folder: " + path);
  return node;
}

std::shared_ptr<sim::RegNode> StagedRoot(const SimPlatform::State& state, HKey root,
                                         const std::string& path, std::vector<std::string>* parts) {
  std::shared_ptr<sim::RegNode> node = sim::RootNode(state.registry, root);
  if (!node || sim::SplitKeyPath(path, parts) != kErrorSuccess) {
    throw std::invalid_argument("not a registry key that can be staged: " + path);
  }
  return node;
}

std::uint32_t StagedPrivilege(const std::string& name) {
  std::uint32_t luid = 0;
  if (!sim::LookupPrivilege(name, &luid)) throw std::invalid_argument("no such privilege: " + name);
  return luid;
}

}  // namespace

SimPlatform::SimPlatform()
    : state_(std::make_unique<State>()),
      registry_(std::make_unique<sim::SimRegistry>(*state_)),
      token_(std::make_unique<sim::SimToken>(*state_)),
      files_(std::make_unique<sim::SimFileSystem>(*state_)),
      system_(std::make_unique<sim::SimSystem>(*state_)),
      shell_(std::make_unique<sim::SimShell>(*state_)),
      tasks_(std::make_unique<sim::SimTasks>(*state_)) {
  sim::BuildDefaultMachine(*state_);
}

SimPlatform::~SimPlatform() = default;

IRegistry& SimPlatform::Registry() { return *registry_; }
IToken& SimPlatform::Token() { return *token_; }
IFileSystem& SimPlatform::Files() { return *files_; }
ISystem& SimPlatform::System() { return *system_; }
IShell& SimPlatform::Shell() { return *shell_; }
ITaskScheduler& SimPlatform::Tasks() { return *tasks_; }

// --- Registry staging -----------------------------------------------------------------------

void SimPlatform::DenyKeyWrites(HKey root, const std::string& path) {
  std::vector<std::string> parts;
  auto key = sim::CreatePath(StagedRoot(*state_, root, path, &parts), parts);
  sim::SetWriteRule(state_->registry, *key, true);
}

void SimPlatform::AllowKeyWrites(HKey root, const std::string& path) {
  std::vector<std::string> parts;
  auto key = sim::CreatePath(StagedRoot(*state_, root, path, &parts), parts);
  sim::SetWriteRule(state_->registry, *key, false);
}

void SimPlatform::GuardValue(HKey root, const std::string& path, const std::string& name,
                             Guard guard) {
  std::vector<std::string> parts;
  auto key = StagedRoot(*state_, root, path, &parts);
  state_->registry.guards[sim::GuardKey(sim::NodePath(*key, parts), name)] = guard;
}

void SimPlatform::SetPerformanceData(std::vector<std::uint8_t> block) {
  state_->processors.performanceSource = [block = std::move(block)](std::uint64_t) {
    return block;
  };
}

void SimPlatform::SetPerformanceDataSource(
    std::function<std::vector<std::uint8_t>(std::uint64_t)> source) {
  state_->processors.performanceSource = std::move(source);
}

int SimPlatform::OpenKeyCount() const { return static_cast<int>(state_->registry.handles.size()); }

// --- Files staging --------------------------------------------------------------------------

void SimPlatform::AddFile(const std::string& path, const std::string& content,
                          std::uint32_t attributes) {
  sim::FilePath parsed = StagingPath(*state_, path);
  const std::string name = parsed.parts.back();
  parsed.parts.pop_back();
  sim::FileNode* folder = sim::EnsureFolder(state_->files, parsed);
  auto existing = folder->children.find(name);
  sim::FileNode* file = existing == folder->children.end() ? sim::AddNode(*folder, name, false)
                                                           : existing->second.get();
  if (file->folder) throw std::invalid_argument("a folder stands where a file is staged: " + path);
  file->content = content;
  file->attributes = attributes & ~kFileAttributeDirectory;
}

void SimPlatform::SetWindows64(bool process64) { sim::MakeWindows64(*state_, process64); }

void SimPlatform::AddFolder(const std::string& path) {
  sim::EnsureFolder(state_->files, StagingPath(*state_, path));
}

void SimPlatform::LockFile(const std::string& path, bool locked) {
  StagedNode(*state_, path)->lockedByTest = locked;
}

void SimPlatform::MapDrive(const std::string& drive, const std::string& folder) {
  state_->files.mappedDrives[drive] = folder;
}

void SimPlatform::DenyFolderWrites(const std::string& path, bool denied) {
  sim::EnsureFolder(state_->files, StagingPath(*state_, path))->denyWrites = denied;
}

void SimPlatform::SetFileVersion(const std::string& path, const FixedFileVersion& version) {
  sim::FileNode* file = StagedNode(*state_, path);
  if (file->folder) throw std::invalid_argument("a folder has no version: " + path);
  file->hasVersion = true;
  file->version = version;
}

int SimPlatform::OpenFindCount() const { return static_cast<int>(state_->files.finds.size()); }

// --- System staging -------------------------------------------------------------------------

void SimPlatform::SetOsVersion(const OsVersionInfo& info) { state_->system.version = info; }

void SimPlatform::SetUserName(const std::string& user, std::uint32_t error) {
  state_->system.user = user;
  state_->system.userError = user.empty() ? error : kErrorSuccess;
}

void SimPlatform::SetEnvironmentVariable(const std::string& name, const std::string& value) {
  // An empty value removes the variable, as it does on Windows.
  if (value.empty()) {
    state_->system.environment.erase(sim::Fold(name));
  } else {
    state_->system.environment[sim::Fold(name)] = {name, value};
  }
}

void SimPlatform::SetWindowsDirectory(const std::string& path) {
  state_->system.windowsDirectory = path;
}

void SimPlatform::SetSystemDirectory(const std::string& path) {
  state_->system.systemDirectory = path;
}

void SimPlatform::SetModuleFileName(const std::string& path) {
  // The file that runs now is the one the system keeps from being written or deleted.
  for (const std::string& image : {state_->system.moduleFileName, path}) {
    sim::FilePath parsed;
    std::uint32_t error = kErrorSuccess;
    sim::FileNode* node =
        sim::ParsePath(image, sim::CurrentFolder(*state_), &parsed) == kErrorSuccess
            ? sim::FindNode(state_->files, parsed, &error)
            : nullptr;
    if (node != nullptr && !node->folder) node->runningImage = image == path;
  }
  state_->system.moduleFileName = path;
}

void SimPlatform::SetLocalTime(const SystemTime& time) {
  std::int64_t milliseconds = 0;
  if (!sim::TimeToMilliseconds(time, &milliseconds)) {
    throw std::invalid_argument("not a date and time that exists");
  }
  state_->system.localTimeBase = milliseconds;
  state_->system.localTimeTick = state_->clock.now;
}

void SimPlatform::SetMessageText(std::uint32_t code, const std::string& text) {
  state_->system.messageTexts[code] = text;
}

void SimPlatform::HoldMutex(const std::string& name, bool held) {
  if (!held) {
    state_->system.heldMutexes.erase(sim::MutexKey(name));
    return;
  }
  state_->system.heldMutexes.insert(sim::MutexKey(name));
}

void SimPlatform::AsAnotherProcess(const std::function<void()>& action) {
  sim::SystemState& system = state_->system;
  const int previous = system.process;
  const int process = ++system.lastProcess;
  system.process = process;
  struct Back {
    sim::SystemState& system;
    int previous;
    int process;
    ~Back() {
      for (auto owner = system.mutexOwners.begin(); owner != system.mutexOwners.end();) {
        owner = owner->second.first == process ? system.mutexOwners.erase(owner) : ++owner;
      }
      system.process = previous;
    }
  } back{system, previous, process};
  action();
}

void SimPlatform::BeforeEachRegistryCall(std::function<void()> action) {
  state_->beforeRegistryCall = std::move(action);
}

// --- Shell and token staging ----------------------------------------------------------------

void SimPlatform::SetSpecialFolder(int csidl, const std::string& path) {
  state_->specialFolders[csidl & 0xFF] = path;
}

void SimPlatform::SetPrivilegeHeld(const std::string& name, bool held) {
  sim::PrivilegeState& privilege = state_->privileges[StagedPrivilege(name)];
  privilege.held = held;
  if (!held) privilege.enabled = false;
}

namespace {

// A staged path that may also be a drive's root ("C:\\").
sim::FileNode* StagedSecurityNode(SimPlatform::State& state, const std::string& path) {
  sim::FilePath parsed;
  std::uint32_t error = kErrorSuccess;
  sim::FileNode* node = sim::ParsePath(path, sim::CurrentFolder(state), &parsed) == kErrorSuccess
                            ? sim::FindNode(state.files, parsed, &error)
                            : nullptr;
  if (node == nullptr) throw std::invalid_argument("no such file or folder: " + path);
  return node;
}

}  // namespace

void SimPlatform::SetFileSecurity(const std::string& path, const FileSecurity& security) {
  StagedSecurityNode(*state_, path)->security = security;
}

void SimPlatform::SetFileSecurityUnreadable(const std::string& path, bool unreadable) {
  StagedSecurityNode(*state_, path)->securityUnreadable = unreadable;
}

void SimPlatform::SetAdministratorAccount(const std::string& sid, bool administrator) {
  if (administrator) {
    state_->administratorAccounts.insert(sid);
  } else {
    state_->administratorAccounts.erase(sid);
  }
}

void SimPlatform::AddAccount(const std::string& account, const std::string& sid) {
  state_->accounts[account] = sid;
}

void SimPlatform::SetProcessUser(const std::string& sid) { state_->system.tokenUserSid = sid; }

void SimPlatform::RunAsAccount(const std::string& sid) {
  state_->system.tokenUserSid = sid;
  sim::RegistryState& registry = state_->registry;
  std::shared_ptr<sim::RegNode> hive = sim::FindChild(*registry.users, sid);
  if (!hive) hive = sim::AddChild(*registry.users, sid);
  sim::CreatePath(hive, {"Software", "Microsoft", "Windows", "CurrentVersion", "Run"});
  registry.currentUser = hive;
}

void SimPlatform::SetParentProcess(std::uint32_t processId, const std::string& sid) {
  state_->system.parentProcessId = processId;
  if (sid.empty()) {
    state_->system.processUsers.erase(processId);
  } else {
    state_->system.processUsers[processId] = sid;
  }
}

bool SimPlatform::PrivilegeEnabled(const std::string& name) const {
  return sim::PrivilegeIsEnabled(*state_, StagedPrivilege(name));
}

// --- Processors and processes --------------------------------------------------------------

void SimPlatform::SetProcessorLoad(double percent) {
  for (int processor = 0; processor < sim::ProcessorState::kCount; ++processor) {
    SetProcessorLoad(processor, percent);
  }
}

void SimPlatform::SetProcessorLoad(int processor, double percent) {
  if (percent < 0.0 || percent > 100.0) throw std::invalid_argument("a load is 0 to 100 percent");
  if (processor < 0 || processor >= sim::ProcessorState::kCount) {
    throw std::invalid_argument("the machine has two processors, 0 and 1");
  }
  sim::SetProcessorLoad(*state_, processor, percent);
}

void SimPlatform::SetSystemTimesAvailable(bool available) {
  state_->processors.systemTimesAvailable = available;
}

std::vector<SimPlatform::ProcessStart> SimPlatform::ProcessStarts() const {
  return state_->processes.starts;
}

void SimPlatform::FailProcessStart(const std::string& image, std::uint32_t error) {
  state_->processes.failures[sim::Fold(image)] = error;
}

void SimPlatform::SetProcessStartCost(std::uint32_t milliseconds) {
  state_->processes.startCost = milliseconds;
}

int SimPlatform::OpenProcessHandleCount() const {
  int count = 0;
  for (const auto& [handle, object] : state_->kernelObjects) {
    if (object.kind == sim::KernelObject::Kind::kProcess ||
        object.kind == sim::KernelObject::Kind::kThread) {
      ++count;
    }
  }
  return count;
}

// --- Rights ---------------------------------------------------------------------------------

void SimPlatform::SetStandardRights(bool standard) { sim::SetStandardRights(*state_, standard); }

void SimPlatform::SetDesktopShell(bool running, bool standardRights) {
  state_->system.desktopShell = running;
  state_->system.desktopStandardRights = standardRights;
}

bool SimPlatform::StandardRights() const { return state_->files.standardRights; }

void SimPlatform::AnswerElevation(bool accept,
                                  std::function<std::uint32_t(const std::string&)> run) {
  state_->system.refuseElevation = !accept;
  state_->system.elevatedRun = std::move(run);
}

std::vector<std::pair<std::string, std::string>> SimPlatform::RegisteredTasks() const {
  std::vector<std::pair<std::string, std::string>> tasks;
  for (const auto& [folded, task] : state_->system.tasks) tasks.push_back(task);
  return tasks;
}

// --- Virtual clock --------------------------------------------------------------------------

std::uint64_t SimPlatform::Now() const { return state_->clock.now; }

void SimPlatform::Advance(std::uint64_t milliseconds) { state_->clock.now += milliseconds; }

void SimPlatform::At(std::uint64_t milliseconds, std::function<void()> action) {
  state_->clock.actions.emplace(milliseconds, std::move(action));
}

void SimPlatform::OnProcessMessages(std::function<void()> action) {
  state_->clock.onProcessMessages = std::move(action);
}

std::vector<std::uint32_t> SimPlatform::Sleeps() const { return state_->clock.sleeps; }

// --- Scripted failures ----------------------------------------------------------------------

void SimPlatform::FailChange(std::uint64_t number, std::uint32_t error) {
  state_->failChange = number;
  state_->failError = error;
}

std::uint64_t SimPlatform::ChangeCount() const { return state_->changes; }

}  // namespace lw
