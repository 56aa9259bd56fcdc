#include "util/SpecialFolders.h"

#include <memory>
#include <stdexcept>

#include "platform/Platform.h"
#include "store/Registry.h"
#include "store/UserProfiles.h"
#include "util/CurrentUser.h"
#include "util/Error.h"
#include "util/Text.h"

namespace lw {

namespace {

std::unique_ptr<SpecialFolders>& Instance() {
  static std::unique_ptr<SpecialFolders> instance;
  return instance;
}

const char kShellFoldersKey[] =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kStartupFolderValue[] = "Startup";

const char kStartupTail[] = "\\Start Menu\\Programs\\Startup\\";
// Since Windows Vista a user's Start Menu lies below the roaming application data.
const char kRoamingTail[] = "\\AppData\\Roaming\\Microsoft\\Windows";

// The profiles folder as the system's profile list names it, expanded, with a trailing
// backslash; empty when the list has no usable entry.
std::string ProfilesFolderFromProfileList() {
  std::string folder;
  try {
    Registry registry;
    folder = registry.GetStringAt(kHKeyLocalMachine, kProfileListKey, kProfilesDirectoryValue);
  } catch (const Error&) {
    return std::string();  // a value of the wrong type names no folder
  }
  if (folder.empty()) return folder;
  folder = Sys().ExpandEnvironmentStrings(folder);
  return folder.empty() ? folder : IncludeTrailingBackslash(folder);
}

}  // namespace

std::string SpecialFolders::GetSpecialFolder(int csidl) const {
  std::string path;
  if (!Shell().GetSpecialFolderPath(csidl & 0xFFFF, &path)) return std::string();
  // The shell hands back a C buffer: whatever follows its first zero is not part of the path.
  return path.substr(0, path.find('\0'));
}

std::string SpecialFolders::GetUserStartupFolder() const {
  // Acting for another account than the process's, the shell would give the process's own
  // folder: that account's shell keeps the path of its folder in its own hive.
  if (ActingAccountHive().empty()) return GetSpecialFolder(kCsidlStartup);
  try {
    Registry registry;
    return registry.GetStringAt(kHKeyCurrentUser, kShellFoldersKey, kStartupFolderValue);
  } catch (const Error&) {
    return std::string();  // not text: no folder known
  }
}

std::string SpecialFolders::GetCommonStartupFolder() const {
  std::string folder = GetSpecialFolder(kCsidlCommonStartup);
  return folder.empty() ? GetUserStartupFolder() : folder;
}

std::string SpecialFolders::GetAltStartupFolder() const {
  return GetSpecialFolder(kCsidlAltStartup);
}

std::string SpecialFolders::GetProfilesFolder() const {
  // Up to Windows XP the All Users profile sits beside every user's profile, so the path in
  // front of "All Users" is the profiles folder. Later versions keep the common Startup folder
  // in ProgramData; there the system's profile list says where profiles live.
  std::string common = GetCommonStartupFolder();
  std::string::size_type at = common.find("All Users");
  if (at != std::string::npos) return common.substr(0, at);
  return ProfilesFolderFromProfileList();
}

void InitializeSpecialFolders() { Instance() = std::make_unique<SpecialFolders>(); }

void FinalizeSpecialFolders() { Instance().reset(); }

SpecialFolders& SharedSpecialFolders() {
  if (!Instance()) throw std::logic_error("the special folders are not initialised");
  return *Instance();
}

std::string GetExeFolder() {
  std::string path = Sys().GetModuleFileName();
  std::string::size_type slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string GetShortcutStoreFolder() { return GetExeFolder() + "Startup\\"; }

std::string UserFromStartupFolder(const std::string& startupFolder) {
  if (startupFolder.empty()) return std::string();
  std::string rest = IncludeTrailingBackslash(startupFolder);
  std::string::size_type at = LowerCase(rest).find(LowerCase(kStartupTail));
  if (at != std::string::npos) rest.erase(at, sizeof(kStartupTail) - 1);
  std::string roaming = LowerCase(kRoamingTail);
  std::string lower = LowerCase(rest);
  if (lower.size() > roaming.size() &&
      lower.compare(lower.size() - roaming.size(), roaming.size(), roaming) == 0) {
    rest.erase(rest.size() - roaming.size());
  }
  return rest.substr(rest.find_last_of('\\') + 1);
}

std::string StartupFolderOwner(const std::string& startupFolder) {
  const std::string owner = UserFromStartupFolder(startupFolder);
  if (owner.empty() || SameText(owner, "All Users")) return std::string();
  const std::string normal = IncludeTrailingBackslash(TrimBlanks(startupFolder));
  for (int csidl : {kCsidlCommonStartup, kCsidlAltStartup, kCsidlCommonAltStartup}) {
    const std::string shared = SharedSpecialFolders().GetSpecialFolder(csidl);
    if (!shared.empty() && SameText(IncludeTrailingBackslash(TrimBlanks(shared)), normal)) {
      return std::string();
    }
  }
  return owner;
}

}  // namespace lw
