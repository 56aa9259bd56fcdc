#include "support/TestEnv.h"

#include "support/RawRegistry.h"

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

namespace {
// Deletes parent\name with everything below it, always relative to an open parent, so that
// trees whose full paths are longer than the ANSI calls take can be removed too.
void DeleteChildTree(HKey parent, const std::string& name) {
  HKey key = 0;
  if (Reg().OpenKeyEx(parent, name, RawAccess(kKeyAllAccess), &key) == kErrorSuccess) {
    std::vector<std::string> children;
    std::string child;
    for (std::uint32_t i = 0; Reg().EnumKeyEx(key, i, &child) == kErrorSuccess; ++i) {
      children.push_back(child);
    }
    for (const std::string& each : children) DeleteChildTree(key, each);
    Reg().CloseKey(key);
  }
  Reg().DeleteKeyEx(parent, name, RawAccess(0));
}
}  // namespace

void DeleteKeyTree(HKey root, const std::string& path) {
  std::size_t split = path.find_last_of('\\');
  if (split == std::string::npos) {
    DeleteChildTree(root, path);
    return;
  }
  HKey parent = 0;
  if (Reg().OpenKeyEx(root, path.substr(0, split), RawAccess(kKeyAllAccess), &parent) !=
      kErrorSuccess)
    return;
  DeleteChildTree(parent, path.substr(split + 1));
  Reg().CloseKey(parent);
}

std::string ReadWholeFile(const std::string& path) {
  std::string bytes;
  Files().ReadFile(path, &bytes);
  return bytes;
}

}  // namespace lw::test
