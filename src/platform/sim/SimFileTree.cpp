#include "platform/sim/SimFileTree.h"

#include <cctype>
#include <iterator>
#include <stdexcept>

namespace lw::sim {

namespace {

bool ValidName(const std::string& name) {
  for (char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 32) return false;
    switch (c) {
      case '<':
      case '>':
      case ':':
      case '"':
      case '|':
      case '?':
      case '*':
        return false;
      default:
        break;
    }
  }
  return true;
}

// Win32 drops the trailing dots and blanks of every name ("file." is "file").
std::string StripTrailing(const std::string& name) {
  std::size_t end = name.size();
  while (end > 0 && (name[end - 1] == '.' || name[end - 1] == ' ')) --end;
  return name.substr(0, end);
}

}  // namespace

std::string FilePath::Text() const {
  std::string text = drive + "\\";
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) text += '\\';
    text += parts[i];
  }
  return text;
}

std::uint32_t ParsePath(const std::string& path, const std::string& currentFolder,
                        FilePath* result) {
  std::string text = path;
  for (char& c : text) {
    if (c == '/') c = '\\';
  }
  if (text.empty()) return kErrorPathNotFound;
  if (text.size() >= 2 && text[0] == '\\' && text[1] == '\\') return kErrorBadNetpath;

  FilePath current;
  if (!currentFolder.empty()) {
    if (ParsePath(currentFolder, std::string(), &current) != kErrorSuccess) current = FilePath();
  }
  if (current.drive.empty()) current.drive = "C:";

  FilePath parsed;
  std::string rest;
  const auto letter = static_cast<unsigned char>(text[0]);
  if (text.size() >= 2 && text[1] == ':' && std::isalpha(letter)) {
    parsed.drive = std::string(1, FoldChar(text[0])) + ":";
    rest = text.substr(2);
    if ((rest.empty() || rest[0] != '\\') && SameName(parsed.drive, current.drive)) {
      parsed.parts = current.parts;
    }
  } else if (text[0] == '\\') {
    parsed.drive = current.drive;
    rest = text;
  } else {
    parsed = current;
    rest = text;
  }
  for (const std::string& piece : Split(rest, '\\', true)) {
    if (piece == ".") continue;
    if (piece == "..") {
      if (!parsed.parts.empty()) parsed.parts.pop_back();
      continue;
    }
    if (!ValidName(piece)) return kErrorInvalidName;
    const std::string name = StripTrailing(piece);
    if (!name.empty()) parsed.parts.push_back(name);
  }
  *result = std::move(parsed);
  return kErrorSuccess;
}

std::string CurrentFolder(const SimPlatform::State& state) {
  const std::string& module = state.system.moduleFileName;
  const std::size_t slash = module.find_last_of("\\/");
  return slash == std::string::npos ? std::string("C:\\") : module.substr(0, slash + 1);
}

namespace {

// A 32-bit process on 64-bit Windows: its "System32" is the Windows folder's "SysWOW64" while
// file-system redirection is on, and "Sysnative" names the 64-bit System32 (which the 64-bit
// processes see as System32).
void RedirectSystemFolder(const SimPlatform::State& state, FilePath* path) {
  const SystemState& system = state.system;
  if (!system.windows64 || system.process64) return;
  FilePath windows;
  if (ParsePath(system.windowsDirectory, std::string(), &windows) != kErrorSuccess) return;
  const std::size_t depth = windows.parts.size();
  if (!SameName(path->drive, windows.drive) || path->parts.size() <= depth) return;
  for (std::size_t i = 0; i < depth; ++i) {
    if (!SameName(path->parts[i], windows.parts[i])) return;
  }
  std::string& folder = path->parts[depth];
  if (SameName(folder, "Sysnative")) {
    folder = "System32";
  } else if (SameName(folder, "System32") && !system.fsRedirectionOff) {
    folder = "SysWOW64";
  }
}

}  // namespace

std::uint32_t ParsePath(const SimPlatform::State& state, const std::string& path,
                        FilePath* result) {
  const std::uint32_t error = ParsePath(path, CurrentFolder(state), result);
  if (error == kErrorSuccess) RedirectSystemFolder(state, result);
  return error;
}

FileNode* FindNode(FileState& files, const FilePath& path, std::uint32_t* error) {
  auto drive = files.drives.find(path.drive);
  if (drive == files.drives.end()) {
    auto mapped = files.mappedDrives.find(path.drive);
    FilePath reached;
    if (mapped == files.mappedDrives.end() ||
        ParsePath(mapped->second, std::string(), &reached) != kErrorSuccess ||
        files.mappedDrives.count(reached.drive) != 0) {
      *error = kErrorPathNotFound;
      return nullptr;
    }
    reached.parts.insert(reached.parts.end(), path.parts.begin(), path.parts.end());
    return FindNode(files, reached, error);
  }
  FileNode* node = drive->second.get();
  for (std::size_t i = 0; i < path.parts.size(); ++i) {
    const bool last = i + 1 == path.parts.size();
    if (!node->folder) {
      *error = kErrorPathNotFound;
      return nullptr;
    }
    auto child = node->children.find(path.parts[i]);
    if (child == node->children.end()) {
      *error = last ? kErrorFileNotFound : kErrorPathNotFound;
      return nullptr;
    }
    node = child->second.get();
  }
  return node;
}

FileNode* FindParent(FileState& files, const FilePath& path, std::uint32_t* error) {
  if (path.parts.empty()) {
    *error = kErrorPathNotFound;
    return nullptr;
  }
  FilePath parent = path;
  parent.parts.pop_back();
  std::uint32_t found = kErrorSuccess;
  FileNode* folder = FindNode(files, parent, &found);
  if (folder == nullptr || !folder->folder) {
    *error = kErrorPathNotFound;
    return nullptr;
  }
  return folder;
}

FileNode* AddNode(FileNode& folder, const std::string& name, bool isFolder) {
  auto node = std::make_unique<FileNode>();
  node->name = name;
  node->folder = isFolder;
  node->attributes = isFolder ? kFileAttributeDirectory : kFileAttributeArchive;
  node->parent = &folder;
  FileNode* raw = node.get();
  folder.children[name] = std::move(node);
  return raw;
}

FileNode* EnsureFolder(FileState& files, const FilePath& path) {
  auto& drive = files.drives[path.drive];
  if (!drive) {
    drive = std::make_unique<FileNode>();
    drive->name = path.drive;
    drive->folder = true;
    drive->attributes = kFileAttributeDirectory;
  }
  FileNode* node = drive.get();
  for (const std::string& part : path.parts) {
    auto child = node->children.find(part);
    if (child == node->children.end()) {
      node = AddNode(*node, part, true);
    } else if (!child->second->folder) {
      throw std::invalid_argument("a file stands where a folder is staged: " + path.Text());
    } else {
      node = child->second.get();
    }
  }
  return node;
}

bool WritesDenied(const FileState& files, const FileNode& node) {
  for (const FileNode* at = &node; at != nullptr; at = at->parent) {
    if (at->denyWrites || (files.standardRights && at->adminOnly)) return true;
  }
  return false;
}

bool SharingBlocked(const FileNode& node) { return node.lockedByTest || node.heldByRegistry; }

bool IsEmptyFolder(const FileNode& node) { return node.children.empty(); }

std::string NodeFullPath(const FileNode& node) {
  std::vector<const FileNode*> chain;
  for (const FileNode* at = &node; at != nullptr; at = at->parent) chain.push_back(at);
  FilePath path;
  path.drive = chain.back()->name;
  for (auto it = std::next(chain.rbegin()); it != chain.rend(); ++it) {
    path.parts.push_back((*it)->name);
  }
  return path.Text();
}

}  // namespace lw::sim
