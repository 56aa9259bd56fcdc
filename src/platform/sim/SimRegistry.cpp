#include "platform/sim/SimRegistry.h"

#include <algorithm>
#include <cstring>

#include "platform/sim/SimHiveFiles.h"
#include "platform/sim/SimProcessor.h"
#include "platform/sim/SimRegistryTree.h"

// How the simulated registry behaves, as Windows NT does:
// - Every open gives a new handle; closing an unknown or already closed handle gives
//   kErrorInvalidHandle; a handle whose key was deleted gives kErrorKeyDeleted on use.
// - Rights are checked on the handle: values are set and deleted only through a handle with
//   KEY_SET_VALUE, sub-keys created directly below a handle only with KEY_CREATE_SUB_KEY, values
//   read only with KEY_QUERY_VALUE, sub-keys listed only with KEY_ENUMERATE_SUB_KEYS. Predefined
//   roots have every right.
// - The changes that SimPlatform counts are counted when every check has passed, just before
//   the change is made, so a scripted failure hits a call that would otherwise have changed
//   something, and changes nothing.
// - A staged write refusal (DenyKeyWrites) refuses every open that asks for a write right and
//   every change in the subtree, as the key's security would for a user without rights.

namespace lw::sim {

namespace {

constexpr std::size_t kMaxKeyNameLength = 255;
constexpr std::uint32_t kKeyCreateLink = 0x0020;
constexpr std::uint32_t kDelete = 0x00010000;
constexpr std::uint32_t kWriteDac = 0x00040000;
constexpr std::uint32_t kWriteOwner = 0x00080000;
constexpr std::uint32_t kMaximumAllowed = 0x02000000;
constexpr std::uint32_t kGenericAll = 0x10000000;
constexpr std::uint32_t kGenericExecute = 0x20000000;
constexpr std::uint32_t kGenericWrite = 0x40000000;
constexpr std::uint32_t kGenericRead = 0x80000000;
constexpr std::uint32_t kWriteRights =
    kKeySetValue | kKeyCreateSubKey | kKeyCreateLink | kDelete | kWriteDac | kWriteOwner;

// The generic rights mapped onto the key rights; the 32/64-bit view flags select nothing on a
// 32-bit system.
std::uint32_t MapAccess(std::uint32_t access, bool denied) {
  std::uint32_t mapped = access & ~(kKeyWow64_64Key | kKeyWow64_32Key | kMaximumAllowed |
                                    kGenericAll | kGenericExecute | kGenericWrite | kGenericRead);
  if (access & (kGenericRead | kGenericExecute)) mapped |= kKeyRead;
  if (access & kGenericWrite) mapped |= kKeyWrite;
  if (access & kGenericAll) mapped |= kKeyAllAccess;
  if (access & kMaximumAllowed) mapped |= denied ? kKeyRead : kKeyAllAccess;
  return mapped;
}

bool IsStringType(std::uint32_t type) {
  return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

constexpr char kWow64Node[] = "Wow6432Node";

}  // namespace

// 64-bit Windows keeps the 32-bit programs' half of HKEY_LOCAL_MACHINE\SOFTWARE under its
// "Wow6432Node" sub-key: a 32-bit process sees that half unless it asks for the 64-bit view
// (KEY_WOW64_64KEY), a 64-bit process the other unless it asks for the 32-bit one. The rest of
// the registry (the users' keys among it) is one for both.
void SimRegistry::Redirect(const RegNode& start, std::vector<std::string>* parts,
                           std::uint32_t access) const {
  const SystemState& system = state_.system;
  if (!system.windows64) return;
  const bool view32 =
      (access & kKeyWow64_32Key) != 0 || ((access & kKeyWow64_64Key) == 0 && !system.process64);
  if (!view32) return;
  std::size_t at = 0;
  if (&start == state_.registry.machine.get()) {
    if (parts->empty() || !SameName((*parts)[0], "SOFTWARE")) return;
    at = 1;
  } else if (start.parent != state_.registry.machine.get() || !SameName(start.name, "SOFTWARE")) {
    return;
  }
  if (parts->size() > at && SameName((*parts)[at], kWow64Node)) return;
  parts->insert(parts->begin() + static_cast<std::ptrdiff_t>(at), kWow64Node);
}

long SimRegistry::Resolve(HKey key, Target* target) const {
  if (key == kHKeyPerformanceData) {
    target->performance = true;
    target->access = kKeyRead;
    return kErrorSuccess;
  }
  if (std::shared_ptr<RegNode> root = RootNode(state_.registry, key)) {
    target->node = root;
    target->access = kKeyAllAccess;
    return kErrorSuccess;
  }
  auto found = state_.registry.handles.find(key);
  if (found == state_.registry.handles.end()) return kErrorInvalidHandle;
  if (!found->second.node) {
    target->performance = true;
  } else if (found->second.node->deleted) {
    return kErrorKeyDeleted;
  }
  target->node = found->second.node;
  target->access = found->second.access;
  return kErrorSuccess;
}

HKey SimRegistry::NewHandle(std::shared_ptr<RegNode> node, std::uint32_t access) {
  const HKey handle = state_.NewHandle();
  state_.registry.handles[handle] = RegHandle{std::move(node), access};
  return handle;
}

long SimRegistry::OpenKeyEx(HKey parent, const std::string& subKey, std::uint32_t access,
                            HKey* result) {
  state_.NoteRegistryCall();
  if (result == nullptr) return kErrorInvalidParameter;
  Target target;
  if (long error = Resolve(parent, &target)) return error;
  std::vector<std::string> parts;
  if (long error = SplitKeyPath(subKey, &parts)) return error;
  if (target.performance) {
    if (!parts.empty()) return kErrorFileNotFound;
    *result = NewHandle(nullptr, MapAccess(access, true));
    return kErrorSuccess;
  }
  Redirect(*target.node, &parts, access);
  std::size_t matched = 0;
  std::shared_ptr<RegNode> node = WalkExisting(target.node, parts, &matched);
  if (matched != parts.size()) return kErrorFileNotFound;
  const bool denied = WritesDenied(state_.registry, *node);
  const std::uint32_t granted = MapAccess(access, denied);
  if (denied && (granted & kWriteRights) != 0) return kErrorAccessDenied;
  *result = NewHandle(node, granted);
  return kErrorSuccess;
}

long SimRegistry::CreateKeyEx(HKey parent, const std::string& subKey, std::uint32_t access,
                              HKey* result, std::uint32_t* disposition) {
  state_.NoteRegistryCall();
  if (result == nullptr) return kErrorInvalidParameter;
  Target target;
  if (long error = Resolve(parent, &target)) return error;
  std::vector<std::string> parts;
  if (long error = SplitKeyPath(subKey, &parts)) return error;
  if (target.performance) {
    return parts.empty() ? OpenKeyEx(parent, subKey, access, result) : kErrorAccessDenied;
  }
  Redirect(*target.node, &parts, access);
  std::size_t matched = 0;
  std::shared_ptr<RegNode> node = WalkExisting(target.node, parts, &matched);
  const bool creates = matched != parts.size();
  if (creates) {
    // A key name has at most 255 characters.
    for (std::size_t i = matched; i < parts.size(); ++i) {
      if (parts[i].size() > kMaxKeyNameLength) return kErrorInvalidParameter;
    }
    // Creating needs the right to add sub-keys to the nearest existing key: through the
    // handle when that key is the handle's own, through the key's security in any case.
    if (WritesDenied(state_.registry, *node)) return kErrorAccessDenied;
    if (matched == 0 && (target.access & kKeyCreateSubKey) == 0) return kErrorAccessDenied;
    // Directly below HKEY_LOCAL_MACHINE and HKEY_USERS live only hives, which are loaded,
    // never created.
    if (IsHiveHolder(state_.registry, *node)) return kErrorAccessDenied;
  }
  const bool denied = !creates && WritesDenied(state_.registry, *node);
  const std::uint32_t granted = MapAccess(access, denied);
  if (denied && (granted & kWriteRights) != 0) return kErrorAccessDenied;
  std::uint32_t failure = kErrorSuccess;
  if (creates && !state_.CountChange(&failure)) return static_cast<long>(failure);
  for (std::size_t i = matched; i < parts.size(); ++i) node = AddChild(*node, parts[i]);
  *result = NewHandle(node, granted);
  if (disposition != nullptr) *disposition = creates ? kRegCreatedNewKey : kRegOpenedExistingKey;
  return kErrorSuccess;
}

long SimRegistry::CloseKey(HKey key) {
  if (IsPredefinedRoot(key)) return kErrorSuccess;
  return state_.registry.handles.erase(key) == 1 ? kErrorSuccess : kErrorInvalidHandle;
}

long SimRegistry::FlushKey(HKey key) {
  Target target;
  if (long error = Resolve(key, &target)) return error;
  // A key inside a loaded hive is written through to the hive file, as the real flush does.
  for (RegNode* at = target.node.get(); at != nullptr; at = at->parent) {
    if (!at->hiveFile.empty()) return WriteHiveBack(state_, *at);
  }
  return kErrorSuccess;
}

long SimRegistry::QueryValueEx(HKey key, const std::string& name, std::uint32_t* type, void* data,
                               std::uint32_t* size) {
  state_.NoteRegistryCall();
  Target target;
  if (long error = Resolve(key, &target)) return error;
  if (target.performance) {
    // Like HKEY_PERFORMANCE_DATA: a buffer too small gives kErrorMoreData and the size is left
    // as it was (Windows documents it as undefined), so callers grow the buffer and retry.
    const std::vector<std::uint8_t> block = PerformanceBlock(state_);
    if (block.empty()) return kErrorFileNotFound;
    if (data == nullptr || size == nullptr || *size < block.size()) return kErrorMoreData;
    std::memcpy(data, block.data(), block.size());
    *size = static_cast<std::uint32_t>(block.size());
    if (type != nullptr) *type = kRegBinary;
    return kErrorSuccess;
  }
  if ((target.access & kKeyQueryValue) == 0) return kErrorAccessDenied;
  if (data != nullptr && size == nullptr) return kErrorInvalidParameter;
  const RegValue* value = FindValue(*target.node, name);
  if (value == nullptr) return kErrorFileNotFound;
  const auto length = static_cast<std::uint32_t>(value->data.size());
  if (data != nullptr && *size < length) {
    *size = length;
    if (type != nullptr) *type = value->type;
    return kErrorMoreData;
  }
  if (data != nullptr) {
    auto* bytes = static_cast<char*>(data);
    std::memcpy(bytes, value->data.data(), length);
    // The ANSI call ends a string stored without its zero with one when the buffer has room;
    // the size stays that of the stored data.
    if (IsStringType(value->type) && length > 0 && length < *size && bytes[length - 1] != 0) {
      bytes[length] = 0;
    }
  }
  if (size != nullptr) *size = length;
  if (type != nullptr) *type = value->type;
  return kErrorSuccess;
}

long SimRegistry::SetValueEx(HKey key, const std::string& name, std::uint32_t type,
                             const void* data, std::uint32_t size) {
  state_.NoteRegistryCall();
  Target target;
  if (long error = Resolve(key, &target)) return error;
  if (data == nullptr && size != 0) return kErrorInvalidParameter;
  if (name.size() > kMaxValueNameLength) return kErrorInvalidParameter;
  if (target.performance || (target.access & kKeySetValue) == 0 ||
      WritesDenied(state_.registry, *target.node)) {
    return kErrorAccessDenied;
  }
  std::uint32_t failure = kErrorSuccess;
  if (!state_.CountChange(&failure)) return static_cast<long>(failure);
  std::string bytes(static_cast<const char*>(data), size);
  if (RegValue* value = FindValue(*target.node, name)) {
    value->type = type;
    value->data = std::move(bytes);
  } else {
    target.node->values.push_back(RegValue{name, type, std::move(bytes)});
  }
  return kErrorSuccess;
}

long SimRegistry::DeleteValue(HKey key, const std::string& name) {
  state_.NoteRegistryCall();
  Target target;
  if (long error = Resolve(key, &target)) return error;
  if (target.performance || (target.access & kKeySetValue) == 0 ||
      WritesDenied(state_.registry, *target.node)) {
    return kErrorAccessDenied;
  }
  RegNode& node = *target.node;
  RegValue* value = FindValue(node, name);
  if (value == nullptr) return kErrorFileNotFound;
  auto guard = state_.registry.guards.find(GuardKey(NodePath(node), name));
  if (guard != state_.registry.guards.end() && guard->second == SimPlatform::Guard::kRefuseDelete) {
    return kErrorAccessDenied;
  }
  std::uint32_t failure = kErrorSuccess;
  if (!state_.CountChange(&failure)) return static_cast<long>(failure);
  RegValue removed = *value;
  node.values.erase(node.values.begin() + (value - node.values.data()));
  // The guarding program writes the value straight back: it reappears, now the newest value.
  if (guard != state_.registry.guards.end()) node.values.push_back(std::move(removed));
  return kErrorSuccess;
}

long SimRegistry::DeleteKey(HKey parent, const std::string& subKey) {
  return DeleteKeyEx(parent, subKey, 0);  // RegDeleteKey works in the process's own view
}

long SimRegistry::DeleteKeyEx(HKey parent, const std::string& subKey, std::uint32_t view) {
  state_.NoteRegistryCall();
  Target target;
  if (long error = Resolve(parent, &target)) return error;
  std::vector<std::string> parts;
  if (long error = SplitKeyPath(subKey, &parts)) return error;
  if (target.performance) return parts.empty() ? kErrorAccessDenied : kErrorFileNotFound;
  Redirect(*target.node, &parts, view);
  std::size_t matched = 0;
  std::shared_ptr<RegNode> node = WalkExisting(target.node, parts, &matched);
  if (matched != parts.size()) return kErrorFileNotFound;
  if (node->parent == nullptr || IsHiveHolder(state_.registry, *node->parent) ||
      IsRootKey(state_.registry, *node) || !node->children.empty() ||
      WritesDenied(state_.registry, *node)) {
    return kErrorAccessDenied;
  }
  std::uint32_t failure = kErrorSuccess;
  if (!state_.CountChange(&failure)) return static_cast<long>(failure);
  RegNode* owner = node->parent;
  owner->children.erase(node->name);
  MarkDeleted(*node);
  return kErrorSuccess;
}

long SimRegistry::EnumKeyEx(HKey key, std::uint32_t index, std::string* name) {
  state_.NoteRegistryCall();
  Target target;
  if (long error = Resolve(key, &target)) return error;
  if ((target.access & kKeyEnumerateSubKeys) == 0) return kErrorAccessDenied;
  if (target.performance || index >= target.node->children.size()) return kErrorNoMoreItems;
  *name = std::next(target.node->children.begin(), index)->second->name;
  return kErrorSuccess;
}

long SimRegistry::EnumValue(HKey key, std::uint32_t index, std::string* name) {
  state_.NoteRegistryCall();
  Target target;
  if (long error = Resolve(key, &target)) return error;
  if ((target.access & kKeyQueryValue) == 0) return kErrorAccessDenied;
  if (target.performance || index >= target.node->values.size()) return kErrorNoMoreItems;
  *name = target.node->values[index].name;
  return kErrorSuccess;
}

long SimRegistry::QueryInfoKey(HKey key, RegKeyInfo* info) {
  state_.NoteRegistryCall();
  Target target;
  if (long error = Resolve(key, &target)) return error;
  if ((target.access & kKeyQueryValue) == 0) return kErrorAccessDenied;
  RegKeyInfo result;
  if (!target.performance) {
    const RegNode& node = *target.node;
    result.subKeys = static_cast<std::uint32_t>(node.children.size());
    result.values = static_cast<std::uint32_t>(node.values.size());
    for (const auto& [childName, child] : node.children) {
      result.maxSubKeyLen =
          std::max(result.maxSubKeyLen, static_cast<std::uint32_t>(child->name.size()));
    }
    for (const RegValue& value : node.values) {
      result.maxValueNameLen =
          std::max(result.maxValueNameLen, static_cast<std::uint32_t>(value.name.size()));
      result.maxValueLen =
          std::max(result.maxValueLen, static_cast<std::uint32_t>(value.data.size()));
    }
  }
  if (info != nullptr) *info = result;
  return kErrorSuccess;
}

long SimRegistry::LoadKey(HKey root, const std::string& subKey, const std::string& file) {
  return LoadHive(state_, root, subKey, file);
}

long SimRegistry::UnLoadKey(HKey root, const std::string& subKey) {
  return UnloadHive(state_, root, subKey);
}

long SimRegistry::SaveKey(HKey key, const std::string& file) {
  Target target;
  if (long error = Resolve(key, &target)) return error;
  if (target.performance) return kErrorInvalidParameter;
  return SaveHive(state_, *target.node, file);
}

long SimRegistry::ConnectRegistry(const std::string& machine, HKey root, HKey* result) {
  if (result == nullptr) return kErrorInvalidParameter;
  if (!IsPredefinedRoot(root)) return kErrorInvalidHandle;
  // No network: only the local machine answers, and its roots are the predefined handles.
  if (!machine.empty()) return kErrorBadNetpath;
  *result = root;
  return kErrorSuccess;
}

}  // namespace lw::sim
