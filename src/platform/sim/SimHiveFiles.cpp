#include "platform/sim/SimHiveFiles.h"

#include "platform/sim/SimFileTree.h"
#include "platform/sim/SimHive.h"
#include "platform/sim/SimRegistryTree.h"
#include "platform/sim/SimToken.h"

namespace lw::sim {

namespace {

bool HivePrivilegesEnabled(const SimPlatform::State& state) {
  return PrivilegeIsEnabled(state, kSeBackupLuid) && PrivilegeIsEnabled(state, kSeRestoreLuid);
}

// The mount point's root and single name; hives mount directly below HKEY_USERS or
// HKEY_LOCAL_MACHINE.
long MountPlace(SimPlatform::State& state, HKey root, const std::string& subKey,
                std::shared_ptr<RegNode>* rootNode, std::string* name) {
  if (root != kHKeyUsers && root != kHKeyLocalMachine) return kErrorInvalidParameter;
  std::vector<std::string> parts;
  if (long error = SplitKeyPath(subKey, &parts)) return error;
  if (parts.size() != 1) return kErrorInvalidParameter;
  *rootNode = RootNode(state.registry, root);
  *name = parts[0];
  return kErrorSuccess;
}

}  // namespace

long LoadHive(SimPlatform::State& state, HKey root, const std::string& subKey,
              const std::string& file) {
  if (!HivePrivilegesEnabled(state)) return kErrorPrivilegeNotHeld;
  std::shared_ptr<RegNode> rootNode;
  std::string name;
  if (long error = MountPlace(state, root, subKey, &rootNode, &name)) return error;
  FilePath path;
  if (std::uint32_t error = ParsePath(state, file, &path)) return static_cast<long>(error);
  std::uint32_t error = kErrorSuccess;
  FileNode* hiveFile = FindNode(state.files, path, &error);
  if (hiveFile == nullptr) return static_cast<long>(error);
  if (hiveFile->folder) return kErrorAccessDenied;
  if (SharingBlocked(*hiveFile)) return kErrorSharingViolation;
  if (FindChild(*rootNode, name)) return kErrorAlreadyExists;
  auto mount = std::make_shared<RegNode>();
  mount->name = name;
  if (!ParseHive(hiveFile->content, mount.get())) return kErrorBadDb;
  mount->parent = rootNode.get();
  mount->hiveFile = path.Text();
  rootNode->children[name] = mount;
  hiveFile->heldByRegistry = true;
  return kErrorSuccess;
}

long UnloadHive(SimPlatform::State& state, HKey root, const std::string& subKey) {
  if (!HivePrivilegesEnabled(state)) return kErrorPrivilegeNotHeld;
  std::shared_ptr<RegNode> rootNode;
  std::string name;
  if (long error = MountPlace(state, root, subKey, &rootNode, &name)) return error;
  std::shared_ptr<RegNode> mount = FindChild(*rootNode, name);
  if (!mount) return kErrorFileNotFound;
  if (mount->hiveFile.empty()) return kErrorAccessDenied;  // a key, not a hive
  if (HasOpenHandles(state.registry, *mount)) return kErrorAccessDenied;
  if (long error = WriteHiveBack(state, *mount)) return error;
  FilePath path;
  std::uint32_t error = ParsePath(state, mount->hiveFile, &path);
  if (error == kErrorSuccess) {
    if (FileNode* hiveFile = FindNode(state.files, path, &error)) hiveFile->heldByRegistry = false;
  }
  rootNode->children.erase(name);
  MarkDeleted(*mount);
  return kErrorSuccess;
}

long SaveHive(SimPlatform::State& state, const RegNode& key, const std::string& file) {
  if (!PrivilegeIsEnabled(state, kSeBackupLuid)) return kErrorPrivilegeNotHeld;
  FilePath path;
  if (std::uint32_t error = ParsePath(state, file, &path)) return static_cast<long>(error);
  std::uint32_t error = kErrorSuccess;
  if (FindNode(state.files, path, &error) != nullptr) return kErrorAlreadyExists;
  FileNode* folder = FindParent(state.files, path, &error);
  if (folder == nullptr) return static_cast<long>(error);
  if (WritesDenied(state.files, *folder)) return kErrorAccessDenied;
  FileNode* saved = AddNode(*folder, path.parts.back(), false);
  saved->content = SerializeHive(key);
  return kErrorSuccess;
}

long WriteHiveBack(SimPlatform::State& state, const RegNode& hiveRoot) {
  FilePath path;
  std::uint32_t error = ParsePath(state, hiveRoot.hiveFile, &path);
  FileNode* hiveFile = error == kErrorSuccess ? FindNode(state.files, path, &error) : nullptr;
  if (hiveFile == nullptr) return kErrorCantWrite;
  hiveFile->content = SerializeHive(hiveRoot);
  return kErrorSuccess;
}

}  // namespace lw::sim
