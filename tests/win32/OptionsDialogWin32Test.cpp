// The Options dialog on the screen. A helper thread plays the user: it waits for the dialog,
// clicks its boxes, types into its edits and presses its buttons, while the test thread sits
// in Execute; the stores ("options.ini" and the program key) are read afterwards.

#include "ui/win32/OptionsDialog.h"

#include "platform/win32/Win32Api.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/RawRegistry.h"
#include "support/RecordingDialogs.h"
#include "support/TestEnv.h"
#include "ui/Options.h"

namespace lw {
namespace {

const char kProgramKeyPath[] = "SOFTWARE\\Tallowmere\\Launchward";

// The options by control name: "1" or "0" for a check box, the text for an edit.
using State = std::map<std::string, std::string>;

struct OptionCase {
  const char* name;
  int id;
  const char* registryValue;  // the pause edits' value in the program key; null for a box
};

const OptionCase kOptions[] = {
    {"cbDisableMoveDialog", kOptionsDisableMoveDialogId, nullptr},
    {"cbShowStartupDialog", kOptionsShowStartupDialogId, nullptr},
    {"cbDisableSysTrayNotification", kOptionsDisableSysTrayNotificationId, nullptr},
    {"cbAutoDisable", kOptionsAutoDisableId, nullptr},
    {"txtIntInitPause", kOptionsInitPauseId, "InitialPauseMilli"},
    {"txtIntRunkeyPause", kOptionsRunkeyPauseId, "RunkeyDelayMilli"},
    {"txtIntStartupPause", kOptionsStartupPauseId, "StartupDelayMilli"},
    {"cbDisableAutoTune", kOptionsDisableAutoTuneId, nullptr},
    {"cbDisableBackgroundStart", kOptionsDisableBackgroundStartId, nullptr},
};

// ---- The user's side: runs on the helper thread (or on the test thread while the dialog is
// hidden); every call goes through the window's messages.

std::string TextOf(HWND window) {
  char text[1024] = {};
  ::SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

bool IsChecked(HWND dialog, int id) {
  return ::SendMessageA(::GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Click(HWND dialog, int id) { ::SendMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void Type(HWND dialog, int id, const std::string& text) {
  ::SendMessageA(::GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

State Shown(HWND dialog) {
  State state;
  for (const OptionCase& option : kOptions) {
    state[option.name] = option.registryValue == nullptr
                             ? (IsChecked(dialog, option.id) ? "1" : "0")
                             : TextOf(::GetDlgItem(dialog, option.id));
  }
  return state;
}

// Clicks each box that shows otherwise than the state and types each edit's text.
void Enter(HWND dialog, const State& state) {
  for (const OptionCase& option : kOptions) {
    const std::string& wanted = state.at(option.name);
    if (option.registryValue != nullptr) {
      Type(dialog, option.id, wanted);
    } else if (IsChecked(dialog, option.id) != (wanted == "1")) {
      Click(dialog, option.id);
    }
  }
}

enum class CancelBy { kButton, kEsc, kCloseBox };

void Cancel(HWND dialog, CancelBy way) {
  switch (way) {
    case CancelBy::kButton:
      Click(dialog, kOptionsCancelId);
      break;
    case CancelBy::kEsc:  // pressed while typing in an edit
      ::PostMessageA(::GetDlgItem(dialog, kOptionsRunkeyPauseId), WM_KEYDOWN, VK_ESCAPE, 0);
      break;
    case CancelBy::kCloseBox:
      ::PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
      break;
  }
}

constexpr auto kPoll = std::chrono::milliseconds(50);
constexpr int kPollLimit = 200;  // ten seconds

HWND WaitForShownDialog() {
  for (int i = 0; i < kPollLimit; ++i) {
    HWND dialog = ::FindWindowA("TFrmOptions", nullptr);
    if (dialog != nullptr && ::IsWindowVisible(dialog)) return dialog;
    std::this_thread::sleep_for(kPoll);
  }
  return nullptr;
}

bool WaitUntilHidden(HWND dialog) {
  for (int i = 0; i < kPollLimit; ++i) {
    if (!::IsWindowVisible(dialog)) return true;
    std::this_thread::sleep_for(kPoll);
  }
  return false;
}

struct Session {
  int result = 0;
  bool shown = false;     // the dialog appeared
  bool leftOpen = false;  // the user's steps did not end it (the helper then closed it)
};

// Runs Execute while the user's steps run on a thread of their own.
Session RunDialog(OptionsDialog& form, const std::function<void(HWND)>& steps) {
  std::atomic<bool> shown{false};
  std::atomic<bool> leftOpen{false};
  int result = 0;
  {
    std::jthread user([&] {
      HWND dialog = WaitForShownDialog();
      if (dialog == nullptr) return;
      shown = true;
      steps(dialog);
      if (!WaitUntilHidden(dialog)) {
        leftOpen = true;
        ::PostMessageA(dialog, WM_CLOSE, 0, 0);
      }
    });
    result = form.Execute();
  }
  return {result, shown, leftOpen};
}

// ---- The stores, read and staged through the seam, and the options the program goes by.

std::string IniPath() { return test::ExeFolder() + "options.ini"; }

// Boxes into "options.ini", pauses into the registry as integers.
void Stage(const State& state) {
  std::string ini;
  for (const OptionCase& option : kOptions) {
    const std::string& value = state.at(option.name);
    if (option.registryValue == nullptr) {
      ini += "[" + std::string(option.name) + "]\r\n" + option.name + "=" + value + "\r\n";
    } else {
      test::SetRawDword(kHKeyLocalMachine, kProgramKeyPath, option.registryValue,
                        static_cast<std::uint32_t>(std::stol(value)));
    }
  }
  ASSERT_TRUE(Files().WriteFile(IniPath(), ini));
}

State InIni() {
  State state;
  for (const OptionCase& option : kOptions) {
    state[option.name] =
        Files().GetPrivateProfileString(option.name, option.name, "<absent>", IniPath());
  }
  return state;
}

// The pauses in the registry; "<not an integer>" for a missing value or one of another type.
State InRegistry() {
  State state;
  for (const OptionCase& option : kOptions) {
    if (option.registryValue == nullptr) continue;
    const std::int64_t missing = std::numeric_limits<std::int64_t>::min();
    const std::int64_t value =
        test::RawDword(kHKeyLocalMachine, kProgramKeyPath, option.registryValue, missing);
    state[option.name] = value == missing ? "<not an integer>" : std::to_string(value);
  }
  return state;
}

State PausesOf(const State& state) {
  State pauses;
  for (const OptionCase& option : kOptions) {
    if (option.registryValue != nullptr) pauses[option.name] = state.at(option.name);
  }
  return pauses;
}

// Everything a save could change, to compare before and after.
std::string Stores() {
  return test::DumpTree(kHKeyLocalMachine, kProgramKeyPath) + "---\n" +
         test::ReadWholeFile(IniPath());
}

State Held() {
  State state;
  for (const OptionControl& control : SharedOptions().Controls()) {
    state[control.name] =
        control.kind == OptionKind::kCheckBox ? (control.checked ? "1" : "0") : control.text;
  }
  return state;
}

// A state from the boxes in creation order (a '1' or '0' each) and the three pauses.
State MakeState(const std::string& boxes, const std::string& init, const std::string& runkey,
                const std::string& startup) {
  const std::string pauses[] = {init, runkey, startup};
  std::size_t box = 0;
  std::size_t pause = 0;
  State state;
  for (const OptionCase& option : kOptions) {
    state[option.name] = option.registryValue == nullptr ? boxes.substr(box++, 1) : pauses[pause++];
  }
  return state;
}

// Move dialog off, startup dialog on, tray notification off, new items disabled, auto-tune on,
// background start off.
const State kStored = MakeState("101101", "5000", "1000", "2000");

class OptionsDialogWin32Test : public test::PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    StartProgram();
  }
  void TearDown() override {
    form_.reset();
    FreeOptions();
  }
  // What the program block does at start: load the options, then create the dialog.
  void StartProgram() {
    form_.reset();
    FreeOptions();
    CreateOptions();
    form_ = std::make_unique<OptionsDialog>();
  }

  test::RecordingDialogs dialogs_;
  std::unique_ptr<OptionsDialog> form_;
};

// ---- The window.

// The size of the control's text in its own font: on one line, or wrapped to the control.
SIZE TextExtent(HWND item, bool wrap) {
  RECT bounds{};
  ::GetClientRect(item, &bounds);
  HDC dc = ::GetDC(item);
  HGDIOBJ old =
      ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(item, WM_GETFONT, 0, 0)));
  RECT rect{0, 0, bounds.right, 0};
  const std::string text = TextOf(item);
  ::DrawTextA(dc, text.c_str(), -1, &rect,
              DT_CALCRECT | DT_NOPREFIX | (wrap ? DT_WORDBREAK : DT_SINGLELINE));
  ::SelectObject(dc, old);
  ::ReleaseDC(item, dc);
  return {rect.right, rect.bottom};
}

RECT ClientRectOf(HWND dialog, int id) {
  RECT rect{};
  ::GetWindowRect(::GetDlgItem(dialog, id), &rect);
  ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

TEST_F(OptionsDialogWin32Test, CaptionSizeAndTextsOfTheControls) {
  HWND dialog = form_->Handle();
  EXPECT_EQ(form_->ItemText(0), "Launchward  - Options");
  RECT client{};
  ::GetClientRect(dialog, &client);
  EXPECT_EQ(client.right, 410);
  EXPECT_EQ(client.bottom, 370);
  const LONG style = ::GetWindowLongA(dialog, GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));

  enum class Kind { kCheckBox, kLabel, kButton };
  struct Expected {
    int id;
    Kind kind;
    const char* text;
  };
  const Expected texts[] = {
      {kOptionsDisableMoveDialogId, Kind::kCheckBox,
       "Disable Startup Control dialog when Launchward moves items (Phase 1)"},
      {kOptionsShowStartupDialogId, Kind::kCheckBox,
       "Show Startup Control dialog when Launchward runs items (Phase 2)"},
      {kOptionsDisableSysTrayNotificationId, Kind::kCheckBox,
       "Disable System Tray notification when new items found"},
      {kOptionsAutoDisableId, Kind::kCheckBox,
       "Disable all new items by default (requires manually enabling to run)"},
      {kOptionsPauseNoteId, Kind::kLabel,
       "Longer pause increase the smoothness of the boot process but also increase the total "
       "time it takes to finish the startup process."},
      {kOptionsPausesGroupId, Kind::kButton, "Default Pauses"},
      {kOptionsInitPauseLabelId, Kind::kLabel, "Pause before starting any programs (milliseconds)"},
      {kOptionsRunkeyPauseLabelId, Kind::kLabel, "Pause between Runkey programs (milliseconds)"},
      {kOptionsStartupPauseLabelId, Kind::kLabel, "Pause between Startup programs (milliseconds)"},
      {kOptionsDisableAutoTuneId, Kind::kCheckBox, "Disable Auto-Tune (CPU usage updates)"},
      {kOptionsDisableBackgroundStartId, Kind::kCheckBox,
       "Disable background start of items at logon"},
      {kOptionsSaveId, Kind::kButton, "Save"},
      {kOptionsCancelId, Kind::kButton, "Cancel"},
  };
  const int checkMark = ::GetSystemMetrics(SM_CXMENUCHECK) + 4;
  for (const Expected& expected : texts) {
    HWND item = ::GetDlgItem(dialog, expected.id);
    ASSERT_NE(item, nullptr) << expected.id;
    EXPECT_EQ(TextOf(item), expected.text);
    // Nothing is cut off: labels wrap within their height, the rest keep to one line.
    const RECT rect = ClientRectOf(dialog, expected.id);
    const SIZE text = TextExtent(item, expected.kind == Kind::kLabel);
    const int room = rect.right - rect.left - (expected.kind == Kind::kCheckBox ? checkMark : 0) -
                     (expected.kind == Kind::kButton ? 8 : 0);
    EXPECT_LE(text.cx, room) << expected.text;
    EXPECT_LE(text.cy, rect.bottom - rect.top) << expected.text;
  }

  // Top to bottom as listed, every control inside the window, the pauses with their labels
  // inside the group, the buttons side by side in the bottom right corner.
  const std::vector<int> downwards[] = {
      {kOptionsDisableMoveDialogId, kOptionsShowStartupDialogId,
       kOptionsDisableSysTrayNotificationId, kOptionsAutoDisableId, kOptionsPauseNoteId,
       kOptionsPausesGroupId, kOptionsDisableAutoTuneId, kOptionsDisableBackgroundStartId,
       kOptionsSaveId},
      {kOptionsInitPauseId, kOptionsRunkeyPauseId, kOptionsStartupPauseId},
  };
  for (const std::vector<int>& ids : downwards) {
    for (std::size_t i = 1; i < ids.size(); ++i) {
      EXPECT_GE(ClientRectOf(dialog, ids[i]).top, ClientRectOf(dialog, ids[i - 1]).bottom)
          << ids[i];
    }
  }
  for (int id = kOptionsDisableMoveDialogId; id <= kOptionsDisableBackgroundStartId; ++id) {
    EXPECT_TRUE(Inside(ClientRectOf(dialog, id), client)) << id;
  }
  const RECT group = ClientRectOf(dialog, kOptionsPausesGroupId);
  for (int id = kOptionsInitPauseLabelId; id <= kOptionsStartupPauseId; ++id) {
    EXPECT_TRUE(Inside(ClientRectOf(dialog, id), group)) << id;
  }
  const RECT save = ClientRectOf(dialog, kOptionsSaveId);
  const RECT cancel = ClientRectOf(dialog, kOptionsCancelId);
  EXPECT_EQ(save.top, cancel.top);
  EXPECT_LT(save.right, cancel.left);
  EXPECT_GE(cancel.right, client.right - 16);
  EXPECT_GE(cancel.bottom, client.bottom - 16);
}

TEST_F(OptionsDialogWin32Test, CreationShowsTheStoredOptions) {
  Stage(kStored);
  StartProgram();
  EXPECT_EQ(Shown(form_->Handle()), kStored);
  EXPECT_FALSE(form_->Visible());
}

// ---- Saving and cancelling. Every show reloads the stores, so each session begins by noting
// what it shows, which is what the session before it left there.

TEST_F(OptionsDialogWin32Test, EveryOptionRoundTripsThroughTheStores) {
  // Each box has its own pattern over the cases (so two boxes mixed up show), and is checked
  // and unchecked again; each pause has its own values.
  const State cases[] = {
      MakeState("100101", "5000", "1000", "2000"),
      MakeState("011110", "0", "-1", "2147483647"),
      MakeState("001001", "-2147483648", "250", "0"),
  };
  State saved = MakeState("000000", "", "", "");  // nothing stored yet
  State shown;
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE("case " + std::to_string(i));
    const State& wanted = cases[i];
    const Session session = RunDialog(*form_, [&](HWND dialog) {
      shown = Shown(dialog);
      Enter(dialog, wanted);
      Click(dialog, kOptionsSaveId);
    });
    EXPECT_TRUE(session.shown);
    EXPECT_FALSE(session.leftOpen);
    EXPECT_EQ(session.result, IDOK);
    EXPECT_EQ(shown, saved);
    EXPECT_EQ(Held(), wanted);
    EXPECT_EQ(InIni(), wanted);
    EXPECT_EQ(InRegistry(), PausesOf(wanted));
    saved = wanted;
  }
  const Session last = RunDialog(*form_, [&](HWND dialog) {
    shown = Shown(dialog);
    Click(dialog, kOptionsCancelId);
  });
  EXPECT_EQ(last.result, IDCANCEL);
  EXPECT_EQ(shown, saved);
  EXPECT_TRUE(dialogs_.Messages().empty());
}

TEST_F(OptionsDialogWin32Test, RefusedPauseWritesNothingAndKeepsTheDialogOpen) {
  Stage(kStored);
  const struct {
    int id;
    const char* text;
  } refused[] = {
      {kOptionsInitPauseId, "1.5"},         {kOptionsRunkeyPauseId, "12a"},
      {kOptionsStartupPauseId, ""},         {kOptionsRunkeyPauseId, "2147483648"},
      {kOptionsInitPauseId, "-2147483649"},
  };
  const std::string before = Stores();
  const Session session = RunDialog(*form_, [&](HWND dialog) {
    Click(dialog, kOptionsShowStartupDialogId);  // a change that must not be saved either
    for (const auto& pause : refused) {
      Type(dialog, pause.id, pause.text);
      // Had Save taken the text, the dialog would end with OK and write the stores.
      Click(dialog, kOptionsSaveId);
      Type(dialog, pause.id, "1");
    }
    Click(dialog, kOptionsCancelId);
  });
  EXPECT_FALSE(session.leftOpen);
  EXPECT_EQ(session.result, IDCANCEL);
  EXPECT_EQ(
      dialogs_.Messages(),
      std::vector<std::string>(std::size(refused), "Millisecond fields must be numbers only"));
  EXPECT_EQ(Stores(), before);
}

TEST_F(OptionsDialogWin32Test, CancelEscAndCloseBoxForgetTheChangesAtTheNextShow) {
  Stage(kStored);
  const std::string before = Stores();
  State shown;
  for (CancelBy way : {CancelBy::kButton, CancelBy::kEsc, CancelBy::kCloseBox}) {
    SCOPED_TRACE("way " + std::to_string(static_cast<int>(way)));
    const Session session = RunDialog(*form_, [&](HWND dialog) {
      shown = Shown(dialog);
      Click(dialog, kOptionsAutoDisableId);  // stored as checked
      Type(dialog, kOptionsRunkeyPauseId, "7");
      Cancel(dialog, way);
    });
    EXPECT_FALSE(session.leftOpen);
    EXPECT_EQ(session.result, IDCANCEL);
    EXPECT_EQ(shown, kStored);
    EXPECT_EQ(Stores(), before);
    // Until the next show the program goes by what the user left in the controls.
    EXPECT_FALSE(SharedOptions().AutoDisable());
    EXPECT_EQ(SharedOptions().RunkeyPauseText(), "7");
  }
  RunDialog(*form_, [&](HWND dialog) {
    shown = Shown(dialog);
    Click(dialog, kOptionsCancelId);
  });
  EXPECT_EQ(shown, kStored);
  EXPECT_TRUE(dialogs_.Messages().empty());
}

TEST_F(OptionsDialogWin32Test, AutoTuneForcedOffShowsCheckedAtEveryShow) {
  Stage(kStored);  // auto-tune not disabled in "options.ini"
  SharedOptions().ForceAutoTuneOff();
  State expected = kStored;
  expected["cbDisableAutoTune"] = "1";
  State first;
  State second;
  RunDialog(*form_, [&](HWND dialog) {
    first = Shown(dialog);
    Click(dialog, kOptionsDisableAutoTuneId);
    Click(dialog, kOptionsCancelId);
  });
  RunDialog(*form_, [&](HWND dialog) {
    second = Shown(dialog);
    Click(dialog, kOptionsCancelId);
  });
  EXPECT_EQ(first, expected);
  EXPECT_EQ(second, expected);
}

}  // namespace
}  // namespace lw
