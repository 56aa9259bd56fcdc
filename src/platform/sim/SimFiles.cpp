#include "platform/sim/SimFiles.h"

#include <cstdint>
#include <functional>

#include "platform/sim/SimFileTree.h"
#include "platform/sim/SimFind.h"
#include "platform/sim/SimProfile.h"
#include "platform/sim/SimSecurity.h"

// How the simulated file system behaves, as the Win32 calls do on NTFS:
// - A missing last name gives kErrorFileNotFound, a missing folder on the way
//   kErrorPathNotFound; names compare without regard to case and keep the case they were
//   created with.
// - Read-only files cannot be written or deleted (kErrorAccessDenied); files another process
//   holds (LockFile, a loaded hive) cannot be opened at all (kErrorSharingViolation); the
//   running executable can be read and copied, not written (kErrorSharingViolation) or deleted
//   (kErrorAccessDenied); folders staged with DenyFolderWrites refuse every change below them.
// - The changes listed in SimPlatform.h are counted when every check has passed, just before
//   the change is made, so a scripted failure hits a call that would otherwise have changed
//   something, and changes nothing.

namespace lw::sim {

namespace {

constexpr std::uint32_t kSettableAttributes =
    0x01 | 0x02 | 0x04 | 0x20 | 0x80 | 0x100 | 0x1000 | 0x2000;

bool ReadOnly(const FileNode& node) { return (node.attributes & kFileAttributeReadOnly) != 0; }

}  // namespace

bool SimFileSystem::Fail(std::uint32_t error) {
  state_.system.lastError = error;
  return false;
}

FileNode* SimFileSystem::Lookup(const std::string& path) {
  FilePath parsed;
  std::uint32_t error = ParsePath(state_, path, &parsed);
  FileNode* node = error == kErrorSuccess ? FindNode(state_.files, parsed, &error) : nullptr;
  if (node == nullptr) Fail(error);
  return node;
}

FileNode* SimFileSystem::OpenForWrite(const std::string& path, bool createAlways) {
  const auto refuse = [this](std::uint32_t error) -> FileNode* {
    Fail(error);
    return nullptr;
  };
  FilePath parsed;
  std::uint32_t error = ParsePath(state_, path, &parsed);
  if (error != kErrorSuccess) return refuse(error);
  FileNode* node = FindNode(state_.files, parsed, &error);
  if (node == nullptr) {
    if (error != kErrorFileNotFound) return refuse(error);
    FileNode* folder = FindParent(state_.files, parsed, &error);
    if (folder == nullptr) return refuse(error);
    if (WritesDenied(state_.files, *folder)) return refuse(kErrorAccessDenied);
    if (!state_.CountChange(&error)) return refuse(error);
    return AddNode(*folder, parsed.parts.back(), false);
  }
  if (node->folder || ReadOnly(*node) || WritesDenied(state_.files, *node))
    return refuse(kErrorAccessDenied);
  if (SharingBlocked(*node) || node->runningImage) return refuse(kErrorSharingViolation);
  // CREATE_ALWAYS refuses to replace a hidden or system file unless asked with the same
  // attributes, which the program never does.
  if (createAlways && (node->attributes & (kFileAttributeHidden | kFileAttributeSystem)) != 0) {
    return refuse(kErrorAccessDenied);
  }
  if (!state_.CountChange(&error)) return refuse(error);
  if (createAlways) {
    node->content.clear();
    node->attributes = kFileAttributeArchive;
    node->hasVersion = false;
  }
  return node;
}

std::uint32_t SimFileSystem::GetFileAttributes(const std::string& path) {
  FileNode* node = Lookup(path);
  return node == nullptr ? kInvalidFileAttributes : EntryAttributes(*node);
}

bool SimFileSystem::SetFileAttributes(const std::string& path, std::uint32_t attributes) {
  FileNode* node = Lookup(path);
  if (node == nullptr) return false;
  if (WritesDenied(state_.files, *node)) return Fail(kErrorAccessDenied);
  std::uint32_t kept = attributes & kSettableAttributes;
  if (kept != kFileAttributeNormal) kept &= ~kFileAttributeNormal;
  node->attributes =
      (node->folder ? kFileAttributeDirectory : 0) | (kept == kFileAttributeNormal ? 0 : kept);
  return true;
}

bool SimFileSystem::CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
  FileNode* source = Lookup(from);
  if (source == nullptr) return false;
  std::uint32_t error = kErrorSuccess;
  if (source->folder) return Fail(kErrorAccessDenied);
  if (SharingBlocked(*source)) return Fail(kErrorSharingViolation);
  FilePath target;
  if ((error = ParsePath(state_, to, &target)) != kErrorSuccess) return Fail(error);
  FileNode* existing = FindNode(state_.files, target, &error);
  if (existing == source) return Fail(failIfExists ? kErrorFileExists : kErrorSharingViolation);
  if (existing != nullptr) {
    if (failIfExists) return Fail(kErrorFileExists);
    if (existing->folder || ReadOnly(*existing)) return Fail(kErrorAccessDenied);
    if (SharingBlocked(*existing) || existing->runningImage) {
      return Fail(kErrorSharingViolation);
    }
  }
  FileNode* folder = FindParent(state_.files, target, &error);
  if (folder == nullptr) return Fail(error);
  if (WritesDenied(state_.files, *folder)) return Fail(kErrorAccessDenied);
  if (!state_.CountChange(&error)) return Fail(error);
  FileNode* copy = existing != nullptr ? existing : AddNode(*folder, target.parts.back(), false);
  copy->content = source->content;
  copy->attributes = source->attributes;
  copy->hasVersion = source->hasVersion;
  copy->version = source->version;
  return true;
}

bool SimFileSystem::DeleteFile(const std::string& path) {
  FileNode* node = Lookup(path);
  if (node == nullptr) return false;
  if (node->folder || ReadOnly(*node) || node->runningImage || WritesDenied(state_.files, *node)) {
    return Fail(kErrorAccessDenied);
  }
  if (SharingBlocked(*node)) return Fail(kErrorSharingViolation);
  std::uint32_t error = kErrorSuccess;
  if (!state_.CountChange(&error)) return Fail(error);
  const std::string name = node->name;  // the node and its name go with the erase
  node->parent->children.erase(name);
  return true;
}

bool SimFileSystem::MoveFileReplacing(const std::string& from, const std::string& to) {
  FileNode* source = Lookup(from);
  if (source == nullptr) return false;
  if (source->folder || source->runningImage || WritesDenied(state_.files, *source)) {
    return Fail(kErrorAccessDenied);
  }
  if (SharingBlocked(*source)) return Fail(kErrorSharingViolation);
  FilePath target;
  std::uint32_t error = ParsePath(state_, to, &target);
  if (error != kErrorSuccess) return Fail(error);
  FileNode* existing = FindNode(state_.files, target, &error);
  if (existing == source) return true;
  if (existing != nullptr) {
    if (existing->folder || ReadOnly(*existing)) return Fail(kErrorAccessDenied);
    if (SharingBlocked(*existing) || existing->runningImage) return Fail(kErrorSharingViolation);
  }
  FileNode* folder = FindParent(state_.files, target, &error);
  if (folder == nullptr) return Fail(error);
  if (WritesDenied(state_.files, *folder)) return Fail(kErrorAccessDenied);
  if (!state_.CountChange(&error)) return Fail(error);
  FileNode* moved = existing != nullptr ? existing : AddNode(*folder, target.parts.back(), false);
  moved->content = source->content;
  moved->attributes = source->attributes;
  moved->hasVersion = source->hasVersion;
  moved->version = source->version;
  const std::string name = source->name;  // the node and its name go with the erase
  source->parent->children.erase(name);
  return true;
}

bool SimFileSystem::CreateDirectory(const std::string& path) {
  FilePath parsed;
  std::uint32_t error = ParsePath(state_, path, &parsed);
  if (error != kErrorSuccess) return Fail(error);
  if (FindNode(state_.files, parsed, &error) != nullptr) return Fail(kErrorAlreadyExists);
  if (error != kErrorFileNotFound) return Fail(error);
  FileNode* folder = FindParent(state_.files, parsed, &error);
  if (folder == nullptr) return Fail(error);
  if (WritesDenied(state_.files, *folder)) return Fail(kErrorAccessDenied);
  if (!state_.CountChange(&error)) return Fail(error);
  AddNode(*folder, parsed.parts.back(), true);
  return true;
}

bool SimFileSystem::RemoveDirectory(const std::string& path) {
  FileNode* node = Lookup(path);
  if (node == nullptr) return false;
  if (!node->folder) return Fail(kErrorDirectory);
  if (node->parent == nullptr || ReadOnly(*node) || WritesDenied(state_.files, *node)) {
    return Fail(kErrorAccessDenied);
  }
  if (!IsEmptyFolder(*node)) return Fail(kErrorDirNotEmpty);
  // The process's current folder is in use.
  FilePath current;
  std::uint32_t error = ParsePath(CurrentFolder(state_), std::string(), &current);
  if (error == kErrorSuccess && FindNode(state_.files, current, &error) == node) {
    return Fail(kErrorSharingViolation);
  }
  const std::string name = node->name;  // the node and its name go with the erase
  node->parent->children.erase(name);
  return true;
}

Handle SimFileSystem::FindFirstFile(const std::string& pattern, FindData* data) {
  std::string text = pattern;
  for (char& c : text) {
    if (c == '/') c = '\\';
  }
  const std::size_t slash = text.find_last_of('\\');
  const std::string leaf = slash == std::string::npos ? text : text.substr(slash + 1);
  const std::string folderPath = slash == std::string::npos             ? CurrentFolder(state_)
                                 : slash == 0 || text[slash - 1] == ':' ? text.substr(0, slash + 1)
                                                                        : text.substr(0, slash);
  FileNode* folder = Lookup(folderPath);
  if (folder == nullptr || !folder->folder) {
    // The folder itself is what is missing.
    if (folder != nullptr || state_.system.lastError == kErrorFileNotFound) {
      Fail(kErrorPathNotFound);
    }
    return kInvalidHandle;
  }
  std::vector<FindData> entries =
      leaf.empty() ? std::vector<FindData>() : ListMatches(*folder, leaf);
  if (entries.empty()) {
    Fail(kErrorFileNotFound);
    return kInvalidHandle;
  }
  const Handle find = state_.NewHandle();
  if (data != nullptr) *data = entries.front();
  state_.files.finds[find] = FindSearch{std::move(entries), 1};
  return find;
}

bool SimFileSystem::FindNextFile(Handle find, FindData* data) {
  auto search = state_.files.finds.find(find);
  if (search == state_.files.finds.end()) return Fail(kErrorInvalidHandle);
  FindSearch& found = search->second;
  if (found.next >= found.entries.size()) return Fail(kErrorNoMoreFiles);
  if (data != nullptr) *data = found.entries[found.next];
  ++found.next;
  return true;
}

bool SimFileSystem::FindClose(Handle find) {
  if (state_.files.finds.erase(find) == 0) return Fail(kErrorInvalidHandle);
  return true;
}

bool SimFileSystem::AppendFile(const std::string& path, const std::string& bytes) {
  FileNode* node = OpenForWrite(path, false);
  if (node == nullptr) return false;
  node->content += bytes;
  return true;
}

bool SimFileSystem::WriteFile(const std::string& path, const std::string& bytes) {
  FileNode* node = OpenForWrite(path, true);
  if (node == nullptr) return false;
  node->content = bytes;
  return true;
}

bool SimFileSystem::ReadFile(const std::string& path, std::string* bytes) {
  FileNode* node = Lookup(path);
  if (node == nullptr) return false;
  if (node->folder) return Fail(kErrorAccessDenied);
  if (SharingBlocked(*node)) return Fail(kErrorSharingViolation);
  if (bytes != nullptr) *bytes = node->content;
  return true;
}

std::uint32_t SimFileSystem::GetFileSecurity(const std::string& path, FileSecurity* security) {
  const FileNode* node = Lookup(path);
  if (node == nullptr) return state_.system.lastError;
  if (node->securityUnreadable) return kErrorAccessDenied;
  *security = EffectiveSecurity(state_, *node);
  return kErrorSuccess;
}

bool SimFileSystem::GetShortPathName(const std::string& path, std::string* shortPath) {
  // Wine's codes: an empty path is a bad path name, and a missing folder on the way is
  // reported as a missing file.
  if (path.empty()) return Fail(kErrorBadPathname);
  if (Lookup(path) == nullptr) {
    if (state_.system.lastError == kErrorPathNotFound) state_.system.lastError = kErrorFileNotFound;
    return false;
  }
  if (shortPath != nullptr) *shortPath = path;
  return true;
}

bool SimFileSystem::GetFileId(const std::string& path, FileId* id) {
  const FileNode* node = Lookup(path);
  if (node == nullptr) return false;
  const FileNode* drive = node;
  while (drive->parent != nullptr) drive = drive->parent;
  id->volumeSerial = static_cast<std::uint32_t>(std::hash<std::string>()(drive->name));
  id->fileIndex = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(node));
  return true;
}

std::string SimFileSystem::ProfilePath(const std::string& file) const {
  // A bare file name means a file in the Windows folder, as the profile functions have it.
  if (file.find_first_of("\\/") != std::string::npos) return file;
  return state_.system.windowsDirectory + "\\" + file;
}

std::string SimFileSystem::GetPrivateProfileString(const std::string& section,
                                                   const std::string& key,
                                                   const std::string& defaultValue,
                                                   const std::string& file) {
  std::string fallback = defaultValue;
  while (!fallback.empty() && fallback.back() == ' ') fallback.pop_back();
  FileNode* node = Lookup(ProfilePath(file));
  if (node == nullptr || node->folder || SharingBlocked(*node)) return fallback;
  std::string value;
  return ProfileLookup(node->content, section, key, &value) ? value : fallback;
}

bool SimFileSystem::WritePrivateProfileString(const std::string& section, const std::string& key,
                                              const std::string& value, const std::string& file) {
  FileNode* node = OpenForWrite(ProfilePath(file), false);
  if (node == nullptr) return false;
  node->content = ProfileWrite(node->content, section, key, value);
  return true;
}

}  // namespace lw::sim
