// The New Item dialog on the screen. A helper thread plays the user: it waits for the dialog,
// types into its edits, reads whether Add may be pressed and presses a button, while the test
// thread sits in Execute.

#include "ui/win32/NewItemDialogView.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "platform/win32/Win32Api.h"
#include "support/TestEnv.h"

namespace lw {
namespace {

constexpr auto kPoll = std::chrono::milliseconds(50);
constexpr int kPollLimit = 200;  // ten seconds

HWND WaitForShownDialog() {
  for (int i = 0; i < kPollLimit; ++i) {
    HWND dialog = ::FindWindowA(kNewItemDialogClass, kNewItemCaption);
    if (dialog != nullptr && ::IsWindowVisible(dialog)) return dialog;
    std::this_thread::sleep_for(kPoll);
  }
  return nullptr;
}

void Type(HWND dialog, int id, const std::string& text) {
  ::SendMessageA(::GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string TextOf(HWND dialog, int id) {
  char text[1024] = {};
  ::SendMessageA(::GetDlgItem(dialog, id), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

bool AddEnabled(HWND dialog) { return ::IsWindowEnabled(::GetDlgItem(dialog, kNewItemAddId)); }

// Runs Execute while the user's steps run on a thread of their own; a dialog the steps left
// open is closed. Returns Execute's result (0 when the dialog never appeared).
int RunDialog(NewItemDialogView& dialog, const std::function<void(HWND)>& steps) {
  std::atomic<bool> shown{false};
  int result = 0;
  {
    std::jthread user([&] {
      HWND window = WaitForShownDialog();
      if (window == nullptr) return;
      shown = true;
      steps(window);
      for (int i = 0; i < kPollLimit && ::IsWindowVisible(window); ++i) {
        std::this_thread::sleep_for(kPoll);
      }
      if (::IsWindowVisible(window)) ::PostMessageA(window, WM_CLOSE, 0, 0);
    });
    result = dialog.Execute();
  }
  return shown ? result : 0;
}

TEST(NewItemDialogWin32Test, AddFollowsWhatIsTypedAndEachShowStartsEmpty) {
  test::ResetPlatform();
  const std::string folder = test::ScratchFolder();
  const std::string program = folder + "tool.exe";
  ASSERT_TRUE(Files().WriteFile(program, "MZ"));
  ASSERT_TRUE(Files().CreateDirectory(folder + "sub"));
  NewItemDialogView dialog;

  const int added = RunDialog(dialog, [&](HWND window) {
    EXPECT_FALSE(AddEnabled(window));
    Type(window, kNewItemNameId, "Tool");
    EXPECT_FALSE(AddEnabled(window));
    Type(window, kNewItemPathId, folder + "sub");
    EXPECT_FALSE(AddEnabled(window));  // a folder
    Type(window, kNewItemPathId, folder + "missing.exe");
    EXPECT_FALSE(AddEnabled(window));
    Type(window, kNewItemPathId, program);
    EXPECT_TRUE(AddEnabled(window));
    Type(window, kNewItemNameId, "");
    EXPECT_FALSE(AddEnabled(window));
    Type(window, kNewItemNameId, "Tool");
    ::SendMessageA(::GetDlgItem(window, kNewItemAddId), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(added, IDOK);
  EXPECT_EQ(dialog.Name(), "Tool");
  EXPECT_EQ(dialog.Path(), program);

  const int cancelled = RunDialog(dialog, [&](HWND window) {
    EXPECT_EQ(TextOf(window, kNewItemNameId), "");
    EXPECT_EQ(TextOf(window, kNewItemPathId), "");
    EXPECT_FALSE(AddEnabled(window));
    ::SendMessageA(::GetDlgItem(window, kNewItemCancelId), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(cancelled, IDCANCEL);
}

}  // namespace
}  // namespace lw
