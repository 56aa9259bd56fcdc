#include "platform/sim/SimProcess.h"

#include <array>

#include "platform/sim/SimFileTree.h"

// How CreateProcess (no application name) finds its program, as Windows documents it and as
// Wine does it, down to the error codes:
// - A command line that begins with a double quote names the program up to the next double
//   quote: an empty name is kErrorInvalidParameter, a missing closing quote or a name that is
//   not found kErrorFileNotFound, a folder kErrorAccessDenied, a file that is no program
//   kErrorBadExeFormat.
// - Otherwise the blank- (or tab-) separated prefixes of the line are tried in turn, shortest
//   first: "C:\Program Files\A B\x.exe y" tries "C:\Program", "C:\Program Files\A",
//   "C:\Program Files\A B\x.exe" and the whole line. A prefix that names a folder is passed
//   over; the first that names a file decides (kErrorBadExeFormat when it is no program).
//   Nothing found is kErrorFileNotFound - a missing folder on the way included, as Wine has it.
// - Each name is looked up as SearchPath does (see SimProcess.h). Environment variables are
//   not expanded and App Paths is not consulted: "%SystemRoot%\x.exe" is a relative path that
//   is not there.
// - Wine gives the started program its command line with the found name put in double quotes
//   when it was given without them; Windows passes the line unchanged. The record keeps the
//   line as the caller gave it.

namespace lw::sim {

namespace {

constexpr std::array<std::uint32_t, 6> kPriorityClasses = {
    kNormalPriorityClass,   kIdlePriorityClass,        kHighPriorityClass,
    kRealtimePriorityClass, kBelowNormalPriorityClass, kAboveNormalPriorityClass,
};

bool HasFolderPart(const std::string& name) {
  return name.find_first_of("\\/:") != std::string::npos;
}

bool HasExtension(const std::string& name) {
  const std::size_t slash = name.find_last_of("\\/");
  const std::size_t dot = name.find_last_of('.');
  return dot != std::string::npos && (slash == std::string::npos || dot > slash);
}

FileNode* Lookup(SimPlatform::State& state, const std::string& path) {
  FilePath parsed;
  std::uint32_t error = ParsePath(state, path, &parsed);
  return error == kErrorSuccess ? FindNode(state.files, parsed, &error) : nullptr;
}

// The folders a bare name is searched in, in their order.
std::vector<std::string> SearchFolders(const SimPlatform::State& state) {
  std::vector<std::string> folders = {CurrentFolder(state), state.system.systemDirectory,
                                      state.system.windowsDirectory};
  auto path = state.system.environment.find(Fold("PATH"));
  if (path != state.system.environment.end()) {
    for (const std::string& folder : Split(path->second.second, ';', true)) {
      const std::string trimmed = Trim(folder);
      if (!trimmed.empty()) folders.push_back(trimmed);
    }
  }
  return folders;
}

std::string InFolder(const std::string& folder, const std::string& name) {
  if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) return folder + name;
  return folder + "\\" + name;
}

// What a name that was found means for CreateProcess.
std::uint32_t Judge(const FileNode& node) {
  if (node.folder) return kErrorAccessDenied;
  return IsProgramFile(node) ? kErrorSuccess : kErrorBadExeFormat;
}

}  // namespace

bool HasSeveralPriorityClasses(std::uint32_t creationFlags) {
  int count = 0;
  for (std::uint32_t priority : kPriorityClasses) {
    if ((creationFlags & priority) != 0) ++count;
  }
  return count > 1;
}

bool IsProgramFile(const FileNode& node) {
  if (node.folder) return false;
  const std::size_t dot = node.name.find_last_of('.');
  if (dot == std::string::npos) return false;
  const std::string extension = Fold(node.name.substr(dot));
  return extension == ".EXE" || extension == ".COM" || extension == ".BAT" || extension == ".CMD";
}

FileNode* SearchProgramName(SimPlatform::State& state, const std::string& name) {
  if (name.empty()) return nullptr;
  // Every folder is searched with ".exe" added before any is searched for the name alone.
  std::vector<std::string> candidates;
  if (!HasExtension(name)) candidates.push_back(name + ".exe");
  candidates.push_back(name);
  const std::vector<std::string> folders =
      HasFolderPart(name) ? std::vector<std::string>{std::string()} : SearchFolders(state);
  for (const std::string& candidate : candidates) {
    for (const std::string& folder : folders) {
      FileNode* node = Lookup(state, folder.empty() ? candidate : InFolder(folder, candidate));
      if (node != nullptr) return node;
    }
  }
  return nullptr;
}

std::uint32_t FindProgram(SimPlatform::State& state, const std::string& commandLine,
                          FileNode** program) {
  if (!commandLine.empty() && commandLine[0] == '"') {
    const std::size_t close = commandLine.find('"', 1);
    if (close == std::string::npos) return kErrorFileNotFound;
    if (close == 1) return kErrorInvalidParameter;
    FileNode* node = SearchProgramName(state, commandLine.substr(1, close - 1));
    if (node == nullptr) return kErrorFileNotFound;
    const std::uint32_t verdict = Judge(*node);
    if (verdict == kErrorSuccess) *program = node;
    return verdict;
  }
  for (std::size_t end = 0; end <= commandLine.size(); ++end) {
    if (end < commandLine.size() && commandLine[end] != ' ' && commandLine[end] != '\t') continue;
    if (end == 0) continue;
    FileNode* node = SearchProgramName(state, commandLine.substr(0, end));
    if (node == nullptr || node->folder) continue;
    const std::uint32_t verdict = Judge(*node);
    if (verdict == kErrorSuccess) *program = node;
    return verdict;
  }
  return kErrorFileNotFound;
}

std::uint32_t StartImage(SimPlatform::State& state, const FileNode& image,
                         const std::string& commandLine, std::uint32_t creationFlags,
                         ProcessInformation* info) {
  const std::string path = NodeFullPath(image);
  // A failure staged as kErrorSuccess is none.
  auto failure = state.processes.failures.find(Fold(path));
  if (failure != state.processes.failures.end() && failure->second != kErrorSuccess) {
    return failure->second;
  }
  std::uint32_t priority = 0;
  for (std::uint32_t each : kPriorityClasses) priority |= creationFlags & each;
  state.processes.starts.push_back(SimPlatform::ProcessStart{
      commandLine, path, creationFlags, state.clock.now,
      priority == 0 ? kNormalPriorityClass : priority, (creationFlags & kCreateSuspended) != 0,
      state.files.standardRights});
  const std::size_t index = state.processes.starts.size() - 1;
  const std::uint32_t processId = state.processes.nextId;
  state.processes.nextId += 8;
  state.processes.starts[index].processId = processId;
  if (info != nullptr) {
    ProcessInformation started;
    started.process = state.NewHandle();
    started.thread = state.NewHandle();
    state.kernelObjects[started.process] = KernelObject{KernelObject::Kind::kProcess, "", 0, index};
    state.kernelObjects[started.thread] = KernelObject{KernelObject::Kind::kThread, "", 0, index};
    started.processId = processId;
    started.threadId = processId + 4;
    *info = started;
  }
  return kErrorSuccess;
}

}  // namespace lw::sim
