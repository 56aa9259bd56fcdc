#pragma once
// The three Windows configurations the program ships for, and a test's way to say which of
// them it needs: a test that pins a fact of one of them is skipped in the others, naming the
// one it needs and the one it met. Tests that hold everywhere name none.

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace lw::test {

enum class WindowsConfiguration {
  k64BitProgram,  // the x86_64 build on 64-bit Windows
  kWow64,         // the i686 build on 64-bit Windows (WOW64: registry views, SysWOW64)
  k32BitWindows,  // the i686 build on 32-bit Windows
};

// What the process meets, as the platform tells it (the simulation as staged).
WindowsConfiguration CurrentConfiguration();

// How reports name the configuration: "x86_64", "wow64", "win32" (the names the test runs
// give it in LW_WINDOWS_CONFIGURATION).
const char* ConfigurationName(WindowsConfiguration configuration);

// Why a test that needs one of these cannot run here ("needs wow64; this is win32"), or empty.
std::string MissingConfiguration(std::initializer_list<WindowsConfiguration> needed);

}  // namespace lw::test

// Skips the test unless the process meets one of the configurations.
#define LW_NEEDS_CONFIGURATION(...)                                                  \
  if (const std::string lwMissing = ::lw::test::MissingConfiguration({__VA_ARGS__}); \
      !lwMissing.empty())                                                            \
  GTEST_SKIP() << lwMissing

// Shorthand for the two configurations on 64-bit Windows.
#define LW_NEEDS_WINDOWS64()                                              \
  LW_NEEDS_CONFIGURATION(::lw::test::WindowsConfiguration::k64BitProgram, \
                         ::lw::test::WindowsConfiguration::kWow64)
