#pragma once
// Navigation in the simulated registry: the predefined roots, key paths, the staged write
// rules and guards, which all name keys by their full path from the stored trees.

#include <memory>
#include <string>
#include <vector>

#include "platform/sim/SimState.h"

namespace lw::sim {

// The stored tree behind a predefined root; null for HKEY_PERFORMANCE_DATA and non-roots.
std::shared_ptr<RegNode> RootNode(const RegistryState& registry, HKey root);
bool IsPredefinedRoot(HKey key);
// True for the keys that stand for a root (HKEY_CURRENT_USER's key, for one): never deleted.
bool IsRootKey(const RegistryState& registry, const RegNode& node);
// HKEY_LOCAL_MACHINE and HKEY_USERS: their sub-keys are hives, loaded or unloaded whole.
bool IsHiveHolder(const RegistryState& registry, const RegNode& node);

// Splits a sub-key path; kErrorBadPathname when it begins with a backslash, as Windows NT
// refuses such a relative name. Doubled and trailing backslashes are passed over.
long SplitKeyPath(const std::string& path, std::vector<std::string>* parts);

std::shared_ptr<RegNode> FindChild(const RegNode& node, const std::string& name);
// Follows the parts as far as keys exist; *matched counts the parts found.
std::shared_ptr<RegNode> WalkExisting(const std::shared_ptr<RegNode>& start,
                                      const std::vector<std::string>& parts, std::size_t* matched);
std::shared_ptr<RegNode> AddChild(RegNode& parent, const std::string& name);
// Creates every missing key along the parts (staging only: no rights are checked).
std::shared_ptr<RegNode> CreatePath(const std::shared_ptr<RegNode>& start,
                                    const std::vector<std::string>& parts);

// The full folded path of a key ("HKEY_LOCAL_MACHINE\SOFTWARE\..."), and of a path below it.
std::string NodePath(const RegNode& node);
std::string NodePath(const RegNode& node, const std::vector<std::string>& below);

bool WritesDenied(const RegistryState& registry, const RegNode& node);
// Makes the key and its whole subtree refuse (deny) or accept writes.
void SetWriteRule(RegistryState& registry, const RegNode& node, bool deny);
std::string GuardKey(const std::string& keyPath, const std::string& valueName);

RegValue* FindValue(RegNode& node, const std::string& name);
bool IsWithin(const RegNode& node, const RegNode& ancestor);
bool HasOpenHandles(const RegistryState& registry, const RegNode& subtree);
// Detaches a whole subtree; handles into it then see a deleted key.
void MarkDeleted(RegNode& node);

}  // namespace lw::sim
