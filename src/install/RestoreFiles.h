#pragma once
// The files a restore leaves for the user when it cannot give an item back itself: a registry
// file per Run key (REGEDIT4, for regedit) and a batch file of moves for the shortcuts. The user
// applies them by hand, perhaps much later and on a machine that has changed since, so each
// line must do exactly one thing whatever the item's name holds: no name or command may end a
// string early, no "%" may be expanded, no "&" or "(" may start another command, and a move
// never replaces a file that is already there.

#include <string>
#include <vector>

#include "store/Registry.h"

namespace lw {

inline constexpr char kRegFileHeader[] = "REGEDIT4";
inline constexpr char kMachineRegFileName[] = "LocalMachine.REG";
inline constexpr char kShortcutBatchFileName[] = "startup_restore.bat";
inline constexpr char kMachineRunKeyHeader[] =
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run]";
inline constexpr char kUserRunKeyHeader[] =
    "[HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run]";

// A value line of a REGEDIT4 file: "name"="data" with every backslash doubled and every double
// quote preceded by a backslash. Data that a string line cannot carry (an expandable value,
// which must stay expandable; text with line breaks, which would end the line) is written in
// the hex form: hex(2): for REG_EXPAND_SZ, hex(1): for REG_SZ, the bytes with their closing
// zero, folded into lines of at most 80 characters. A name with a line break cannot be written
// at all: the result is then empty.
std::string RegValueLine(const std::string& name, const StringValue& data);

// The lines of one item in a registry file: the key header, the value line, an empty line.
std::vector<std::string> RegItemLines(const std::string& keyHeader, const std::string& name,
                                      const StringValue& data);

// A line of the batch file that moves storedPath into folder (with a trailing backslash) unless
// a file of that name is there already. Paths are quoted, and "%" is doubled so that cmd reads
// it as itself.
std::string BatchMoveLine(const std::string& storedPath, const std::string& folder);

// Lines joined with "\r\n" after each, the last included.
std::string JoinLines(const std::vector<std::string>& lines);

}  // namespace lw
