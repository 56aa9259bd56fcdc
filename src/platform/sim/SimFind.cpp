#include "platform/sim/SimFind.h"

#include "platform/sim/SimText.h"

namespace lw::sim {

namespace {

// '*' takes any run of characters; '?' one character, or none where the name has a dot or
// has ended (so "?.*" finds "." too, as on Windows).
bool Glob(const char* name, const char* pattern) {
  switch (*pattern) {
    case '\0':
      return *name == '\0';
    case '*':
      for (const char* rest = name;; ++rest) {
        if (Glob(rest, pattern + 1)) return true;
        if (*rest == '\0') return false;
      }
    case '?':
      if ((*name == '\0' || *name == '.') && Glob(name, pattern + 1)) return true;
      return *name != '\0' && Glob(name + 1, pattern + 1);
    default:
      return *name != '\0' && FoldChar(*pattern) == FoldChar(*name) && Glob(name + 1, pattern + 1);
  }
}

bool IsShortName(const std::string& name) {
  const std::size_t dot = name.find('.');
  const std::string base = name.substr(0, dot);
  const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot + 1);
  return !base.empty() && base.size() <= 8 && extension.size() <= 3 &&
         extension.find('.') == std::string::npos &&
         name.find_first_of(" +,;=[]") == std::string::npos;
}

// The 8.3 name NTFS gives a long name ("file.html" is FILE~1.HTM); patterns match it too,
// which is why "*.htm" finds "file.html" on Windows.
std::string ShortName(const std::string& name) {
  if (IsShortName(name)) return std::string();
  const std::size_t dot = name.rfind('.');
  std::string base;
  for (char c : name.substr(0, dot == 0 ? std::string::npos : dot)) {
    if (c != ' ' && c != '.' && base.size() < 6) base += FoldChar(c);
  }
  std::string extension;
  if (dot != std::string::npos && dot != 0) {
    for (char c : name.substr(dot + 1)) {
      if (c != ' ' && extension.size() < 3) extension += FoldChar(c);
    }
  }
  return base + "~1" + (extension.empty() ? std::string() : "." + extension);
}

}  // namespace

bool MatchesPattern(const std::string& name, const std::string& pattern) {
  if (pattern == "*.*" || pattern == "*") return true;
  const auto matches = [&](const std::string& candidate) {
    if (Glob(candidate.c_str(), pattern.c_str())) return true;
    return candidate.find('.') == std::string::npos &&
           Glob((candidate + ".").c_str(), pattern.c_str());
  };
  if (matches(name)) return true;
  const std::string shortName = name == "." || name == ".." ? std::string() : ShortName(name);
  return !shortName.empty() && matches(shortName);
}

std::uint32_t EntryAttributes(const FileNode& node) {
  if (node.folder) return node.attributes | kFileAttributeDirectory;
  std::uint32_t attributes = node.attributes & ~kFileAttributeDirectory;
  if (attributes == 0) return kFileAttributeNormal;
  if (attributes != kFileAttributeNormal) attributes &= ~kFileAttributeNormal;
  return attributes;
}

std::vector<FindData> ListMatches(const FileNode& folder, const std::string& pattern) {
  std::vector<FindData> entries;
  if (folder.parent != nullptr) {
    for (const char* dots : {".", ".."}) {
      if (MatchesPattern(dots, pattern)) {
        entries.push_back(FindData{dots, kFileAttributeDirectory, 0});
      }
    }
  }
  for (const auto& [name, child] : folder.children) {
    if (!MatchesPattern(child->name, pattern)) continue;
    entries.push_back(
        FindData{child->name, EntryAttributes(*child),
                 child->folder ? 0 : static_cast<std::uint64_t>(child->content.size())});
  }
  return entries;
}

}  // namespace lw::sim
