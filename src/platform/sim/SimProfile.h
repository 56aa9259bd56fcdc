#pragma once
// The text of profile (INI) files as GetPrivateProfileString reads it and
// WritePrivateProfileString edits it.

#include <string>

namespace lw::sim {

// Finds the key in the section, both compared without regard to case; the value comes back
// trimmed and without a pair of surrounding quotes. False when the section, the key or its '='
// is missing.
bool ProfileLookup(const std::string& text, const std::string& section, const std::string& key,
                   std::string* value);

// The file text after writing key=value into the section: an existing key keeps its line and
// its spelling, a new key goes after the section's last entry, a new section goes at the end.
// Every other line stays as it was. Lines written end with CR LF.
std::string ProfileWrite(const std::string& text, const std::string& section,
                         const std::string& key, const std::string& value);

}  // namespace lw::sim
