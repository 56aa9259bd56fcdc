#pragma once
// The console of the real program (util/Console.h). A window program gets no console from
// Windows; it writes to the standard output its starter handed it (a pipe or a file), else it
// attaches to the console of the process that started it (a command prompt), or uses the one
// it has already, and writes there.
// The output is found at the first write; with neither, writing does nothing.

#include <string>

#include "util/Console.h"

namespace lw {

class Win32Console : public IConsole {
 public:
  Win32Console() = default;
  ~Win32Console() override;
  Win32Console(const Win32Console&) = delete;
  Win32Console& operator=(const Win32Console&) = delete;

  void Write(const std::string& bytes) override;

 private:
  void FindOutput();

  bool found_ = false;
  void* output_ = nullptr;
  bool ownsOutput_ = false;
};

}  // namespace lw
