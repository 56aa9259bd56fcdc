#include "support/TestEnv.h"

#include <vector>

namespace lw::test {

std::string ExeFolder() {
  std::string path = Sys().GetModuleFileName();
  return path.substr(0, path.find_last_of('\\') + 1);
}

std::string ScratchFolder() { return ExeFolder() + "lwtest-scratch\\"; }

void RemoveTree(const std::string& folder) {
  std::string base = folder;
  if (!base.empty() && base.back() == '\\') base.pop_back();
  std::uint32_t attributes = Files().GetFileAttributes(base);
  if (attributes == kInvalidFileAttributes) return;
  if ((attributes & kFileAttributeDirectory) == 0) {
    Files().SetFileAttributes(base, kFileAttributeNormal);
    Files().DeleteFile(base);
    return;
  }
  std::vector<std::string> names;
  FindData data;
  Handle find = Files().FindFirstFile(base + "\\*", &data);
  if (find != kInvalidHandle) {
    do {
      if (data.fileName != "." && data.fileName != "..") names.push_back(data.fileName);
    } while (Files().FindNextFile(find, &data));
    Files().FindClose(find);
  }
  for (const std::string& name : names) RemoveTree(base + "\\" + name);
  Files().RemoveDirectory(base);
}

void DeleteKeyTree(HKey root, const std::string& path) {
  HKey key = 0;
  if (Reg().OpenKeyEx(root, path, kKeyAllAccess, &key) != kErrorSuccess) return;
  std::vector<std::string> children;
  std::string name;
  for (std::uint32_t i = 0; Reg().EnumKeyEx(key, i, &name) == kErrorSuccess; ++i) {
    children.push_back(name);
  }
  Reg().CloseKey(key);
  for (const std::string& child : children) DeleteKeyTree(root, path + "\\" + child);
  std::string parent = path.substr(0, path.find_last_of('\\') == std::string::npos
                                          ? 0
                                          : path.find_last_of('\\'));
  std::string leaf = path.substr(parent.empty() ? 0 : parent.size() + 1);
  HKey parentKey = 0;
  if (Reg().OpenKeyEx(root, parent, kKeyAllAccess, &parentKey) == kErrorSuccess) {
    Reg().DeleteKey(parentKey, leaf);
    Reg().CloseKey(parentKey);
  }
}

std::string ReadWholeFile(const std::string& path) {
  std::string bytes;
  Files().ReadFile(path, &bytes);
  return bytes;
}

}  // namespace lw::test
