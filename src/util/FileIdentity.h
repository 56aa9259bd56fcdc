#pragma once
// Whether two paths reach one file. A path can be spelt many ways: letter case, short (8.3)
// names, a substituted or mapped drive. Comparing the text misses all but the first, and a
// move that takes its own source for another file deletes the only copy; the file system's
// own identity of the file (volume and file index) does not.

#include <string>

namespace lw {

// True when both paths reach one existing file or folder; false when either cannot be opened.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace lw
