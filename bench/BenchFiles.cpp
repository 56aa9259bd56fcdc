#include "BenchFiles.h"

#include <vector>

#include "platform/Platform.h"

namespace lw::bench {

void RemoveTree(const std::string& path) {
  const std::uint32_t attributes = Files().GetFileAttributes(path);
  if (attributes == kInvalidFileAttributes) return;
  if ((attributes & kFileAttributeDirectory) == 0) {
    Files().DeleteFile(path);
    return;
  }
  std::vector<std::string> names;
  FindData data;
  const Handle find = Files().FindFirstFile(path + "\\*", &data);
  if (find != kInvalidHandle) {
    do {
      if (data.fileName != "." && data.fileName != "..") names.push_back(data.fileName);
    } while (Files().FindNextFile(find, &data));
    Files().FindClose(find);
  }
  for (const std::string& name : names) RemoveTree(path + "\\" + name);
  Files().RemoveDirectory(path);
}

}  // namespace lw::bench
