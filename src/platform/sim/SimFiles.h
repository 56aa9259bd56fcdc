#pragma once
// The simulated file system (see SimFiles.cpp for how it behaves).

#include <string>

#include "platform/sim/SimState.h"

namespace lw::sim {

class SimFileSystem : public IFileSystem {
 public:
  explicit SimFileSystem(SimPlatform::State& state) : state_(state) {}

  std::uint32_t GetFileAttributes(const std::string& path) override;
  bool SetFileAttributes(const std::string& path, std::uint32_t attributes) override;
  bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) override;
  bool DeleteFile(const std::string& path) override;
  bool MoveFileReplacing(const std::string& from, const std::string& to) override;
  bool CreateDirectory(const std::string& path) override;
  bool RemoveDirectory(const std::string& path) override;
  Handle FindFirstFile(const std::string& pattern, FindData* data) override;
  bool FindNextFile(Handle find, FindData* data) override;
  bool FindClose(Handle find) override;
  bool AppendFile(const std::string& path, const std::string& bytes) override;
  bool WriteFile(const std::string& path, const std::string& bytes) override;
  bool ReadFile(const std::string& path, std::string* bytes) override;
  // The volume keeps no short names: an existing path comes back as it was given.
  bool GetShortPathName(const std::string& path, std::string* shortPath) override;
  // The node is the file: its address is the index, its drive's name gives the serial number.
  bool GetFileId(const std::string& path, FileId* id) override;
  std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                      const std::string& defaultValue,
                                      const std::string& file) override;
  bool WritePrivateProfileString(const std::string& section, const std::string& key,
                                 const std::string& value, const std::string& file) override;
  // The staged owner and DACL, or what the file inherits (SimSecurity.h).
  std::uint32_t GetFileSecurity(const std::string& path, FileSecurity* security) override;

 private:
  bool Fail(std::uint32_t error);
  // Finds the path's node; on failure sets the last error and returns null.
  FileNode* Lookup(const std::string& path);
  // Opens the path for writing as CreateFile does: the existing file, or a new empty one in an
  // existing folder. createAlways truncates an existing file as CREATE_ALWAYS does. Null with
  // the last error set when the file cannot be written.
  FileNode* OpenForWrite(const std::string& path, bool createAlways);
  std::string ProfilePath(const std::string& file) const;

  SimPlatform::State& state_;
};

}  // namespace lw::sim
