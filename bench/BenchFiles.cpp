#include "BenchFiles.h"

#include <vector>

#include "platform/Platform.h"
#include "store/Registry.h"
#include "store/SettingsStore.h"

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

void ClearProgramState() {
  Registry reg;
  for (HKey root : {kHKeyLocalMachine, kHKeyCurrentUser}) {
    reg.SetRootKey(root);
    reg.DeleteKey(kTallowmereKey);
    reg.RemoveValueAt(root, kRunKey, kSelfRunValue);
    reg.RemoveValueAt(root, kRunOnceKey, kSelfRunValue);
  }
}

}  // namespace lw::bench
