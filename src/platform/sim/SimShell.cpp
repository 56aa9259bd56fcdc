#include "platform/sim/SimShell.h"

#include <memory>

#include "platform/sim/SimFileTree.h"
#include "platform/sim/SimFiles.h"
#include "platform/sim/SimProcess.h"
#include "platform/sim/SimRights.h"

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
//
// ShellExecute (the verb "open" or none) finds the file as given, from the folder argument
// when it is relative and one is given, else from the current folder; a bare name is searched
// for as CreateProcess searches ("x" finds "x.exe" on the path). Then, with Wine's results:
// - a shortcut starts its target with the shortcut's arguments and then the parameters, the
//   target in double quotes; a target that is not there gives SE_ERR_NOASSOC (31) with
//   ERROR_BAD_EXE_FORMAT, as does a ".lnk" file that is no shortcut;
// - a program starts with the command line: the file as given, in double quotes, and the
//   parameters;
// - a folder or any other file is "opened" (recorded with itself as the image);
// - nothing there gives SE_ERR_FNF (2) with the last error of the lookup (2, or 3 for a
//   missing folder); an empty file name gives 11 with ERROR_INVALID_PARAMETER; another verb
//   gives SE_ERR_NOASSOC.
// A start that fails (a staged failure) gives its error as the result when it is below 32 and
// ERROR_BAD_FORMAT (11) otherwise, with the error itself as the last error. Success is 42, as
// Windows returns it.

namespace lw::sim {

namespace {

const std::string kMagic = "[LaunchwardSimShortcut]\r\n";
const std::string kTargetKey = "Target=";
const std::string kArgumentsKey = "Arguments=";
const std::string kLineEnd = "\r\n";

constexpr std::intptr_t kShellExecuteDone = 42;
constexpr std::intptr_t kSeErrFileNotFound = 2;
constexpr std::intptr_t kSeErrBadFormat = 11;
constexpr std::intptr_t kSeErrNoAssociation = 31;

// The value of the "key=" line that starts at *at; moves *at past the line. False when the
// line is not there.
bool ReadLine(const std::string& content, const std::string& key, std::size_t* at,
              std::string* value) {
  if (content.compare(*at, key.size(), key) != 0) return false;
  const std::size_t start = *at + key.size();
  const std::size_t end = content.find(kLineEnd, start);
  if (end == std::string::npos) return false;
  *value = content.substr(start, end - start);
  *at = end + kLineEnd.size();
  return true;
}

// The target (and the arguments, empty when the line is missing) stored in a shortcut file's
// content; false when the content is no shortcut.
bool ParseShortcut(const std::string& content, std::string* target, std::string* arguments) {
  if (content.compare(0, kMagic.size(), kMagic) != 0) return false;
  std::size_t at = kMagic.size();
  if (!ReadLine(content, kTargetKey, &at, target)) return false;
  if (arguments != nullptr && !ReadLine(content, kArgumentsKey, &at, arguments)) {
    arguments->clear();
  }
  return true;
}

std::string WithArguments(std::string line, const std::string& arguments) {
  if (!arguments.empty()) line += " " + arguments;
  return line;
}

bool HasLinkExtension(const std::string& name) {
  const std::string extension = ".LNK";
  return name.size() >= extension.size() &&
         Fold(name.substr(name.size() - extension.size())) == extension;
}

bool IsRelative(const std::string& path) {
  const bool drive = path.size() >= 2 && path[1] == ':';
  return !drive && (path.empty() || (path[0] != '\\' && path[0] != '/'));
}

// The file ShellExecute opens: from the folder argument when the name is relative, then a
// bare name searched for as a program is, else the path from the current folder. Null with
// the lookup's error in *error when it is not there.
FileNode* FindShellFile(SimPlatform::State& state, const std::string& file,
                        const std::string& directory, std::uint32_t* error) {
  FilePath parsed;
  if (!directory.empty() && IsRelative(file) &&
      ParsePath(state, directory + "\\" + file, &parsed) == kErrorSuccess) {
    if (FileNode* node = FindNode(state.files, parsed, error)) return node;
  }
  if (file.find_first_of("\\/:") == std::string::npos) {
    *error = kErrorFileNotFound;
    return SearchProgramName(state, file);
  }
  *error = ParsePath(state, file, &parsed);
  return *error == kErrorSuccess ? FindNode(state.files, parsed, error) : nullptr;
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
  if (!ParseShortcut(content, &stored, nullptr)) return kEFail;
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

std::intptr_t SimShell::ShellExecute(const std::string& verb, const std::string& file,
                                     const std::string& parameters, const std::string& directory,
                                     int /*showCommand*/) {
  StartCostScope cost(state_);
  const auto fail = [this](std::uint32_t error, std::intptr_t result) {
    state_.system.lastError = error;
    return result;
  };
  if (!verb.empty() && !SameName(verb, "open")) {
    return fail(kErrorNoAssociation, kSeErrNoAssociation);
  }
  if (file.empty()) return fail(kErrorInvalidParameter, kSeErrBadFormat);

  std::uint32_t error = kErrorFileNotFound;
  FileNode* node = FindShellFile(state_, file, directory, &error);
  if (node == nullptr) return fail(error, kSeErrFileNotFound);

  const FileNode* image = node;
  std::string commandLine = WithArguments("\"" + file + "\"", parameters);
  std::string target;
  std::string arguments;
  if (!node->folder && ParseShortcut(node->content, &target, &arguments)) {
    FilePath parsed;
    image = nullptr;
    if (ParsePath(state_, target, &parsed) == kErrorSuccess) {
      image = FindNode(state_.files, parsed, &error);
    }
    if (image == nullptr) return fail(kErrorBadExeFormat, kSeErrNoAssociation);
    commandLine = WithArguments(WithArguments("\"" + target + "\"", arguments), parameters);
  } else if (!node->folder && !IsProgramFile(*node) && HasLinkExtension(node->name)) {
    return fail(kErrorBadExeFormat, kSeErrNoAssociation);
  }
  error = StartImage(state_, *image, commandLine, kNormalPriorityClass, nullptr);
  if (error != kErrorSuccess) {
    return fail(error, error < 32 ? static_cast<std::intptr_t>(error) : kSeErrBadFormat);
  }
  return kShellExecuteDone;
}

bool SimShell::ShellExecuteEx(const std::string& verb, const std::string& file,
                              const std::string& parameters, int showCommand, Handle* process) {
  const bool elevate = SameName(verb, "runas");
  if (elevate && state_.system.refuseElevation) {
    state_.system.lastError = kErrorCancelled;
    return false;
  }
  std::intptr_t result = 0;
  std::uint32_t exitCode = 0;
  {
    std::unique_ptr<ElevatedScope> elevated;
    if (elevate) elevated = std::make_unique<ElevatedScope>(state_);
    const std::size_t before = state_.processes.starts.size();
    result =
        ShellExecute(elevate ? std::string() : verb, file, parameters, std::string(), showCommand);
    if (result <= kShellExecuteSuccessAbove) return false;
    if (state_.processes.starts.size() == before) {
      *process = 0;
      return true;
    }
    if (elevate && state_.system.elevatedRun) exitCode = state_.system.elevatedRun(parameters);
  }
  const std::size_t index = state_.processes.starts.size() - 1;
  state_.processes.starts[index].exitCode = exitCode;
  const Handle handle = state_.NewHandle();
  state_.kernelObjects[handle] = KernelObject{KernelObject::Kind::kProcess, "", 0, index};
  *process = handle;
  return true;
}

long SimShell::ShellExecuteThroughDesktop(const std::string& verb, const std::string& file,
                                          const std::string& parameters,
                                          const std::string& directory, int showCommand) {
  if (!state_.system.desktopShell) return HResultFromWin32(kErrorFileNotFound);
  // The desktop runs with the logon's token: standard rights wherever UAC is on.
  const bool wasStandard = state_.files.standardRights;
  SetStandardRights(state_, state_.system.desktopStandardRights);
  const std::intptr_t result = ShellExecute(verb, file, parameters, directory, showCommand);
  SetStandardRights(state_, wasStandard);
  // Explorer reports its own failures to the user; the call itself has done its part.
  (void)result;
  return kSOk;
}

}  // namespace lw::sim
