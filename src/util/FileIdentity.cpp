#include "util/FileIdentity.h"

#include "platform/Platform.h"

namespace lw {

bool SameFile(const std::string& a, const std::string& b) {
  FileId first;
  FileId second;
  return Files().GetFileId(a, &first) && Files().GetFileId(b, &second) && first == second;
}

}  // namespace lw
