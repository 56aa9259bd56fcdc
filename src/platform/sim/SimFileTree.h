#pragma once
// Paths and lookups in the simulated file system: drive-letter paths with '\' (or '/'),
// compared without regard to case, relative ones taken from the process's current folder (the
// executable's folder), "." and ".." resolved, trailing dots and blanks of names dropped, as
// the Win32 path rules do.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/sim/SimState.h"

namespace lw::sim {

struct FilePath {
  std::string drive;               // "C:"
  std::vector<std::string> parts;  // the names below the drive's root
  std::string Text() const;        // "C:\a\b"
};

// kErrorPathNotFound for an empty path, kErrorBadNetpath for a network path, kErrorInvalidName
// for a name with a wildcard or a character Windows does not allow in names.
std::uint32_t ParsePath(const std::string& path, const std::string& currentFolder,
                        FilePath* result);
std::string CurrentFolder(const SimPlatform::State& state);
// ParsePath against the process's current folder.
std::uint32_t ParsePath(const SimPlatform::State& state, const std::string& path, FilePath* result);

// The node the path names (through a mapped drive, too); null with kErrorFileNotFound when only
// the last name is missing, kErrorPathNotFound when a folder on the way is missing (or is a
// file).
FileNode* FindNode(FileState& files, const FilePath& path, std::uint32_t* error);
// The folder that holds (or would hold) the path's last name; null with kErrorPathNotFound.
FileNode* FindParent(FileState& files, const FilePath& path, std::uint32_t* error);

FileNode* AddNode(FileNode& folder, const std::string& name, bool isFolder);
// Staging: the folder and every missing one above it, drives included. Throws
// std::invalid_argument when a file stands on the way.
FileNode* EnsureFolder(FileState& files, const FilePath& path);

// The node or a folder above it refuses writes (an admin-only one under a standard-rights token).
bool WritesDenied(const FileState& files, const FileNode& node);
bool SharingBlocked(const FileNode& node);  // another holder shares nothing
bool IsEmptyFolder(const FileNode& node);
std::string NodeFullPath(const FileNode& node);

}  // namespace lw::sim
