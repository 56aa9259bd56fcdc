#pragma once
// What the program starts for the user (an item, a folder, a web page) runs with the user's
// standard rights, never with administrator rights, wherever the program itself runs. A copy of
// the program started with administrator rights (the edit and restore windows opened from a
// standard-rights window where UAC is on) therefore hands every start to the desktop's Explorer,
// which runs with the rights of the user's desktop. Where Explorer cannot take it, nothing
// starts: starting it elevated instead is what this is about.

#include <cstdint>
#include <string>

namespace lw {

// While an object lives, this process's starts go through the desktop.
class StartsThroughDesktop {
 public:
  StartsThroughDesktop();
  ~StartsThroughDesktop();
  StartsThroughDesktop(const StartsThroughDesktop&) = delete;
  StartsThroughDesktop& operator=(const StartsThroughDesktop&) = delete;

 private:
  bool previous_;
};
bool StartsGoThroughDesktop();

// ShellExecute, or while starts go through the desktop, the desktop's ShellExecute. The result
// is ShellExecute's: above kShellExecuteSuccessAbove on success, else an error code with the
// last error set (the desktop's failures as kSeErrAccessDenied, logged in error.txt).
std::intptr_t ShellExecuteForUser(const std::string& verb, const std::string& file,
                                  const std::string& parameters, const std::string& directory,
                                  int showCommand);

}  // namespace lw
