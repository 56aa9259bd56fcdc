// What each Windows configuration looks like to the program: a 64-bit process or a 32-bit one
// under WOW64 on 64-bit Windows, a 32-bit one on 32-bit Windows. On 64-bit Windows: two views
// of the machine's keys (the 32-bit one under Wow6432Node), keys both views share, the system
// folders, and values planted by reg.exe in either view as the program then reads them.

#include "platform/win32/Win32Api.h"

#include <cstdlib>
#include <string>

#include "install/StartupMover.h"
#include "items/ItemManager.h"
#include "runner/LogonRunner.h"
#include "store/SettingsStore.h"
#include "support/ProbePrograms.h"
#include "support/RawRegistry.h"
#include "support/TakeOverFixture.h"
#include "support/WindowsConfiguration.h"
#include "util/WindowsBitness.h"

namespace lw::test {
namespace {

constexpr char kRunPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// Runs reg.exe with the arguments and waits for it to end; its exit code.
DWORD RunReg(const std::string& arguments) {
  std::string line = "reg.exe " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process)) {
    return static_cast<DWORD>(-1);
  }
  DWORD code = static_cast<DWORD>(-1);
  if (::WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
    ::GetExitCodeProcess(process.hProcess, &code);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return code;
}

std::string ReadIn(std::uint32_t view, HKey root, const std::string& path,
                   const std::string& name) {
  InRawView in(view);
  return RawString(root, path, name);
}

class Wow64Win32Test : public TakeOverFixture {};

// The configuration told by what the test program was built as and by the machine itself
// (asked directly, not through the code under test).
WindowsConfiguration BuiltAndRunAs() {
  if (sizeof(void*) == 8) return WindowsConfiguration::k64BitProgram;
  SYSTEM_INFO info{};
  ::GetNativeSystemInfo(&info);
  return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64
             ? WindowsConfiguration::kWow64
             : WindowsConfiguration::k32BitWindows;
}

// What the program finds in each configuration: whether Windows is 64-bit, whether it runs
// under WOW64, the registry view it keeps its key in, whether it can switch System32
// redirection off, and which of the two names for the other System32 its Windows folder has.
struct ConfigurationFacts {
  WindowsConfiguration configuration;
  bool windows64;
  bool wow64;
  std::uint32_t view;
  bool redirectionCanBeOff;
  bool sysWow64;
  bool sysnative;  // a name for 32-bit processes on 64-bit Windows only
};

constexpr ConfigurationFacts kFacts[] = {
    {WindowsConfiguration::k64BitProgram, true, false, kKeyWow64_32Key, false, true, false},
    {WindowsConfiguration::kWow64, true, true, kKeyWow64_32Key, true, true, true},
    {WindowsConfiguration::k32BitWindows, false, false, 0, false, false, false},
};

TEST_F(Wow64Win32Test, EachConfigurationMeetsItsOwnWindows) {
  const WindowsConfiguration here = BuiltAndRunAs();
  EXPECT_EQ(CurrentConfiguration(), here);
  for (const ConfigurationFacts& facts : kFacts) {
    if (facts.configuration != here) continue;
    SCOPED_TRACE(ConfigurationName(here));
    EXPECT_EQ(IsWindows64(), facts.windows64);
    EXPECT_EQ(IsWow64Process(), facts.wow64);
    EXPECT_EQ(ProgramRegistryView(), facts.view);
    const std::string windows = Sys().GetWindowsDirectory();
    EXPECT_EQ(Files().GetFileAttributes(windows + "\\SysWOW64") != kInvalidFileAttributes,
              facts.sysWow64);
    EXPECT_EQ(Files().GetFileAttributes(windows + "\\Sysnative") != kInvalidFileAttributes,
              facts.sysnative);
    Handle old = 0;
    const bool off = Sys().Wow64DisableWow64FsRedirection(&old);
    if (off) {
      EXPECT_TRUE(Sys().Wow64RevertWow64FsRedirection(old));
    }
    EXPECT_EQ(off, facts.redirectionCanBeOff);
  }
}

// The test runs say which configuration they start the tests in: a run in the wrong prefix
// would otherwise pass by skipping what it was meant to check.
TEST_F(Wow64Win32Test, TheRunMeetsTheConfigurationItIsNamedFor) {
  const char* named = std::getenv("LW_WINDOWS_CONFIGURATION");
  if (named == nullptr)
    GTEST_SKIP() << "started outside the test runs, which name the configuration";
  EXPECT_STREQ(ConfigurationName(BuiltAndRunAs()), named);
}

TEST_F(Wow64Win32Test, TheMachinesRunKeyHasTwoViewsAndTheUsersOneIsShared) {
  LW_NEEDS_WINDOWS64();
  for (std::uint32_t view : {kKeyWow64_32Key, kKeyWow64_64Key}) {
    InRawView in(view);
    SetRawString(kHKeyLocalMachine, kRunPath, "Probe", view == kKeyWow64_32Key ? "p32" : "p64");
  }
  EXPECT_EQ(ReadIn(kKeyWow64_32Key, kHKeyLocalMachine, kRunPath, "Probe"), "p32");
  EXPECT_EQ(ReadIn(kKeyWow64_64Key, kHKeyLocalMachine, kRunPath, "Probe"), "p64");
  // The 32-bit view is the 64-bit view's Wow6432Node; a process naming no view sees its own:
  // the 64-bit one for a 64-bit process, the 32-bit one under WOW64.
  EXPECT_EQ(ReadIn(kKeyWow64_64Key, kHKeyLocalMachine,
                   "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run", "Probe"),
            "p32");
  HKey key = 0;
  ASSERT_EQ(Reg().OpenKeyEx(kHKeyLocalMachine, kRunPath, kKeyRead, &key), kOk);
  std::string data(16, '\0');
  std::uint32_t size = 16;
  EXPECT_EQ(Reg().QueryValueEx(key, "Probe", nullptr, data.data(), &size), kOk);
  EXPECT_EQ(std::string(data.c_str()), sizeof(void*) == 8 ? "p64" : "p32");
  Reg().CloseKey(key);

  // The user's Run key is one for both views.
  {
    InRawView in(kKeyWow64_64Key);
    SetRawString(kHKeyCurrentUser, kRunPath, "Mine", "mine.exe");
  }
  EXPECT_EQ(ReadIn(kKeyWow64_32Key, kHKeyCurrentUser, kRunPath, "Mine"), "mine.exe");
}

// What a user (or an installer) plants with reg.exe in either view is what the program lists,
// each under its own name.
TEST_F(Wow64Win32Test, ValuesPlantedByRegInEitherViewAreListedFromThatView) {
  LW_NEEDS_WINDOWS64();
  const std::string key = "HKLM\\" + std::string(kRunPath);
  ASSERT_EQ(RunReg("add \"" + key + "\" /v Planted /d planted32.exe /f /reg:32"), 0u);
  ASSERT_EQ(RunReg("add \"" + key + "\" /v Planted /d planted64.exe /f /reg:64"), 0u);
  StartupMover mover;
  ValueMap listed;
  for (int i = 0; i < mover.RunItemCount(); ++i) {
    const RunKeyItem& item = mover.RunItem(i);
    listed[item.name] = item.command;
  }
  EXPECT_EQ(listed,
            (ValueMap{{"Planted", "planted32.exe"}, {"Planted (64-bit)", "planted64.exe"}}));
}

// A bare program name that only SysWOW64 holds: the search of the 64-bit system folder (the
// one Windows' own logon makes) does not find it, and the runner then starts it from SysWOW64
// for an item of the machine's 32-bit view, as it started before. (A 32-bit program's own search
// meets SysWOW64 as its System32, so the fact is the 64-bit program's.)
TEST_F(Wow64Win32Test, ABareNameOnlySysWow64HoldsStartsFromThereForThe32BitView) {
  LW_NEEDS_CONFIGURATION(WindowsConfiguration::k64BitProgram);
  const std::string probe = Sys().GetWindowsDirectory() + "\\SysWOW64\\lwwow64probe.exe";
  InstallProbe(probe);
  ProcessInformation info;
  EXPECT_FALSE(Sys().CreateProcess("lwwow64probe.exe wow", kNormalPriorityClass, &info));
  SetRawString(kHKeyLocalMachine, kRunItemsKey, "Wow", "lwwow64probe.exe wow");
  {
    LogonRunner runner(StatusCallback{}, RunnerUse::kSingleItems);
    EXPECT_TRUE(runner.StartRunkeyItem("Wow", "lwwow64probe.exe wow"));
  }
  const std::vector<ProbeStart> starts = WaitForProbeStarts(1);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_NE(starts.front().commandLine.find("wow"), std::string::npos);
  EXPECT_EQ(RawString(kHKeyCurrentUser, kExecMethodKey, "Wow"), kExecSysWow64);
  RemoveProbe(probe);
}

}  // namespace
}  // namespace lw::test
