#pragma once
// The files a restore leaves for the user when it cannot give an item back itself: a registry
// file per Run key (for regedit) and a batch file of moves for the shortcuts. The user
// applies them by hand, perhaps much later and on a machine that has changed since, so each
// line must do exactly one thing whatever the item's name holds: no name or command may end a
// string early, no "%" may be expanded, no "&" or "(" may start another command, and a move
// never replaces a file that is already there.

#include <cstdint>
#include <string>
#include <vector>

#include "store/Registry.h"

namespace lw {

inline constexpr char kRegFileHeader[] = "REGEDIT4";
inline constexpr char kUnicodeRegFileHeader[] = "Windows Registry Editor Version 5.00";
inline constexpr char kMachineRegFileName[] = "LocalMachine.REG";
inline constexpr char kShortcutBatchFileName[] = "startup_restore.bat";
inline constexpr char kMachineRunKeyHeader[] =
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run]";
inline constexpr char kUserRunKeyHeader[] =
    "[HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run]";
// The machine's Run key of the 32-bit view as a 64-bit regedit names it: regedit has no view in
// its key headers, and a plain HKEY_LOCAL_MACHINE header goes to the 64-bit view there.
inline constexpr char kMachineRunKey32Header[] =
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run]";

// The two forms of a registry file. Regedit writes REGEDIT4 (the text in the system's ANSI code
// page) only as long as every name and value is ASCII; a name in any other script survives only
// in the Unicode form: "Windows Registry Editor Version 5.00", UTF-16LE with its byte-order
// mark, the bytes of hex() data in UTF-16 too.
enum class RegFormat { kRegedit4, kUnicode };

// One value of a registry file and the header of the key it goes to.
struct RegFileItem {
  std::string keyHeader;
  std::string name;
  StringValue data;
};

// A value line of a REGEDIT4 file: "name"="data" with every backslash doubled and every double
// quote preceded by a backslash. Data that a string line cannot carry (an expandable value,
// which must stay expandable; text with line breaks, which would end the line) is written in
// the hex form: hex(2): for REG_EXPAND_SZ, hex(1): for REG_SZ, the bytes with their closing
// zero, folded into lines of at most 80 characters. A name with a line break cannot be written
// at all: the result is then empty. In the Unicode form the hex bytes are those of the UTF-16
// text.
std::string RegValueLine(const std::string& name, const StringValue& data,
                         RegFormat format = RegFormat::kRegedit4);

// The lines of one item in a registry file: the key header, the value line, an empty line.
std::vector<std::string> RegItemLines(const std::string& keyHeader, const std::string& name,
                                      const StringValue& data,
                                      RegFormat format = RegFormat::kRegedit4);

// The whole registry file of the items, in the form they need (REGEDIT4 while everything is
// ASCII); an item whose name cannot be written is left out, and nothing to write gives an empty
// text (no file).
std::string RegFileBytes(const std::vector<RegFileItem>& items);

// A line of the batch file that moves storedPath into folder (with a trailing backslash) unless
// a file of that name is there already. Paths are quoted, and "%" is doubled so that cmd reads
// it as itself.
std::string BatchMoveLine(const std::string& storedPath, const std::string& folder);

// Lines joined with "\r\n" after each, the last included.
std::string JoinLines(const std::vector<std::string>& lines);

// The whole batch file of the move lines. cmd reads a batch file in the console's code page (the
// system's OEM one unless the user changed it), not in the program's: lines that code page can
// carry are written in it, and the others after "chcp 65001" in UTF-8, which cmd reads from
// that line on (Windows 10 and later).
std::string BatchFileBytes(const std::vector<std::string>& lines);

// The console code page a new cmd starts with: the system's OEM code page as the registry
// records it (437 when it cannot be read). The program's own OEM code page may differ: with
// UTF-8 as its ANSI code page Windows reports UTF-8 for both.
std::uint32_t ConsoleCodePage();

}  // namespace lw
