// The edit window on 64-bit Windows: every command works on an item of the machine's 64-bit
// view ("Tray (64-bit)") as on its namesake of the 32-bit view, and each reaches the view the
// item came from.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "support/EditWindowFixture.h"
#include "util/WindowsBitness.h"

namespace lw::test {
namespace {

using Strings = std::vector<std::string>;
using Id = EditListId;

constexpr char kTray64[] = "Tray (64-bit)";

class EditMachineViewsTest : public EditWindowFixture {
 protected:
  void SetUp() override {
    EditWindowFixture::SetUp();
    window.reset();
    runner.reset();
    const bool windows64 = StartOn64BitWindows();
    runner = std::make_unique<LogonRunner>(StatusCallback{}, RunnerUse::kSingleItems);
    window = std::make_unique<EditWindow>(view, *runner);
    if (!windows64) GTEST_SKIP() << "needs 64-bit Windows";
    PlantMachineRun(kKeyWow64_32Key, "Tray", "C:\\tray32.exe");
    PlantMachineRun(kKeyWow64_64Key, "Tray", "C:\\tray64.exe");
    Pass();
    Open();
  }
};

TEST_F(EditMachineViewsTest, EveryCommandWorksOnItemsOfBothViews) {
  struct Row {
    std::string caption;
    std::uint32_t view;
    std::string command;
  } rows[] = {
      {kTray64, kKeyWow64_64Key, "C:\\tray64.exe"},
      {"Tray", kKeyWow64_32Key, "C:\\tray32.exe"},
  };
  for (const Row& row : rows) {
    const std::uint32_t other = row.view == kKeyWow64_64Key ? kKeyWow64_32Key : kKeyWow64_64Key;
    const ValueMap here{{"Tray", row.command}};
#ifndef _WIN32
    // Run starts the item's own command (only the simulation records what starts).
    Files().WriteFile(row.command, "MZ");
    Select(Id::kRunSort, {row.caption});
    window->OnRunChosen();
    ASSERT_FALSE(Sim().ProcessStarts().empty()) << row.caption;
    EXPECT_EQ(Sim().ProcessStarts().back().image, row.command);
#endif
    struct Step {
      const char* what;
      std::function<void()> command;
      std::function<bool()> done;
      int questions;  // answered Yes
    } steps[] = {
        {"disable",
         [&] {
           Select(Id::kRunSort, {row.caption});
           window->OnDisableRunClicked();
         },
         [&] { return RawValueExists(kHKeyLocalMachine, kRunDisabledKey, row.caption); }, 1},
        {"enable",
         [&] {
           Select(Id::kRunDisabled, {row.caption});
           window->OnRunEnableClicked();
         },
         [&] { return RunOrderHolds(row.caption); }, 0},
        {"pause",
         [&] {
           Select(Id::kRunSort, {row.caption});
           window->OnSetRunPauseClicked("250");
         },
         [&] { return GetCustomDelay(row.caption) == 250; }, 0},
        {"priority",
         [&] {
           Select(Id::kRunSort, {row.caption});
           window->OnPriorityChosen(kBelowNormalPriorityClass);
         },
         [&] {
           return GetPriority(row.caption, 0) ==
                  static_cast<std::int32_t>(kBelowNormalPriorityClass);
         },
         0},
        {"exclude",
         [&] {
           Select(Id::kRunSort, {row.caption});
           window->OnExcludeRunClicked();
         },
         [&] { return MachineRunValues(row.view) == here && !RunOrderHolds(row.caption); }, 1},
        {"include",
         [&] {
           Select(Id::kRunDisabled, {row.caption});
           window->OnRunEnableClicked();
         },
         [&] { return MachineRunValues(row.view).empty() && RunOrderHolds(row.caption); }, 0},
        {"delete",
         [&] {
           Select(Id::kRunSort, {row.caption});
           window->OnDisableRunClicked();
           Select(Id::kRunDisabled, {row.caption});
           window->OnRunDeleteClicked();
         },
         [&] {
           return !RawValueExists(kHKeyLocalMachine, kRunDisabledKey, row.caption) &&
                  !RunOrderHolds(row.caption);
         },
         2},
    };
    for (const Step& step : steps) {
      dialogs.Clear();
      for (int k = 0; k < step.questions; ++k) dialogs.Answer(true);
      step.command();
      EXPECT_TRUE(step.done()) << row.caption << ": " << step.what;
      // No command fails; an empty run order only brings the first-install hint.
      for (const std::string& message : dialogs.Messages()) {
        EXPECT_EQ(message, kMsgFirstInstall) << row.caption << ": " << step.what;
      }
      // The namesake of the other view is never touched.
      EXPECT_TRUE(MachineRunValues(other).empty()) << row.caption << ": " << step.what;
    }
  }
}

}  // namespace
}  // namespace lw::test
