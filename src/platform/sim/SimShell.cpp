#include "platform/sim/SimShell.h"

#include "platform/sim/SimFiles.h"

// A simulated shortcut is an ordinary file whose content the simulated shell-link object wrote:
//
//   [LaunchwardSimShortcut]\r\n
//   Target=<the target path>\r\n
//   Arguments=<the arguments>\r\n
//
// Being plain content, it stays a shortcut wherever it is copied, whatever its name. Loading
// and saving go through the simulated file system, so a missing folder, a locked file, a folder
// that refuses writes and a scripted change failure give the same error codes as for any file,
// returned as HRESULTs the way the real object returns them. What Wine's object does and this
// one copies:
// - a file that is not a shortcut (empty, text, a program) fails with E_FAIL;
// - GetPath gives the target as it was stored, in its long form whatever the flags ask, and
//   the find record's file name is the last name of that path, whether or not it exists.

namespace lw::sim {

namespace {

const std::string kMagic = "[LaunchwardSimShortcut]\r\n";
const std::string kTargetKey = "Target=";
const std::string kArgumentsKey = "Arguments=";
const std::string kLineEnd = "\r\n";

// The target stored in a shortcut file's content; false when the content is no shortcut.
bool ParseShortcut(const std::string& content, std::string* target) {
  if (content.compare(0, kMagic.size(), kMagic) != 0) return false;
  const std::size_t start = kMagic.size();
  if (content.compare(start, kTargetKey.size(), kTargetKey) != 0) return false;
  const std::size_t value = start + kTargetKey.size();
  const std::size_t end = content.find(kLineEnd, value);
  if (end == std::string::npos) return false;
  *target = content.substr(value, end - value);
  return true;
}

}  // namespace

bool SimShell::GetSpecialFolderPath(int csidl, std::string* path) {
  // The high byte carries flags (CSIDL_FLAG_CREATE ...), not the folder id.
  auto found = state_.specialFolders.find(csidl & 0xFF);
  if (found == state_.specialFolders.end() || found->second.empty()) {
    state_.system.lastError = kErrorFileNotFound;
    return false;
  }
  if (path != nullptr) *path = found->second;
  return true;
}

long SimShell::LoadShellLink(const std::string& linkPath, std::uint32_t /*pathFlags*/,
                             std::string* target, std::string* foundName) {
  SimFileSystem files(state_);
  std::string content;
  if (!files.ReadFile(linkPath, &content)) return HResultFromWin32(state_.system.lastError);
  std::string stored;
  if (!ParseShortcut(content, &stored)) return kEFail;
  if (target != nullptr) *target = stored;
  if (foundName != nullptr) {
    const std::size_t slash = stored.find_last_of("\\/");
    *foundName = slash == std::string::npos ? stored : stored.substr(slash + 1);
  }
  return kSOk;
}

long SimShell::SaveShellLink(const std::string& linkPath, const std::string& target,
                             const std::string& arguments) {
  // One file write: it replaces a shortcut that is there and counts as one change.
  SimFileSystem files(state_);
  const std::string content =
      kMagic + kTargetKey + target + kLineEnd + kArgumentsKey + arguments + kLineEnd;
  if (!files.WriteFile(linkPath, content)) return HResultFromWin32(state_.system.lastError);
  return kSOk;
}

}  // namespace lw::sim
