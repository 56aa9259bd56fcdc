#include "util/FileVersion.h"

#include "platform/Platform.h"

namespace lw {

std::string GetFileVersionString(const std::string& path) {
  FixedFileVersion version;
  if (!Sys().GetFileVersionInfo(path, &version)) return std::string();
  return std::to_string(version.fileVersionMS >> 16) + "." +
         std::to_string(version.fileVersionMS & 0xFFFF) + "." +
         std::to_string(version.fileVersionLS >> 16);
}

}  // namespace lw
