#include "util/FileIdentity.h"

#include "platform/Platform.h"

namespace lw {

bool SameFile(const std::string& a, const std::string& b) {
  FileId first;
  FileId second;
  return Files().GetFileId(a, &first) && Files().GetFileId(b, &second) && first == second;
}

void DiscardCopy(const std::string& copy) {
  Files().SetFileAttributes(copy, kFileAttributeNormal);
  Files().DeleteFile(copy);
}

bool SameContent(const std::string& a, const std::string& b) {
  std::string first;
  std::string second;
  return Files().ReadFile(a, &first) && Files().ReadFile(b, &second) && first == second;
}

}  // namespace lw
