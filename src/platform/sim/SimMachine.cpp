#include "platform/sim/SimMachine.h"

#include "platform/sim/SimCalendar.h"
#include "platform/sim/SimFileTree.h"
#include "platform/sim/SimHive.h"
#include "platform/sim/SimRegistryTree.h"
#include "platform/sim/SimToken.h"

namespace lw::sim {

namespace {

constexpr const char* kProfiles = "C:\\Documents and Settings";
constexpr const char* kBob = "C:\\Documents and Settings\\bob";
constexpr const char* kAllUsers = "C:\\Documents and Settings\\All Users";
constexpr const char* kRun = "Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunOnce = "Microsoft\\Windows\\CurrentVersion\\RunOnce";

std::shared_ptr<RegNode> Key(const std::shared_ptr<RegNode>& root, const std::string& path) {
  return CreatePath(root, Split(path, '\\', true));
}

// A string value stored as Windows stores the strings programs write: with its zero.
void PutString(const std::shared_ptr<RegNode>& key, const std::string& name, std::uint32_t type,
               const std::string& text) {
  key->values.push_back(RegValue{name, type, text + std::string(1, '\0')});
}

FilePath Path(const std::string& text) {
  FilePath path;
  ParsePath(text, std::string(), &path);
  return path;
}

FileNode* Folder(SimPlatform::State& state, const std::string& path) {
  return EnsureFolder(state.files, Path(path));
}

FileNode* File(SimPlatform::State& state, const std::string& path, std::uint32_t attributes,
               const FixedFileVersion* version) {
  FilePath where = Path(path);
  const std::string name = where.parts.back();
  where.parts.pop_back();
  FileNode* file = AddNode(*EnsureFolder(state.files, where), name, false);
  file->attributes = attributes;
  if (version != nullptr) {
    file->hasVersion = true;
    file->version = *version;
  }
  return file;
}

void BuildRegistry(RegistryState& registry) {
  registry.machine = std::make_shared<RegNode>();
  registry.machine->name = "HKEY_LOCAL_MACHINE";
  registry.users = std::make_shared<RegNode>();
  registry.users->name = "HKEY_USERS";
  registry.dynData = std::make_shared<RegNode>();
  registry.dynData->name = "HKEY_DYN_DATA";
  registry.classes = Key(registry.machine, "SOFTWARE\\Classes");
  registry.currentConfig =
      Key(registry.machine, "SYSTEM\\CurrentControlSet\\Hardware Profiles\\Current");
  Key(registry.users, ".DEFAULT\\Software");
  registry.currentUser = Key(registry.users, kBobSid);

  const auto& machine = registry.machine;
  Key(machine, std::string("SOFTWARE\\") + kRun);
  Key(machine, std::string("SOFTWARE\\") + kRunOnce);
  Key(machine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths");
  auto version = Key(machine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion");
  PutString(version, "CSDVersion", kRegSz, "Service Pack 3");
  PutString(version, "CurrentBuildNumber", kRegSz, "2600");
  PutString(version, "CurrentVersion", kRegSz, "5.1");
  PutString(version, "ProductName", kRegSz, "Microsoft Windows XP");
  auto profiles = Key(version, "ProfileList");
  PutString(profiles, "ProfilesDirectory", kRegExpandSz, "%SystemDrive%\\Documents and Settings");
  PutString(profiles, "AllUsersProfile", kRegSz, "All Users");
  PutString(profiles, "DefaultUserProfile", kRegSz, "Default User");
  PutString(Key(profiles, kBobSid), "ProfileImagePath", kRegExpandSz,
            "%SystemDrive%\\Documents and Settings\\bob");

  Key(registry.currentUser, std::string("Software\\") + kRun);
  Key(registry.currentUser, std::string("Software\\") + kRunOnce);
}

void BuildFiles(SimPlatform::State& state) {
  const FixedFileVersion windows{0x00050001, 0x0A281645, 0x00050001, 0x0A281645};  // 5.1.2600.5701
  const FixedFileVersion program{0x00010000, 0x00000000, 0x00010000, 0x00000000};  // 1.0.0.0
  Folder(state, "C:\\WINDOWS\\system32\\Wbem");
  File(state, "C:\\WINDOWS\\explorer.exe", kFileAttributeArchive, &windows);
  File(state, "C:\\WINDOWS\\notepad.exe", kFileAttributeArchive, &windows);
  File(state, "C:\\WINDOWS\\regedit.exe", kFileAttributeArchive, &windows);
  File(state, "C:\\WINDOWS\\system32\\cmd.exe", kFileAttributeArchive, &windows);
  File(state, "C:\\WINDOWS\\system32\\notepad.exe", kFileAttributeArchive, &windows);
  File(state, state.system.moduleFileName, kFileAttributeArchive, &program)->runningImage = true;

  for (const char* folder :
       {"Start Menu\\Programs\\Startup", "Application Data", "Desktop", "My Documents",
        "Local Settings\\Temp", "Local Settings\\Application Data"}) {
    Folder(state, std::string(kBob) + "\\" + folder);
    Folder(state, std::string(kProfiles) + "\\Default User\\" + folder);
  }
  for (const char* folder : {"Start Menu\\Programs\\Startup", "Application Data", "Desktop"}) {
    Folder(state, std::string(kAllUsers) + "\\" + folder);
  }
  // bob's hive is loaded as HKEY_CURRENT_USER: the registry holds the file. The default
  // user's hive is an ordinary file that can be loaded.
  FileNode* bobHive = File(state, std::string(kBob) + "\\NTUSER.DAT",
                           kFileAttributeHidden | kFileAttributeArchive, nullptr);
  bobHive->content = SerializeHive(*state.registry.currentUser);
  bobHive->heldByRegistry = true;
  auto defaultUser = std::make_shared<RegNode>();
  Key(defaultUser, std::string("Software\\") + kRun);
  File(state, std::string(kProfiles) + "\\Default User\\NTUSER.DAT",
       kFileAttributeHidden | kFileAttributeArchive, nullptr)
      ->content = SerializeHive(*defaultUser);
}

void BuildSystem(SimPlatform::State& state) {
  SystemState& system = state.system;
  system.version = OsVersionInfo{5, 1, 2600, kVerPlatformWin32Nt, "Service Pack 3"};
  system.user = "bob";
  // bob's program was started by his Explorer.
  system.tokenUserSid = kBobSid;
  system.parentProcessId = kExplorerProcessId;
  system.processUsers[kExplorerProcessId] = kBobSid;
  system.windowsDirectory = "C:\\WINDOWS";
  system.systemDirectory = "C:\\WINDOWS\\system32";
  system.moduleFileName = "C:\\Program Files\\Launchward\\launchward.exe";
  // Tuesday 12 May 2026, 18:07:08.
  TimeToMilliseconds(SystemTime{2026, 5, 2, 12, 18, 7, 8, 0}, &system.localTimeBase);
  system.localTimeTick = kStartTick;
  const std::pair<const char*, std::string> variables[] = {
      {"ALLUSERSPROFILE", kAllUsers},
      {"APPDATA", std::string(kBob) + "\\Application Data"},
      {"CommonProgramFiles", "C:\\Program Files\\Common Files"},
      {"ComSpec", "C:\\WINDOWS\\system32\\cmd.exe"},
      {"HOMEDRIVE", "C:"},
      {"HOMEPATH", "\\Documents and Settings\\bob"},
      {"OS", "Windows_NT"},
      {"Path", "C:\\WINDOWS\\system32;C:\\WINDOWS;C:\\WINDOWS\\System32\\Wbem"},
      {"PATHEXT", ".COM;.EXE;.BAT;.CMD;.VBS;.VBE;.JS;.JSE;.WSF;.WSH"},
      {"ProgramFiles", "C:\\Program Files"},
      {"SystemDrive", "C:"},
      {"SystemRoot", "C:\\WINDOWS"},
      {"TEMP", std::string(kBob) + "\\Local Settings\\Temp"},
      {"TMP", std::string(kBob) + "\\Local Settings\\Temp"},
      {"USERNAME", "bob"},
      {"USERPROFILE", kBob},
      {"windir", "C:\\WINDOWS"},
  };
  for (const auto& [name, value] : variables) system.environment[Fold(name)] = {name, value};
}

void BuildShell(SimPlatform::State& state) {
  const std::string bob = kBob;
  const std::string all = kAllUsers;
  state.specialFolders = {
      {0, bob + "\\Desktop"},
      {kCsidlPrograms, bob + "\\Start Menu\\Programs"},
      {5, bob + "\\My Documents"},
      {kCsidlStartup, bob + "\\Start Menu\\Programs\\Startup"},
      {11, bob + "\\Start Menu"},
      {16, bob + "\\Desktop"},
      {22, all + "\\Start Menu"},
      {23, all + "\\Start Menu\\Programs"},
      {kCsidlCommonStartup, all + "\\Start Menu\\Programs\\Startup"},
      {25, all + "\\Desktop"},
      {kCsidlAppData, bob + "\\Application Data"},
      {28, bob + "\\Local Settings\\Application Data"},
      {35, all + "\\Application Data"},
      {36, "C:\\WINDOWS"},
      {37, "C:\\WINDOWS\\system32"},
      {38, "C:\\Program Files"},
  };
}

}  // namespace

void BuildDefaultMachine(SimPlatform::State& state) {
  state.clock.now = kStartTick;
  BuildRegistry(state.registry);
  BuildSystem(state);
  BuildFiles(state);
  BuildShell(state);
  GrantAdministratorPrivileges(state);
}

void MakeWindows64(SimPlatform::State& state, bool process64) {
  const FixedFileVersion windows{0x00050002, 0x0ECE0000, 0x00050002, 0x0ECE0000};  // 5.2.3790.0
  const auto& machine = state.registry.machine;
  for (const char* key : {kRun, kRunOnce, "Microsoft\\Windows\\CurrentVersion\\App Paths"}) {
    Key(machine, std::string("SOFTWARE\\Wow6432Node\\") + key);
  }
  File(state, "C:\\WINDOWS\\SysWOW64\\cmd.exe", kFileAttributeArchive, &windows);
  File(state, "C:\\WINDOWS\\SysWOW64\\notepad.exe", kFileAttributeArchive, &windows);
  state.system.windows64 = true;
  state.system.process64 = process64;
}

}  // namespace lw::sim
