#include "platform/sim/SimRegistryTree.h"

#include <algorithm>

namespace lw::sim {

std::shared_ptr<RegNode> RootNode(const RegistryState& registry, HKey root) {
  switch (root) {
    case kHKeyClassesRoot:
      return registry.classes;
    case kHKeyCurrentUser:
      return registry.currentUser;
    case kHKeyLocalMachine:
      return registry.machine;
    case kHKeyUsers:
      return registry.users;
    case kHKeyCurrentConfig:
      return registry.currentConfig;
    case kHKeyDynData:
      return registry.dynData;
    default:
      return nullptr;
  }
}

bool IsPredefinedRoot(HKey key) { return key >= kHKeyClassesRoot && key <= kHKeyDynData; }

bool IsRootKey(const RegistryState& registry, const RegNode& node) {
  for (const auto* root : {&registry.machine, &registry.users, &registry.dynData,
                           &registry.currentUser, &registry.classes, &registry.currentConfig}) {
    if (root->get() == &node) return true;
  }
  return false;
}

bool IsHiveHolder(const RegistryState& registry, const RegNode& node) {
  return &node == registry.machine.get() || &node == registry.users.get();
}

long SplitKeyPath(const std::string& path, std::vector<std::string>* parts) {
  if (!path.empty() && path[0] == '\\') return kErrorBadPathname;
  *parts = Split(path, '\\', true);
  return kErrorSuccess;
}

std::shared_ptr<RegNode> FindChild(const RegNode& node, const std::string& name) {
  auto found = node.children.find(name);
  return found == node.children.end() ? nullptr : found->second;
}

std::shared_ptr<RegNode> WalkExisting(const std::shared_ptr<RegNode>& start,
                                      const std::vector<std::string>& parts, std::size_t* matched) {
  std::shared_ptr<RegNode> node = start;
  *matched = 0;
  for (const std::string& part : parts) {
    std::shared_ptr<RegNode> child = FindChild(*node, part);
    if (!child) break;
    node = child;
    ++*matched;
  }
  return node;
}

std::shared_ptr<RegNode> AddChild(RegNode& parent, const std::string& name) {
  auto child = std::make_shared<RegNode>();
  child->name = name;
  child->parent = &parent;
  parent.children[name] = child;
  return child;
}

std::shared_ptr<RegNode> CreatePath(const std::shared_ptr<RegNode>& start,
                                    const std::vector<std::string>& parts) {
  std::shared_ptr<RegNode> node = start;
  for (const std::string& part : parts) {
    std::shared_ptr<RegNode> child = FindChild(*node, part);
    node = child ? child : AddChild(*node, part);
  }
  return node;
}

std::string NodePath(const RegNode& node) {
  std::vector<const RegNode*> chain;
  for (const RegNode* at = &node; at != nullptr; at = at->parent) chain.push_back(at);
  std::string path;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    if (!path.empty()) path += '\\';
    path += Fold((*it)->name);
  }
  return path;
}

std::string NodePath(const RegNode& node, const std::vector<std::string>& below) {
  std::string path = NodePath(node);
  for (const std::string& part : below) path += '\\' + Fold(part);
  return path;
}

bool WritesDenied(const RegistryState& registry, const RegNode& node) {
  std::vector<const RegNode*> chain;
  for (const RegNode* at = &node; at != nullptr; at = at->parent) chain.push_back(at);
  if (registry.standardRights && chain.back() == registry.machine.get()) return true;
  if (registry.writeRules.empty()) return false;
  bool denied = false;
  std::string path;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    if (!path.empty()) path += '\\';
    path += Fold((*it)->name);
    auto rule = registry.writeRules.find(path);
    if (rule != registry.writeRules.end()) denied = rule->second;
  }
  return denied;
}

void SetWriteRule(RegistryState& registry, const RegNode& node, bool deny) {
  const std::string path = NodePath(node);
  const std::string below = path + '\\';
  for (auto it = registry.writeRules.begin(); it != registry.writeRules.end();) {
    if (it->first.compare(0, below.size(), below) == 0) {
      it = registry.writeRules.erase(it);
    } else {
      ++it;
    }
  }
  registry.writeRules[path] = deny;
}

std::string GuardKey(const std::string& keyPath, const std::string& valueName) {
  return keyPath + '\n' + Fold(valueName);
}

RegValue* FindValue(RegNode& node, const std::string& name) {
  auto found = std::find_if(node.values.begin(), node.values.end(),
                            [&](const RegValue& value) { return SameName(value.name, name); });
  return found == node.values.end() ? nullptr : &*found;
}

bool IsWithin(const RegNode& node, const RegNode& ancestor) {
  for (const RegNode* at = &node; at != nullptr; at = at->parent) {
    if (at == &ancestor) return true;
  }
  return false;
}

bool HasOpenHandles(const RegistryState& registry, const RegNode& subtree) {
  for (const auto& [value, handle] : registry.handles) {
    if (handle.node && !handle.node->deleted && IsWithin(*handle.node, subtree)) return true;
  }
  return false;
}

void MarkDeleted(RegNode& node) {
  for (auto& [name, child] : node.children) MarkDeleted(*child);
  node.deleted = true;
  node.parent = nullptr;
}

}  // namespace lw::sim
