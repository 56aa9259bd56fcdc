#include "platform/sim/SimSecurity.h"

#include "platform/sim/SimFileTree.h"
#include "platform/sim/SimText.h"

namespace lw::sim {

namespace {

constexpr std::uint8_t kInherit = kObjectInheritAce | kContainerInheritAce;
constexpr std::uint32_t kModify = 0x001301BF;

bool IsProtectedSystemFolder(const SimPlatform::State& state, const FileNode& node) {
  const std::string path = NodeFullPath(node);
  for (const std::string& folder : {state.system.windowsDirectory, std::string("C:\\Program Files"),
                                    std::string("C:\\Program Files (x86)")}) {
    if (!folder.empty() && Fold(path) == Fold(folder)) return true;
  }
  return false;
}

// What a new child of a folder with this security gets: the entries meant for children of its
// kind, the inherit-only mark cleared where they apply to the child itself.
FileSecurity Inherited(const FileSecurity& parent, bool folder) {
  FileSecurity child;
  child.ownerSid = kSidAdministrators;
  for (const AccessEntry& entry : parent.dacl) {
    const bool toFolders = (entry.flags & kContainerInheritAce) != 0;
    const bool toFiles = (entry.flags & kObjectInheritAce) != 0;
    if (folder ? !(toFolders || toFiles) : !toFiles) continue;
    AccessEntry passed = entry;
    const bool applies = folder ? toFolders : true;
    if (applies && passed.sid == kSidCreatorOwner) {
      // The creator's entry for the object itself; the placeholder stays for its children.
      AccessEntry own = passed;
      own.sid = child.ownerSid;
      own.flags = 0;
      child.dacl.push_back(own);
      if (folder) {
        passed.flags |= kInheritOnlyAce;
        child.dacl.push_back(passed);
      }
      continue;
    }
    if (!folder) {
      passed.flags = 0;
    } else if (applies) {
      passed.flags &= static_cast<std::uint8_t>(~kInheritOnlyAce);
    } else {
      passed.flags |= kInheritOnlyAce;
    }
    child.dacl.push_back(passed);
  }
  return child;
}

}  // namespace

FileSecurity DriveRootSecurity() {
  FileSecurity security;
  security.ownerSid = kSidLocalSystem;
  security.dacl = {
      {kAccessAllowedAceType, kInherit, kFileAllAccess, kSidAdministrators},
      {kAccessAllowedAceType, kInherit, kFileAllAccess, kSidLocalSystem},
      {kAccessAllowedAceType, kInherit, kFileGenericReadExecute, kSidUsers},
      {kAccessAllowedAceType, kInherit | kInheritOnlyAce, kModify, kSidAuthenticatedUsers},
      {kAccessAllowedAceType, 0, kFileAppendData, kSidAuthenticatedUsers},
  };
  return security;
}

FileSecurity ProtectedSystemFolderSecurity() {
  FileSecurity security;
  security.ownerSid = kSidTrustedInstaller;
  security.dacl = {
      {kAccessAllowedAceType, kContainerInheritAce, kFileAllAccess, kSidTrustedInstaller},
      {kAccessAllowedAceType, 0, kModify, kSidLocalSystem},
      {kAccessAllowedAceType, kInherit | kInheritOnlyAce, kGenericAll, kSidLocalSystem},
      {kAccessAllowedAceType, 0, kModify, kSidAdministrators},
      {kAccessAllowedAceType, kInherit | kInheritOnlyAce, kGenericAll, kSidAdministrators},
      {kAccessAllowedAceType, kInherit, kFileGenericReadExecute, kSidUsers},
      {kAccessAllowedAceType, kInherit | kInheritOnlyAce, kGenericAll, kSidCreatorOwner},
  };
  return security;
}

FileSecurity EffectiveSecurity(const SimPlatform::State& state, const FileNode& node) {
  if (node.security) return *node.security;
  if (node.parent == nullptr) return DriveRootSecurity();
  if (node.folder && IsProtectedSystemFolder(state, node)) return ProtectedSystemFolderSecurity();
  return Inherited(EffectiveSecurity(state, *node.parent), node.folder);
}

}  // namespace lw::sim
