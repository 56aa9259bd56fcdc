// The edit window of the real program, used as a user uses it: opened from the main window, the
// rows moved with the buttons and the keyboard, items disabled and enabled, excluded and
// included, a pause set, a program added through the New Item dialog, the order kept across
// openings; and opened from the new-items icon that a logon leaves, whose closing ends the
// program. Each step is checked in the store, where the next logon reads it.

#include <string>
#include <vector>

#include "edit/EditWindow.h"
#include "edit/win32/EditWindowView.h"
#include "support/ScriptNames.h"
#include "support/win32/LogonFixture.h"
#include "ui/MainWindow.h"
#include "ui/NewItemDialog.h"
#include "ui/win32/MainWindowView.h"
#include "ui/win32/NewItemDialogView.h"

namespace lw::test {
namespace {

using driver::ChildProcess;

const driver::WindowQuery kMainWindowQuery{kMainWindowClass, kProductTitle, true};
const driver::WindowQuery kEditWindowQuery{kEditWindowClass, kEditWindowCaption, true};

class EditWindowEndToEndTest : public LogonTest {
 protected:
  static bool Enabled(HWND window, int id) { return ::IsWindowEnabled(::GetDlgItem(window, id)); }
  static HWND Control(HWND window, int id) { return ::GetDlgItem(window, id); }
  // Keys go to the foreground window. After a question box closes, Wine gives the foreground
  // back to the window a moment later (later still on a busy machine): keys typed before that
  // go to nobody, so the window is made the foreground one first.
  static bool TypeInto(HWND window, const std::vector<WORD>& chord) {
    if (::GetForegroundWindow() != window) ::SetForegroundWindow(window);
    if (!driver::WaitUntil([&] { return ::GetForegroundWindow() == window; })) return false;
    return driver::TypeKeys(chord);
  }
  // The top of the control in its window's client area.
  static int ClientTop(HWND window, int id) {
    RECT rect{};
    ::GetWindowRect(::GetDlgItem(window, id), &rect);
    POINT corner{rect.left, rect.top};
    ::ScreenToClient(window, &corner);
    return corner.y;
  }

  // The run order as stored.
  static std::vector<std::string> RunOrder() {
    std::vector<std::string> order;
    const std::int64_t count = RawDword(kHKeyLocalMachine, kRunSortKey, "SortIndex", 0);
    for (std::int64_t i = 0; i < count; ++i) {
      const std::string name = RawString(kHKeyLocalMachine, kRunSortKey, std::to_string(i));
      if (!name.empty()) order.push_back(name);
    }
    return order;
  }
  // The captions of a list's rows, as the window shows them.
  static std::vector<std::string> Captions(HWND list) {
    std::vector<std::string> captions;
    const int count = driver::ListRowCount(list);
    for (int row = 0; row < count; ++row) captions.push_back(driver::ListCellText(list, row, 0));
    return captions;
  }
  static bool OrderBecomes(const std::vector<std::string>& order) {
    return driver::WaitUntil([&] { return RunOrder() == order; });
  }
  static bool ShowsRows(HWND list, const std::vector<std::string>& captions) {
    return driver::WaitUntil([&] { return Captions(list) == captions; });
  }
  // Selects the row with the caption (and only it), as a click would.
  static bool Select(HWND list, const std::string& caption) {
    const std::vector<std::string> captions = Captions(list);
    for (std::size_t row = 0; row < captions.size(); ++row) {
      if (captions[row] == caption) return driver::SelectListRows(list, {static_cast<int>(row)});
    }
    ADD_FAILURE() << "no row " << caption;
    return false;
  }
  // Presses the button once the selection reached the window's logic (which enables it).
  static bool Press(HWND window, int id) {
    return driver::WaitUntil([&] { return Enabled(window, id); }) &&
           driver::PressButton(window, id);
  }
  HWND OpenFromMain(const ChildProcess& process, HWND main) const {
    EXPECT_TRUE(driver::PressButton(main, kMainEditId));
    const HWND edit = driver::WaitForProcessWindow(process.Id(), kEditWindowQuery);
    EXPECT_NE(edit, nullptr);
    return edit;
  }
};

TEST_F(EditWindowEndToEndTest, FromTheMainWindowEveryChangeIsStoredAtOnceAndKept) {
  StageRunItems({{"Alpha", ProbeCommand("a"), ""},
                 {"Bravo", ProbeCommand("b"), ""},
                 {"Charlie", ProbeCommand("c"), ""}});
  ChildProcess process = Start("");
  const HWND main = driver::WaitForProcessWindow(process.Id(), kMainWindowQuery);
  ASSERT_NE(main, nullptr);
  const HWND edit = OpenFromMain(process, main);
  ASSERT_NE(edit, nullptr);
  EXPECT_FALSE(::IsWindowEnabled(main));  // modal
  const HWND list = Control(edit, kEditRunIds.list);
  const HWND lower = Control(edit, kEditRunIds.lowerList);
  ASSERT_TRUE(ShowsRows(list, {"Alpha", "Bravo", "Charlie"}));
  EXPECT_EQ(driver::ListCellText(list, 0, 1), ProbeCommand("a"));
  EXPECT_EQ(driver::ListCellText(list, 0, 3), kDefaultPauseText);
  EXPECT_FALSE(driver::IsVisible(Control(edit, kEditStartupIds.list)));

  // The move buttons.
  ASSERT_TRUE(Select(list, "Alpha"));
  ASSERT_TRUE(driver::PressButton(edit, kEditRunIds.down));
  ASSERT_TRUE(OrderBecomes({"Bravo", "Alpha", "Charlie"}));
  ASSERT_TRUE(driver::PressButton(edit, kEditRunIds.top));
  ASSERT_TRUE(OrderBecomes({"Alpha", "Bravo", "Charlie"}));
  EXPECT_EQ(driver::SelectedListRows(list), std::vector<int>{0});

  // Ctrl+Down from the keyboard, in the list clicked last.
  ASSERT_TRUE(driver::ClickListRow(list, 0));
  ASSERT_TRUE(
      driver::WaitUntil([&] { return driver::SelectedListRows(list) == std::vector<int>{0}; }));
  ASSERT_TRUE(TypeInto(edit, {VK_CONTROL, VK_DOWN}));
  ASSERT_TRUE(OrderBecomes({"Bravo", "Alpha", "Charlie"}));

  // Disable asks first; the item leaves the order for the disabled ones, drawn in the lower
  // list; Enable puts it back at the end.
  ASSERT_TRUE(Select(list, "Bravo"));
  ASSERT_TRUE(Press(edit, kEditRunIds.disable));
  ASSERT_TRUE(Answer(process, kMsgConfirmDisable, IDYES));
  ASSERT_TRUE(OrderBecomes({"Alpha", "Charlie"}));
  // One command writes several values: each is waited for.
  EXPECT_TRUE(driver::WaitUntil(
      [&] { return RawString(kHKeyLocalMachine, kRunDisabledKey, "Bravo") == ProbeCommand("b"); }));
  ASSERT_TRUE(ShowsRows(lower, {"Bravo"}));
  EXPECT_EQ(driver::ListCellText(lower, 0, 2), kDisabledStatusText);
  ASSERT_TRUE(Select(lower, "Bravo"));
  ASSERT_TRUE(
      driver::WaitUntil([&] { return driver::ControlText(edit, kEditRunIds.enable) == "Enable"; }));
  ASSERT_TRUE(Press(edit, kEditRunIds.enable));
  ASSERT_TRUE(OrderBecomes({"Alpha", "Charlie", "Bravo"}));
  EXPECT_TRUE(driver::WaitUntil(
      [] { return !RawValueExists(kHKeyLocalMachine, kRunDisabledKey, "Bravo"); }));
  ASSERT_TRUE(ShowsRows(lower, {}));

  // Exclude gives the item back to Windows' Run key; Include takes it over again.
  ASSERT_TRUE(Select(list, "Alpha"));
  ASSERT_TRUE(Press(edit, kEditRunIds.exclude));
  ASSERT_TRUE(Answer(process, kMsgConfirmExclude, IDYES));
  ASSERT_TRUE(OrderBecomes({"Charlie", "Bravo"}));
  EXPECT_TRUE(driver::WaitUntil([&] {
    return RunValue(kHKeyLocalMachine, "Alpha") == ProbeCommand("a") &&
           RawValueExists(kHKeyLocalMachine, kRunExcludeKey, "Alpha");
  }));
  ASSERT_TRUE(ShowsRows(lower, {"Alpha"}));
  EXPECT_EQ(driver::ListCellText(lower, 0, 2), kExcludedStatusText);
  ASSERT_TRUE(Select(lower, "Alpha"));
  ASSERT_TRUE(driver::WaitUntil(
      [&] { return driver::ControlText(edit, kEditRunIds.enable) == "Include"; }));
  ASSERT_TRUE(Press(edit, kEditRunIds.enable));
  ASSERT_TRUE(OrderBecomes({"Charlie", "Bravo", "Alpha"}));
  EXPECT_TRUE(driver::WaitUntil([] {
    return RunValue(kHKeyLocalMachine, "Alpha") == "<missing>" &&
           !RawValueExists(kHKeyLocalMachine, kRunExcludeKey, "Alpha");
  }));
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunItemsKey, "Alpha"), ProbeCommand("a"));

  // A pause of its own for one item; letters are refused and change nothing.
  ASSERT_TRUE(Select(list, "Charlie"));
  ASSERT_TRUE(driver::WaitUntil([&] { return Enabled(edit, kEditRunIds.pause); }));
  const HWND pause = Control(edit, kEditRunIds.pause);
  ::SendMessageA(pause, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("1500"));
  ASSERT_TRUE(Press(edit, kEditRunIds.setPause));
  ASSERT_TRUE(driver::WaitUntil(
      [] { return RawDword(kHKeyLocalMachine, kCustomDelaysKey, "Charlie", -1) == 1500; }));
  ASSERT_TRUE(driver::WaitUntil([&] { return driver::ListCellText(list, 0, 3) == "1500"; }));
  ::SendMessageA(pause, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("15 s"));
  ASSERT_TRUE(Press(edit, kEditRunIds.setPause));
  ASSERT_TRUE(Answer(process, kMsgPauseNumbersOnly, IDOK));
  EXPECT_EQ(RawDword(kHKeyLocalMachine, kCustomDelaysKey, "Charlie", -1), 1500);

  // A new program through the New Item dialog (the pop-up menu's command): it joins the order
  // as the current user's item.
  ASSERT_TRUE(driver::PostWindowMessage(edit, WM_COMMAND, kEditMenuNewItemId, 0));
  const HWND dialog =
      driver::WaitForProcessWindow(process.Id(), {kNewItemDialogClass, kNewItemCaption, true});
  ASSERT_NE(dialog, nullptr);
  ::SendMessageA(Control(dialog, kNewItemNameId), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>("Probe New"));
  ::SendMessageA(Control(dialog, kNewItemPathId), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(probe.c_str()));
  ASSERT_TRUE(Press(dialog, kNewItemAddId));
  ASSERT_TRUE(driver::WaitUntil([] { return RunOrder().size() == 4; }));
  const std::string added = RunOrder().back();
  EXPECT_EQ(added, CurrentUserName() + "_Probe New");
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunItemsKey, added), probe);
  EXPECT_TRUE(
      driver::WaitUntil([] { return RunValue(kHKeyCurrentUser, "Probe New") == "<missing>"; }));
  ASSERT_TRUE(ShowsRows(list, {"Charlie", "Bravo", "Alpha", added}));

  // The splitter dragged 40 pixels down and the window made larger: both are stored when it
  // closes.
  const int titleTop = ClientTop(edit, kEditRunIds.lowerTitle);
  const int grip = titleTop - kEditSplitterHeight / 2;
  ASSERT_TRUE(driver::PostWindowMessage(edit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, grip)));
  ASSERT_TRUE(
      driver::PostWindowMessage(edit, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(100, grip + 40)));
  ASSERT_TRUE(driver::PostWindowMessage(edit, WM_LBUTTONUP, 0, MAKELPARAM(100, grip + 40)));
  ASSERT_TRUE(
      driver::WaitUntil([&] { return ClientTop(edit, kEditRunIds.lowerTitle) == titleTop + 40; }));
  RECT frame{};
  ::GetWindowRect(edit, &frame);
  const int width = frame.right - frame.left + 100;
  const int height = frame.bottom - frame.top + 60;
  ASSERT_TRUE(::SetWindowPos(edit, nullptr, 0, 0, width, height,
                             SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));

  // Closed and opened again: the main window is back, and the order is the stored one.
  ASSERT_TRUE(driver::PostWindowMessage(edit, WM_CLOSE, 0, 0));
  ASSERT_TRUE(
      driver::WaitUntil([&] { return ::IsWindowEnabled(main) && !driver::IsVisible(edit); }));
  EXPECT_TRUE(process.Running());
  EXPECT_EQ(RawDword(kHKeyLocalMachine, kProgramKey, kFormWidthValue, -1), width);
  EXPECT_EQ(RawDword(kHKeyLocalMachine, kProgramKey, kFormHeightValue, -1), height);
  EXPECT_EQ(RawDword(kHKeyLocalMachine, kProgramKey, kFormSplit1Value, -1), kEditUpperHeight + 40);
  EXPECT_EQ(RawDword(kHKeyLocalMachine, kProgramKey, kFormSplit2Value, -1), kEditUpperHeight);
  ASSERT_EQ(OpenFromMain(process, main), edit);
  EXPECT_TRUE(ShowsRows(list, {"Charlie", "Bravo", "Alpha", added}));
  ASSERT_TRUE(driver::PostWindowMessage(edit, WM_CLOSE, 0, 0));
  ASSERT_TRUE(driver::WaitUntil([&] { return ::IsWindowEnabled(main); }));
  ASSERT_TRUE(driver::PostWindowMessage(main, WM_CLOSE, 0, 0));
  EXPECT_EQ(ExitCode(process), 0);
  EXPECT_EQ(RunOrder(), (std::vector<std::string>{"Charlie", "Bravo", "Alpha", added}));
}

// Items named in four scripts, shown in both pages' lists under their names; disabled and
// enabled from the window, each step stored under the same name.
TEST_F(EditWindowEndToEndTest, NamesInAnyScriptAreListedDisabledAndEnabled) {
  const std::string privet = CurrentUserName() + "_" + kPrivet;
  StageRunItems({{kCafe, ProbeCommand(kCafe), ""},
                 {privet, ProbeCommand(kPrivet), CurrentUserName()},
                 {kChinese, ProbeCommand(kChinese), ""}});
  EnsureFolder(store);
  const std::vector<std::string> links =
      StageShortcuts({{kRocket + ".lnk", probe, "rocket", userStartup},
                      {kCafe + ".lnk", probe, "cafe", commonStartup}});
  ChildProcess process = Start("");
  const HWND main = driver::WaitForProcessWindow(process.Id(), kMainWindowQuery);
  ASSERT_NE(main, nullptr);
  const HWND edit = OpenFromMain(process, main);
  ASSERT_NE(edit, nullptr);
  const HWND list = Control(edit, kEditRunIds.list);
  const HWND lower = Control(edit, kEditRunIds.lowerList);
  ASSERT_TRUE(ShowsRows(list, {kCafe, privet, kChinese}));
  EXPECT_EQ(driver::ListCellText(list, 1, 1), ProbeCommand(kPrivet));
  EXPECT_EQ(Captions(Control(edit, kEditStartupIds.list)), links);

  ASSERT_TRUE(Select(list, kChinese));
  ASSERT_TRUE(Press(edit, kEditRunIds.disable));
  ASSERT_TRUE(Answer(process, kMsgConfirmDisable, IDYES));
  ASSERT_TRUE(OrderBecomes({kCafe, privet}));
  EXPECT_TRUE(driver::WaitUntil([&] {
    return RawString(kHKeyLocalMachine, kRunDisabledKey, kChinese) == ProbeCommand(kChinese);
  }));
  ASSERT_TRUE(ShowsRows(lower, {kChinese}));
  ASSERT_TRUE(Select(lower, kChinese));
  ASSERT_TRUE(
      driver::WaitUntil([&] { return driver::ControlText(edit, kEditRunIds.enable) == "Enable"; }));
  ASSERT_TRUE(Press(edit, kEditRunIds.enable));
  ASSERT_TRUE(OrderBecomes({kCafe, privet, kChinese}));
  EXPECT_TRUE(driver::WaitUntil(
      [] { return !RawValueExists(kHKeyLocalMachine, kRunDisabledKey, kChinese); }));
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunItemsKey, kChinese), ProbeCommand(kChinese));

  ASSERT_TRUE(driver::PostWindowMessage(edit, WM_CLOSE, 0, 0));
  ASSERT_TRUE(driver::WaitUntil([&] { return ::IsWindowEnabled(main); }));
  ASSERT_TRUE(driver::PostWindowMessage(main, WM_CLOSE, 0, 0));
  EXPECT_EQ(ExitCode(process), 0);
}

// Without the mouse: pages, Delete in both lists (each with its question) and Enter in the
// pause field; the window opens with the size and splitter an earlier run left.
TEST_F(EditWindowEndToEndTest, TheKeyboardReachesTheCommands) {
  StageRunItems({{"Alpha", ProbeCommand("a"), ""}, {"Bravo", ProbeCommand("b"), ""}});
  SetRawString(kHKeyLocalMachine, kRunDisabledKey, "Delta", ProbeCommand("d"));
  // The size and splitter an earlier run left.
  SetRawDword(kHKeyLocalMachine, kProgramKey, kFormWidthValue, 700);
  SetRawDword(kHKeyLocalMachine, kProgramKey, kFormHeightValue, 560);
  SetRawDword(kHKeyLocalMachine, kProgramKey, kFormSplit1Value, 300);
  ChildProcess process = Start("");
  const HWND main = driver::WaitForProcessWindow(process.Id(), kMainWindowQuery);
  ASSERT_NE(main, nullptr);
  const HWND edit = OpenFromMain(process, main);
  ASSERT_NE(edit, nullptr);
  const HWND list = Control(edit, kEditRunIds.list);
  const HWND lower = Control(edit, kEditRunIds.lowerList);
  ASSERT_TRUE(ShowsRows(lower, {"Delta"}));
  RECT frame{};
  ::GetWindowRect(edit, &frame);
  EXPECT_EQ(frame.right - frame.left, 700);
  EXPECT_EQ(frame.bottom - frame.top, 560);
  EXPECT_EQ(ClientTop(edit, kEditRunIds.lowerTitle) - ClientTop(edit, kEditRunIds.list),
            300 + kEditSplitterHeight);
  ::SetForegroundWindow(edit);
  ASSERT_TRUE(driver::WaitUntil([&] { return ::GetForegroundWindow() == edit; }));
  ASSERT_TRUE(driver::ClickListRow(list, 0));

  // Ctrl+Tab and Ctrl+PgUp: the other page, and back.
  const HWND startupList = Control(edit, kEditStartupIds.list);
  ASSERT_TRUE(TypeInto(edit, {VK_CONTROL, VK_TAB}));
  ASSERT_TRUE(driver::WaitUntil(
      [&] { return driver::IsVisible(startupList) && !driver::IsVisible(list); }));
  ASSERT_TRUE(TypeInto(edit, {VK_CONTROL, VK_PRIOR}));
  ASSERT_TRUE(driver::WaitUntil([&] { return driver::IsVisible(list); }));

  // Delete in the ordered list is Disable, with its question: No changes nothing.
  ASSERT_TRUE(driver::ClickListRow(list, 0));
  ASSERT_TRUE(driver::WaitUntil([&] { return Enabled(edit, kEditRunIds.disable); }));
  ASSERT_TRUE(TypeInto(edit, {VK_DELETE}));
  ASSERT_TRUE(Answer(process, kMsgConfirmDisable, IDNO));
  EXPECT_EQ(RunOrder(), (std::vector<std::string>{"Alpha", "Bravo"}));
  // The keyboard is back where it was before the question.
  EXPECT_TRUE(driver::WaitUntil([&] { return driver::FocusedWindow(edit) == list; }));

  // Enter in the pause field presses "set".
  const HWND pause = Control(edit, kEditRunIds.pause);
  ::SendMessageA(pause, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("700"));
  ASSERT_TRUE(driver::PostWindowMessage(pause, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2)));
  ASSERT_TRUE(driver::PostWindowMessage(pause, WM_LBUTTONUP, 0, MAKELPARAM(2, 2)));
  ASSERT_TRUE(TypeInto(edit, {VK_RETURN}));
  ASSERT_TRUE(driver::WaitUntil(
      [] { return RawDword(kHKeyLocalMachine, kCustomDelaysKey, "Alpha", -1) == 700; }));

  // Delete in the lower list deletes the disabled item, after its question.
  ASSERT_TRUE(driver::ClickListRow(lower, 0));
  ASSERT_TRUE(driver::WaitUntil([&] { return Enabled(edit, kEditRunIds.remove); }));
  ASSERT_TRUE(TypeInto(edit, {VK_DELETE}));
  ASSERT_TRUE(Answer(process, kMsgConfirmDelete, IDYES));
  ASSERT_TRUE(ShowsRows(lower, {}));
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunDisabledKey, "Delta"));

  // The context-menu key and Shift+F10 open the pop-up menu (a "#32768" window); Esc closes it.
  ASSERT_TRUE(driver::ClickListRow(list, 0));
  ASSERT_TRUE(driver::WaitUntil([&] { return driver::FocusedWindow(edit) == list; }));
  ASSERT_TRUE(TypeInto(edit, {VK_APPS}));
  // Open while the window's thread tracks a pop-up menu, or while a menu window ("#32768") is
  // on the screen. Wine lists the menu window as nobody's process's, so every window of that
  // class is looked at: the first one found may be another program's hidden one.
  auto menuOpen = [&] {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (::GetGUIThreadInfo(::GetWindowThreadProcessId(edit, nullptr), &info) &&
        (info.flags & GUI_POPUPMENUMODE) != 0) {
      return true;
    }
    for (HWND menu = ::FindWindowExA(nullptr, nullptr, "#32768", nullptr); menu != nullptr;
         menu = ::FindWindowExA(nullptr, menu, "#32768", nullptr)) {
      if (::IsWindowVisible(menu)) return true;
    }
    return false;
  };
  EXPECT_TRUE(driver::WaitUntil(menuOpen));
  ASSERT_TRUE(TypeInto(edit, {VK_ESCAPE}));
  ASSERT_TRUE(driver::WaitUntil([&] { return !menuOpen(); }));
  ASSERT_TRUE(TypeInto(edit, {VK_SHIFT, VK_F10}));
  EXPECT_TRUE(driver::WaitUntil(menuOpen));
  ASSERT_TRUE(TypeInto(edit, {VK_ESCAPE}));
  ASSERT_TRUE(driver::WaitUntil([&] { return !menuOpen(); }));

  ASSERT_TRUE(driver::PostWindowMessage(edit, WM_CLOSE, 0, 0));
  ASSERT_TRUE(driver::WaitUntil([&] { return ::IsWindowEnabled(main); }));
  ASSERT_TRUE(driver::PostWindowMessage(main, WM_CLOSE, 0, 0));
  EXPECT_EQ(ExitCode(process), 0);
}

// The new-items icon a logon leaves opens the window (without the main window); closing it
// removes the icon and ends the program.
TEST_F(EditWindowEndToEndTest, FromTheNewItemsIconClosingEndsTheProgram) {
  StageRunItems({{"ProbeA", ProbeCommand("a"), ""}});
  SetRawString(kHKeyLocalMachine, kProgramKey, kNewRunItemsValue, kNewRunItemsValue);
  ChildProcess process = Start("-go");
  const HWND runner = RunnerWindow(process);
  ASSERT_NE(runner, nullptr);
  EXPECT_EQ(ProbeArguments(1), std::vector<std::string>{"a"});
  ASSERT_TRUE(driver::WaitUntil([] {
    return RawValueExists(kHKeyLocalMachine, kRunOnceKey, kSelfRunValue) &&
           !RawValueExists(kHKeyLocalMachine, kProgramKey, kNewRunItemsValue);
  }));
  ASSERT_TRUE(driver::WaitUntil([&] { return driver::NotifyIconExists(runner); }));

  ASSERT_TRUE(driver::PostWindowMessage(runner, kNewItemsIconMessage, 0, WM_LBUTTONDBLCLK));
  const HWND edit = driver::WaitForProcessWindow(process.Id(), kEditWindowQuery);
  ASSERT_NE(edit, nullptr);
  EXPECT_TRUE(ShowsRows(::GetDlgItem(edit, kEditRunIds.list), {"ProbeA"}));
  EXPECT_TRUE(driver::ProcessWindows(process.Id(), kMainWindowQuery).empty());
  // A second double-click while it is open changes nothing.
  ASSERT_TRUE(driver::PostWindowMessage(runner, kNewItemsIconMessage, 0, WM_LBUTTONDBLCLK));
  EXPECT_FALSE(process.WaitForExit(1000));
  EXPECT_TRUE(driver::NotifyIconExists(runner));

  ASSERT_TRUE(driver::PostWindowMessage(edit, WM_CLOSE, 0, 0));
  EXPECT_EQ(ExitCode(process), 0);
  EXPECT_TRUE(driver::WineTrayIcons().empty());
  ExpectRegisteredForBothPhases();
}

}  // namespace
}  // namespace lw::test
