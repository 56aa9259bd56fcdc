#include "platform/sim/SimRights.h"

#include "platform/sim/SimFileTree.h"
#include "platform/sim/SimToken.h"

namespace lw::sim {

namespace {

// The folders that only an administrator may change, as far as the machine has them.
void MarkAdminOnlyFolders(SimPlatform::State& state) {
  std::vector<std::string> folders = {state.system.windowsDirectory, "C:\\Program Files",
                                      "C:\\Program Files (x86)"};
  auto common = state.specialFolders.find(kCsidlCommonStartup);
  if (common != state.specialFolders.end()) folders.push_back(common->second);
  for (const std::string& folder : folders) {
    FilePath path;
    std::uint32_t error = kErrorSuccess;
    if (folder.empty() || ParsePath(folder, "C:\\", &path) != kErrorSuccess) continue;
    FileNode* node = FindNode(state.files, path, &error);
    if (node != nullptr && node->folder) node->adminOnly = true;
  }
}

}  // namespace

void SetStandardRights(SimPlatform::State& state, bool standard) {
  if (standard == state.files.standardRights) return;
  state.files.standardRights = standard;
  state.registry.standardRights = standard;
  if (standard) {
    MarkAdminOnlyFolders(state);
    // The backup and restore privileges belong to the full token alone.
    state.system.fullTokenPrivileges = state.privileges;
    for (std::uint32_t luid : {kSeBackupLuid, kSeRestoreLuid}) state.privileges[luid] = {};
  } else {
    state.privileges = state.system.fullTokenPrivileges;
  }
}

ElevatedScope::ElevatedScope(SimPlatform::State& state)
    : state_(state), wasStandard_(state.files.standardRights) {
  SetStandardRights(state_, false);
}

ElevatedScope::~ElevatedScope() { SetStandardRights(state_, wasStandard_); }

}  // namespace lw::sim
