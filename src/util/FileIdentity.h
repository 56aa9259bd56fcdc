#pragma once
// Files compared the way a move must compare them. Whether two paths reach one file: a path can
// be spelt many ways (letter case, short 8.3 names, a substituted or mapped drive); comparing the
// text misses all but the first, and a move that takes its own source for another file deletes
// the only copy; the file system's own identity of the file (volume and file index) does not.
// And whether a copy holds its source's bytes, before the source may go.

#include <string>

namespace lw {

// True when both paths reach one existing file or folder; false when either cannot be opened.
bool SameFile(const std::string& a, const std::string& b);
// True when both files can be read and hold the same bytes (a copy checked against its source).
bool SameContent(const std::string& a, const std::string& b);
// Removes a copy the program itself just made. It carries its source's attributes, and a
// read-only one would not go otherwise.
void DiscardCopy(const std::string& copy);

}  // namespace lw
