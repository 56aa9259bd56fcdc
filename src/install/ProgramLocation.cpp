#include "install/ProgramLocation.h"

#include <cstdint>

#include "platform/Platform.h"
#include "util/Error.h"
#include "util/ErrorLog.h"
#include "util/Text.h"

namespace lw {

namespace {

constexpr char kProgramFolderName[] = "Launchward";

// What changes a file, or what a folder holds.
constexpr std::uint32_t kChangeRights = kFileWriteData | kFileAppendData | kFileWriteEa |
                                        kFileDeleteChild | kDelete | kWriteDac | kWriteOwner |
                                        kMaximumAllowed | kGenericAll | kGenericWrite;
// What replaces a folder below this one.
constexpr std::uint32_t kReplaceRights = kFileDeleteChild | kDelete | kWriteDac | kWriteOwner |
                                         kMaximumAllowed | kGenericAll | kGenericWrite;

bool IsDenial(std::uint8_t type) {
  return type == kAccessDeniedAceType || type == kAccessDeniedObjectAceType ||
         type == kAccessDeniedCallbackAceType || type == kAccessDeniedCallbackObjectAceType;
}

bool IsAdministrator(const std::string& sid) {
  if (sid == kSidAdministrators || sid == kSidLocalSystem || sid == kSidTrustedInstaller) {
    return true;
  }
  return !sid.empty() && Token().IsAdministratorAccount(sid);
}

// Nobody but administrators holds any of the rights over the file or folder.
bool OnlyAdministratorsHold(const std::string& path, std::uint32_t rights) {
  FileSecurity security;
  if (Files().GetFileSecurity(path, &security) != kErrorSuccess) return false;
  if (!security.hasDacl) return false;
  bool ownerLimited = false;
  for (const AccessEntry& entry : security.dacl) {
    if (entry.sid == kSidOwnerRights && (entry.flags & kInheritOnlyAce) == 0) ownerLimited = true;
  }
  const bool ownerTrusted = IsAdministrator(security.ownerSid);
  if (!ownerTrusted && !ownerLimited) return false;
  for (const AccessEntry& entry : security.dacl) {
    if (IsDenial(entry.type) || (entry.flags & kInheritOnlyAce) != 0) continue;
    if ((entry.mask & rights) == 0 || entry.sid == kSidCreatorOwner) continue;
    const bool trusted = entry.sid == kSidOwnerRights ? ownerTrusted : IsAdministrator(entry.sid);
    if (!trusted) return false;
  }
  return true;
}

// The folder that holds the path ("C:\a" for "C:\a\b"); empty for a drive's root.
std::string ParentOf(const std::string& path) {
  std::string trimmed = path;
  while (trimmed.size() > 3 && (trimmed.back() == '\\' || trimmed.back() == '/')) {
    trimmed.pop_back();
  }
  const std::size_t slash = trimmed.find_last_of("\\/");
  if (slash == std::string::npos || trimmed.size() <= 3) return std::string();
  // The root keeps its backslash ("C:\"); any other folder goes without.
  return slash <= 2 ? trimmed.substr(0, slash + 1) : trimmed.substr(0, slash);
}

}  // namespace

std::string MoveToProgramFilesQuestion(const std::string& unsafePath, const std::string& folder) {
  return "Launchward is in a folder that people without administrator rights can change:\r\n" +
         unsafePath +
         "\r\n\r\nLaunchward runs with administrator rights at every logon, so whoever can change "
         "that folder could take this computer over.\r\n\r\nCopy Launchward to " +
         folder + " and install that copy?";
}

std::string NotInstalledUnsafeText(const std::string& folder) {
  return "Nothing was installed. Launchward installs only from a folder that only "
         "administrators can change, such as " +
         folder + ".";
}

std::string RefusedUnsafeText(const std::string& unsafePath) {
  return "Launchward does not run with administrator rights from a folder that people without "
         "administrator rights can change: " +
         unsafePath +
         ". Press Install in Launchward's main window to move it to the Program Files folder.";
}

std::string UnsafeProgramPath(const std::string& executable) {
  if (!OnlyAdministratorsHold(executable, kChangeRights)) return executable;
  const std::string folder = ParentOf(executable);
  if (folder.empty() || !OnlyAdministratorsHold(folder, kChangeRights)) return folder;
  for (std::string above = ParentOf(folder); !above.empty(); above = ParentOf(above)) {
    if (!OnlyAdministratorsHold(above, kReplaceRights)) return above;
  }
  return std::string();
}

std::string ProgramFilesFolder() {
  std::string programFiles;
  if (!Shell().GetSpecialFolderPath(kCsidlProgramFiles, &programFiles) || programFiles.empty()) {
    throw Error("Unable to find the Program Files folder.");
  }
  if (programFiles.back() != '\\') programFiles += '\\';
  return programFiles + kProgramFolderName;
}

std::string CopySelfToProgramFiles() {
  const std::string source = Sys().GetModuleFileName();
  const std::string folder = ProgramFilesFolder();
  const std::string target = folder + "\\" + ExtractFileName(source);
  const auto fail = [&target](const std::string& why) {
    return Error("Unable to copy Launchward to " + target + ": " + why);
  };
  if (!Files().CreateDirectory(folder) && Sys().GetLastError() != kErrorAlreadyExists) {
    throw fail(SystemErrorText(Sys().GetLastError()));
  }
  if (!Files().CopyFile(source, target, false)) throw fail(SystemErrorText(Sys().GetLastError()));
  std::string original;
  std::string copy;
  if (!Files().ReadFile(source, &original) || !Files().ReadFile(target, &copy) ||
      copy != original) {
    throw fail("the copy differs from the program.");
  }
  const std::string unsafe = UnsafeProgramPath(target);
  if (!unsafe.empty()) throw fail("people without administrator rights can change " + unsafe);
  return target;
}

}  // namespace lw
