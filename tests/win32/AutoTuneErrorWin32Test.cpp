// The auto-tune error on the real windows. Wine can always sample the load (from GetSystemTimes),
// so the failure is staged in this process: the real Windows behind a wrapper that has no
// system times and performance data without the processor counter. Then the check shows the
// real dialog, which a helper thread finds, reads and closes as the user would.

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "driver/WindowDriver.h"
#include "entry/ProcessUnits.h"
#include "platform/ForwardingPlatform.h"
#include "platform/PerfDataBlock.h"
#include "platform/win32/Win32Platform.h"
#include "runner/ProcessorLoad.h"
#include "runner/StartupControl.h"
#include "runner/win32/AutoTuneErrorDialog.h"
#include "store/SettingsStore.h"
#include "support/RawRegistry.h"
#include "support/TestEnv.h"
#include "ui/Options.h"
#include "ui/win32/Win32Application.h"

namespace lw::test {
namespace {

constexpr std::uint32_t kErrorNotSupported = 50;

// The real system calls, but GetSystemTimes fails.
class NoSystemTimes : public ForwardingSystem {
 public:
  explicit NoSystemTimes(ISystem& inner) : ForwardingSystem(inner) {}

  bool GetSystemTimes(std::uint64_t*, std::uint64_t*, std::uint64_t*) override {
    inner_.SetLastError(kErrorNotSupported);
    return false;
  }
};

// The real registry, but the performance data hold a Processor object without its "% Processor
// Time" counter, as on a machine whose counters are damaged.
class NoProcessorCounter : public ForwardingRegistry {
 public:
  explicit NoProcessorCounter(IRegistry& inner)
      : ForwardingRegistry(inner),
        block_(perf::BuildPerfDataBlock({{238, {{10, {0}}}, {"0"}}}, 1)) {}

  long ConnectRegistry(const std::string& machine, HKey root, HKey* result) override {
    if (root != kHKeyPerformanceData)
      return ForwardingRegistry::ConnectRegistry(machine, root, result);
    *result = kHKeyPerformanceData;
    return kErrorSuccess;
  }
  long QueryValueEx(HKey key, const std::string& name, std::uint32_t* type, void* data,
                    std::uint32_t* size) override {
    if (key != kHKeyPerformanceData)
      return ForwardingRegistry::QueryValueEx(key, name, type, data, size);
    const auto needed = static_cast<std::uint32_t>(block_.size());
    if (type != nullptr) *type = kRegBinary;
    if (data != nullptr && *size < needed) return kErrorMoreData;
    if (data != nullptr) std::copy(block_.begin(), block_.end(), static_cast<std::uint8_t*>(data));
    *size = needed;
    return kErrorSuccess;
  }

 private:
  std::vector<std::uint8_t> block_;
};

class NoLoadPlatform : public IPlatform {
 public:
  NoLoadPlatform()
      : inner_(MakeWin32Platform()), registry_(inner_->Registry()), system_(inner_->System()) {}

  IRegistry& Registry() override { return registry_; }
  IToken& Token() override { return inner_->Token(); }
  IFileSystem& Files() override { return inner_->Files(); }
  ISystem& System() override { return system_; }
  IShell& Shell() override { return inner_->Shell(); }
  ITaskScheduler& Tasks() override { return inner_->Tasks(); }

 private:
  std::unique_ptr<IPlatform> inner_;
  NoProcessorCounter registry_;
  NoSystemTimes system_;
};

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  for (std::size_t end = text.find("\r\n"); end != std::string::npos;
       at = end + 2, end = text.find("\r\n", at)) {
    lines.push_back(text.substr(at, end - at));
  }
  lines.push_back(text.substr(at));
  return lines;
}

class AutoTuneErrorWin32Test : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    // The pauses are there, as the runner leaves them after its first logon: the options'
    // Save accepts them.
    for (const char* value : {kInitialPauseValue, kRunkeyDelayValue, kStartupDelayValue}) {
      SetRawDword(kHKeyLocalMachine, kProgramKey, value, 100);
    }
    InstallPlatform(std::make_unique<NoLoadPlatform>());
    InitializeProcessUnits();
    CreateOptions();
    application = std::make_unique<Win32Application>();
  }
  void TearDown() override {
    application.reset();
    FreeOptions();
    FinalizeProcessUnits();
  }

  std::unique_ptr<Win32Application> application;
};

// The dialog shows its five lines once; auto-tune is then off and saved, and the lines are in
// the error log. A second check shows nothing.
TEST_F(AutoTuneErrorWin32Test, ShowsTheDialogOnceAndSwitchesAutoTuneOff) {
  // The reader finds out with its first sample, as a logon with items to start takes it.
  SampleCpuUsage();
  ASSERT_TRUE(CpuSamplingFailed());
  ASSERT_FALSE(SharedOptions().DisableAutoTune());
  AutoTuneErrorDialog dialog;

  std::vector<std::string> lines;
  std::thread user([&] {
    const HWND shown = driver::WaitForProcessWindow(
        ::GetCurrentProcessId(), {"TFrmAutoTuneError", kAutoTuneErrorCaption, true});
    if (shown != nullptr) lines = SplitLines(driver::ControlText(shown, kAutoTuneErrorTextId));
    // Closed in any case, so that a failing case does not hang.
    driver::PostWindowMessage(shown != nullptr ? shown : dialog.Handle(), WM_CLOSE, 0, 0);
  });
  int shows = 0;
  CheckAutoTuneFailure([&] {
    ++shows;
    dialog.ShowModal();
  });
  user.join();

  const std::vector<std::string> expected = {
      "Auto-tune disabled - Failed to retreive [Processor\\% Processor Time]",
      "",
      "Make sure your PAGE FILE is not disabled and see the following address to fix the "
      "problem:",
      "",
      AutoTuneErrorLines().back(),
  };
  EXPECT_EQ(shows, 1);
  EXPECT_EQ(lines, expected);
  EXPECT_TRUE(SharedOptions().DisableAutoTune());
  EXPECT_EQ(Files().GetPrivateProfileString(kDisableAutoTuneOption, kDisableAutoTuneOption, "",
                                            ExeFolder() + kOptionsFileName),
            "1");
  const std::string log = ReadWholeFile(ExeFolder() + "error.txt");
  std::string text = expected.front();
  for (std::size_t i = 1; i < expected.size(); ++i) text += "\r\n" + expected[i];
  EXPECT_NE(log.find(text + "\r\n"), std::string::npos) << log;

  CheckAutoTuneFailure([&] { ++shows; });
  EXPECT_EQ(shows, 1);
  EXPECT_EQ(ReadWholeFile(ExeFolder() + "error.txt"), log);
}

}  // namespace
}  // namespace lw::test
