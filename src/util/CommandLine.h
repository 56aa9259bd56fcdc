#pragma once
// A Run-key command line split into the program it starts and the program's arguments, and put
// together again.

#include <string>

namespace lw {

struct CommandParts {
  std::string program;
  std::string arguments;
  bool quoted = false;  // the program was in double quotes
};

// A quoted program runs up to its closing quote; an unquoted one up to the first ".exe", else
// up to the first blank. (A quote that is never closed is dropped, and the rest read unquoted.)
// Blanks around the line and around the arguments are dropped.
CommandParts SplitProgram(const std::string& command);

// A program and its arguments as one line; the program in double quotes when quote is set or
// it holds a blank.
std::string JoinProgram(const std::string& program, const std::string& arguments, bool quote);

// The command line with its program part in double quotes when that part holds a blank and is
// not quoted yet ("C:\Tools\My App\x.exe /a" gives "\"C:\Tools\My App\x.exe\" /a"), so that
// Windows cannot take "C:\Tools\My.exe" for it; any other line comes back as it is.
std::string QuoteProgramPart(const std::string& command);

}  // namespace lw
