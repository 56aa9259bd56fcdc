#pragma once
// The console of whoever started the program from a command line or a script. The program is a
// window program: it has no console of its own, and writes only where its starter gave it an
// output (a pipe, "| more"; a file, "> out.txt") or, failing that, to the console of the
// process that started it. The program installs the Win32 console at start; a test installs
// one that records what was written.

#include <string>

namespace lw {

class IConsole {
 public:
  virtual ~IConsole() = default;
  // Writes the bytes as they are; nothing happens when there is nowhere to write.
  virtual void Write(const std::string& bytes) = 0;
};

// Installs the console and returns the one installed before (null when none); not owned.
IConsole* InstallConsole(IConsole* console);

// Writes to the installed console; nothing when none is installed.
void ToConsole(const std::string& bytes);

}  // namespace lw
