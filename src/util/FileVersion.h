#pragma once
// The version text of an executable file, as the edit window and the About box show it.

#include <string>

namespace lw {

// "major.minor.release" from the file version of the file's version resource (the build
// number is left out: 1.3.4.1767 gives "1.3.4"); empty when the file has no version resource
// or cannot be read.
std::string GetFileVersionString(const std::string& path);

}  // namespace lw
