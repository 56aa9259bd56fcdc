#pragma once
// The simulated shell: special folders and the shell-link object (see SimShell.cpp for the
// shortcut file format).

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

 private:
  SimPlatform::State& state_;
};

}  // namespace lw::sim
