#include "util/ExecutablePath.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "platform/Platform.h"
#include "store/Registry.h"
#include "store/SettingsStore.h"
#include "util/Error.h"
#include "util/WindowsBitness.h"

namespace lw {

namespace {

// System directory, Windows directory, then the %PATH% entries in their order. The whole
// expansion of %PATH% is searched, however long it is: a fixed buffer would silently drop the
// entries past its end. Empty entries (";;") are skipped: they name no folder.
std::vector<std::string> SearchFolders() {
  std::vector<std::string> folders = {Sys().GetSystemDirectory(), Sys().GetWindowsDirectory()};
  std::string path = Sys().ExpandEnvironmentStrings("%PATH%");
  if (path == "%PATH%") path.clear();  // no such variable: the text stays as written
  std::string::size_type start = 0;
  while (start <= path.size()) {
    std::string::size_type end = path.find(';', start);
    if (end == std::string::npos) end = path.size();
    folders.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return folders;
}

}  // namespace

// Installers write the entry as REG_EXPAND_SZ ("%ProgramFiles%\...") and sometimes in double
// quotes.
// On 64-bit Windows the machine's App Paths has two views; Windows' own logon, a 64-bit
// program, looks in the 64-bit one, and the program's own view follows.
std::string AppPathsEntry(HKey root, const std::string& exe) {
  std::string entry;
  Registry registry;
  const std::uint32_t views[] = {
      root == kHKeyLocalMachine && IsWindows64() ? kKeyWow64_64Key : kOwnView, kOwnView};
  for (std::uint32_t view : views) {
    ScopedRegistryView inView(registry, view);
    try {
      entry = registry.GetStringAt(root, std::string(kAppPathsKey) + "\\" + exe, "");
    } catch (const Error&) {
      entry.clear();  // a default value that is no text names no file
    }
    if (!entry.empty()) break;
  }
  if (entry.find('%') != std::string::npos) entry = Sys().ExpandEnvironmentStrings(entry);
  if (entry.size() >= 2 && entry.front() == '"' && entry.back() == '"') {
    entry = entry.substr(1, entry.size() - 2);
  }
  return entry;
}

std::string ExtractExePath(const std::string& commandLine) {
  std::string lower = commandLine;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  std::string::size_type at = lower.find(".exe");
  if (at == std::string::npos) return std::string();
  std::string exe = commandLine.substr(0, at + 4);
  if (exe.front() == '"') exe.erase(0, 1);
  return exe;
}

std::string ResolveExecutable(const std::string& commandLine) {
  std::string exe = ExtractExePath(commandLine);
  if (exe.empty()) return exe;
  // System32 as Windows' own logon sees it: the 64-bit folder on 64-bit Windows.
  FsRedirectionOff nativeSystemFolder;
  if (FileExists(exe)) return exe;
  std::string registered = AppPathsEntry(kHKeyLocalMachine, exe);
  if (FileExists(registered)) return registered;
  for (std::string folder : SearchFolders()) {
    if (folder.empty()) continue;
    if (folder.back() != '\\') folder += '\\';
    if (FileExists(folder + exe)) return folder + exe;
  }
  return std::string();
}

bool FileExists(const std::string& path) {
  if (path.empty()) return false;
  const std::uint32_t attributes = Files().GetFileAttributes(path);
  return attributes != kInvalidFileAttributes && (attributes & kFileAttributeDirectory) == 0;
}

bool FolderExists(const std::string& path) {
  if (path.empty()) return false;
  std::string folder = path;
  if (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  const std::uint32_t attributes = Files().GetFileAttributes(folder);
  return attributes != kInvalidFileAttributes && (attributes & kFileAttributeDirectory) != 0;
}

std::string ResolveCommandProgram(const std::string& commandLine) {
  return ResolveExecutable(commandLine.find('%') == std::string::npos
                               ? commandLine
                               : Sys().ExpandEnvironmentStrings(commandLine));
}

}  // namespace lw
