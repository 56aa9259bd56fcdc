#pragma once
// The simulated shell: special folders, the shell-link object and ShellExecute (see
// SimShell.cpp for the shortcut file format and what opening a file does).

#include <cstdint>
#include <string>

#include "platform/sim/SimState.h"

namespace lw::sim {

class SimShell : public IShell {
 public:
  explicit SimShell(SimPlatform::State& state) : state_(state) {}

  bool GetSpecialFolderPath(int csidl, std::string* path) override;
  long LoadShellLink(const std::string& linkPath, std::uint32_t pathFlags, std::string* target,
                     std::string* foundName) override;
  long SaveShellLink(const std::string& linkPath, const std::string& target,
                     const std::string& arguments) override;
  // See SimShell.cpp for what opening each kind of file does.
  std::intptr_t ShellExecute(const std::string& verb, const std::string& file,
                             const std::string& parameters, const std::string& directory,
                             int showCommand) override;
  // "runas" starts the program with the full token after the staged answer to the elevation
  // prompt; any other verb opens the file as ShellExecute does.
  bool ShellExecuteEx(const std::string& verb, const std::string& file,
                      const std::string& parameters, int showCommand, Handle* process) override;
  // ShellExecute with the token the desktop's user has (standard rights where the machine's
  // programs get them, see SimPlatform::SetStandardRights); without a desktop shell it fails.
  long ShellExecuteThroughDesktop(const std::string& verb, const std::string& file,
                                  const std::string& parameters, const std::string& directory,
                                  int showCommand) override;

 private:
  SimPlatform::State& state_;
};

}  // namespace lw::sim
