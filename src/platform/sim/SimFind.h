#pragma once
// FindFirstFile's matching: wildcard patterns over the entries of one folder.

#include <string>
#include <vector>

#include "platform/sim/SimState.h"

namespace lw::sim {

// '*' matches any run of characters, '?' one character, without regard to case. As on
// Windows, "*.*" matches every name, a name without a dot also matches a pattern that expects
// an empty extension ("name.*"), and a long name matches through its 8.3 name as well.
bool MatchesPattern(const std::string& name, const std::string& pattern);

// The entries of the folder that match, in the order Windows lists them: "." and ".." first
// (folders other than a drive's root have them), then the names in case-insensitive order.
std::vector<FindData> ListMatches(const FileNode& folder, const std::string& pattern);

std::uint32_t EntryAttributes(const FileNode& node);

}  // namespace lw::sim
