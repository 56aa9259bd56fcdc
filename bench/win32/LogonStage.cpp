#include "LogonStage.h"

// First: the program's headers name some members as Windows' macros do.
#include "platform/win32/Win32Api.h"
// After <windows.h>, which it needs.
#include <tlhelp32.h>

#include "BenchFiles.h"
#include "ChildEnvironment.h"
#include "LogonProtocol.h"
#include "entry/ProcessUnits.h"
#include "platform/Platform.h"
#include "store/Registry.h"
#include "store/SettingsStore.h"
#include "util/Error.h"

namespace lw::bench {

namespace {

constexpr char kStandInImage[] = "lwstandin.exe";
constexpr DWORD kEndLimitMs = 30000;
constexpr DWORD kPollMs = 20;

std::string CopyInto(const std::string& source, const std::string& folder) {
  Files().CreateDirectory(folder);
  const std::string target = folder + "\\" + source.substr(source.find_last_of('\\') + 1);
  if (!Files().CopyFile(source, target, false)) {
    throw Error("Cannot copy " + source + " to " + target + " (error " +
                std::to_string(Sys().GetLastError()) + ")");
  }
  return target;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// The stand-ins' processes still running.
std::vector<DWORD> StandInProcesses() {
  std::vector<DWORD> found;
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return found;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32First(snapshot, &entry); more;
       more = ::Process32Next(snapshot, &entry)) {
    if (::lstrcmpiA(entry.szExeFile, kStandInImage) == 0) found.push_back(entry.th32ProcessID);
  }
  ::CloseHandle(snapshot);
  return found;
}

std::string SubPath(const std::string& path, const std::string& name) { return path + "\\" + name; }

KeySnapshot ReadTree(const std::string& path) {
  KeySnapshot tree;
  tree.path = path;
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return tree;
  }
  for (DWORD i = 0;; ++i) {
    char name[16384];
    DWORD nameLength = sizeof name;
    DWORD type = 0;
    DWORD size = 0;
    if (::RegEnumValueA(key, i, name, &nameLength, nullptr, &type, nullptr, &size) !=
        ERROR_SUCCESS) {
      break;
    }
    KeySnapshot::Value value{std::string(name, nameLength), type, std::vector<std::uint8_t>(size)};
    DWORD read = size;
    ::RegQueryValueExA(key, value.name.c_str(), nullptr, nullptr,
                       size > 0 ? value.data.data() : nullptr, &read);
    value.data.resize(read);
    tree.values.push_back(std::move(value));
  }
  std::vector<std::string> subKeys;
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD nameLength = sizeof name;
    if (::RegEnumKeyExA(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    subKeys.emplace_back(name, nameLength);
  }
  ::RegCloseKey(key);
  for (const std::string& name : subKeys) tree.keys.push_back(ReadTree(SubPath(path, name)));
  return tree;
}

void WriteTree(const KeySnapshot& tree) {
  HKEY key = nullptr;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, tree.path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
    throw Error("Cannot write HKEY_CURRENT_USER\\" + tree.path);
  }
  for (const KeySnapshot::Value& value : tree.values) {
    ::RegSetValueExA(key, value.name.c_str(), 0, value.type, value.data.data(),
                     static_cast<DWORD>(value.data.size()));
  }
  ::RegCloseKey(key);
  for (const KeySnapshot& sub : tree.keys) WriteTree(sub);
}

// The program key without its leading backslash, as the raw API takes it.
std::string UserProgramKey() { return std::string(kProgramKey).substr(1); }

}  // namespace

const std::vector<StandIn>& StandInMix() {
  // Seconds of processor time and tens of MB of disk for the heavy ones (a virus scanner, an
  // office suite's updater, a cloud-storage client), a fraction of that for the medium ones and
  // little for the light tray helpers; half of them stay alive, as tray programs do.
  static const std::vector<StandIn> mix = {
      {"AvScanner", 3000, 40, 120, true},     {"TouchpadTray", 150, 1, 8, true},
      {"ChatClient", 900, 10, 60, true},      {"OfficeUpdater", 2500, 60, 80, false},
      {"AudioTray", 120, 1, 6, true},         {"GpuPanel", 700, 5, 40, true},
      {"JavaUpdateCheck", 200, 2, 10, false}, {"CloudSync", 2000, 30, 150, true},
      {"PrinterUpdate", 800, 15, 20, false},  {"ClockSync", 80, 0, 4, false},
      {"MediaHelper", 600, 8, 30, false},     {"BackupCheck", 250, 2, 12, false},
  };
  return mix;
}

LogonStage::LogonStage(const std::string& launchward, const std::string& standIn,
                       const std::string& probe)
    : root_(Sys().ExpandEnvironmentStrings("%TEMP%") + "\\lw-bench-logon") {
  RemoveTree(root_);  // a run that was killed may have left it
  Files().CreateDirectory(root_);
  launchwardFolder_ = root_ + "\\Launchward";
  launchward_ = CopyInto(launchward, launchwardFolder_);
  standIn_ = CopyInto(standIn, root_ + "\\Start-up Programs");
  probe_ = CopyInto(probe, root_ + "\\Desktop");
  workLog_ = root_ + "\\work-log.txt";
  SetChildEnvironment(kWorkLogVariable, workLog_);
  endEvent_ = ::CreateEventA(nullptr, TRUE, FALSE, kLogonEndEvent);
  if (endEvent_ == nullptr) throw Error("Cannot create the end-of-logon event");

  // The items as the take-over leaves them: commands, run order, origin the machine's Run key.
  ClearProgramState();
  InitializeProcessUnits();
  Registry reg;
  std::vector<std::string> order;
  for (const StandIn& item : StandInMix()) {
    reg.PutStringAt(kHKeyLocalMachine, kRunItemsKey, true, item.name, ItemCommand(item));
    SetRunLocation(item.name, std::string());
    SetRunLocationHKey(item.name, kHKeyLocalMachine);
    order.push_back(item.name);
  }
  SaveSortOrder(kRunSortName, order);
  FinalizeProcessUnits();
}

LogonStage::~LogonStage() {
  try {
    EndLogon();
  } catch (const Error&) {
    // Going anyway: the folder and the keys still go.
  }
  ::CloseHandle(endEvent_);
  ClearProgramState();
  RemoveTree(root_);
}

std::string LogonStage::LaunchwardCommand() const { return Quoted(launchward_) + " -go"; }

std::string LogonStage::ItemCommand(const StandIn& item) const {
  return Quoted(standIn_) + " " + item.name + " " + std::to_string(item.cpuMs) + " " +
         std::to_string(item.diskMb) + " " + std::to_string(item.memoryMb) +
         (item.stays ? " stay" : "");
}

std::string LogonStage::ProbeCommand(const std::string& output, std::uint32_t rounds) const {
  return Quoted(probe_) + " " + Quoted(output) + " " + std::to_string(rounds);
}

void LogonStage::ForgetLearning() {
  Registry reg;
  reg.SetRootKey(kHKeyCurrentUser);
  reg.DeleteKey(kProgramKey);
}

KeySnapshot LogonStage::SaveLearning() const { return ReadTree(UserProgramKey()); }

void LogonStage::RestoreLearning(const KeySnapshot& learnt) {
  ForgetLearning();
  WriteTree(learnt);
}

void LogonStage::EndLogon() {
  ::SetEvent(endEvent_);
  const DWORD begin = ::GetTickCount();
  while (!StandInProcesses().empty() && ::GetTickCount() - begin < kEndLimitMs) {
    ::Sleep(kPollMs);
  }
  for (DWORD id : StandInProcesses()) {
    HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (process == nullptr) continue;
    ::TerminateProcess(process, 1);
    ::WaitForSingleObject(process, kEndLimitMs);
    ::CloseHandle(process);
  }
  ::ResetEvent(endEvent_);
  Files().DeleteFile(workLog_);
  if (!StandInProcesses().empty()) throw Error("Stand-in programs would not end");
}

}  // namespace lw::bench
