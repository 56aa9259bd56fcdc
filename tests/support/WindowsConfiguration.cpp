#include "support/WindowsConfiguration.h"

#include "util/WindowsBitness.h"

namespace lw::test {

WindowsConfiguration CurrentConfiguration() {
  if (!IsWindows64()) return WindowsConfiguration::k32BitWindows;
  return IsWow64Process() ? WindowsConfiguration::kWow64 : WindowsConfiguration::k64BitProgram;
}

const char* ConfigurationName(WindowsConfiguration configuration) {
  switch (configuration) {
    case WindowsConfiguration::k64BitProgram:
      return "x86_64";
    case WindowsConfiguration::kWow64:
      return "wow64";
    case WindowsConfiguration::k32BitWindows:
      return "win32";
  }
  return "?";
}

std::string MissingConfiguration(std::initializer_list<WindowsConfiguration> needed) {
  const WindowsConfiguration current = CurrentConfiguration();
  std::string names;
  for (WindowsConfiguration configuration : needed) {
    if (configuration == current) return {};
    names += (names.empty() ? "" : " or ") + std::string(ConfigurationName(configuration));
  }
  return "needs " + names + "; this is " + ConfigurationName(current);
}

}  // namespace lw::test
