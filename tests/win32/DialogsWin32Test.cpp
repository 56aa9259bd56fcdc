// The Win32 dialog service shows real message boxes: a helper thread finds each box by its
// title, reads it and presses a button, as a user would.

#include "ui/win32/Win32Dialogs.h"

#include "platform/win32/Win32Api.h"

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "support/TestEnv.h"

namespace lw {
namespace {

struct SeenBox {
  std::vector<std::string> texts;  // the captions of the box's child windows
  bool has[8] = {};                // which of IDOK .. IDNO (1..7) are present
};

BOOL CALLBACK CollectChild(HWND child, LPARAM param) {
  char text[1024] = {};
  GetWindowTextA(child, text, sizeof text);
  reinterpret_cast<SeenBox*>(param)->texts.push_back(text);
  return TRUE;
}

// Waits for a box with the title, records what it shows and presses the button.
std::thread Answer(const std::string& title, int button, SeenBox* seen, std::atomic<bool>* found) {
  return std::thread([=] {
    for (int i = 0; i < 200; ++i) {
      HWND box = FindWindowA("#32770", title.c_str());
      if (box != nullptr) {
        EnumChildWindows(box, CollectChild, reinterpret_cast<LPARAM>(seen));
        for (int id = IDOK; id <= IDNO; ++id) seen->has[id] = GetDlgItem(box, id) != nullptr;
        *found = true;
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  });
}

bool Shows(const SeenBox& seen, const std::string& text) {
  for (const std::string& t : seen.texts) {
    if (t == text) return true;
  }
  return false;
}

TEST(DialogsWin32Test, MessageHasOneOkButtonAndTheTitle) {
  Win32Dialogs dialogs("Launchward test message");
  SeenBox seen;
  std::atomic<bool> found{false};
  std::thread user = Answer("Launchward test message", IDOK, &seen, &found);
  dialogs.ShowMessage("Install complete.\r\nNext line");
  user.join();
  ASSERT_TRUE(found);
  EXPECT_TRUE(Shows(seen, "Install complete.\r\nNext line"));
  EXPECT_TRUE(seen.has[IDOK]);
  EXPECT_FALSE(seen.has[IDCANCEL] || seen.has[IDYES] || seen.has[IDNO]);
}

TEST(DialogsWin32Test, QuestionsReturnTheButtonPressed) {
  struct Case {
    ConfirmButtons buttons;
    int press;
    int other;
    bool answer;
  };
  const Case cases[] = {
      {ConfirmButtons::kYesNo, IDYES, IDNO, true},
      {ConfirmButtons::kYesNo, IDNO, IDYES, false},
      {ConfirmButtons::kOkCancel, IDOK, IDCANCEL, true},
      {ConfirmButtons::kOkCancel, IDCANCEL, IDOK, false},
  };
  for (const Case& c : cases) {
    Win32Dialogs dialogs("Launchward test question");
    SeenBox seen;
    std::atomic<bool> found{false};
    std::thread user = Answer("Launchward test question", c.press, &seen, &found);
    bool answer = dialogs.Confirm("Permanently delete item?", c.buttons);
    user.join();
    ASSERT_TRUE(found);
    EXPECT_EQ(answer, c.answer) << c.press;
    EXPECT_TRUE(Shows(seen, "Permanently delete item?"));
    EXPECT_TRUE(seen.has[c.press] && seen.has[c.other]) << c.press;
  }
}

}  // namespace
}  // namespace lw
