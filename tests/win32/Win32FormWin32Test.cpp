// The form base class on real windows: a form whose construction fails half-way leaves no
// window behind, and the error reaches the code that built it. Windows is made to refuse a
// control through a creation hook (a CBT hook that cancels HCBT_CREATEWND), the way a control
// class that is missing or out of memory refuses it.

#include "ui/win32/Win32Form.h"

#include "platform/win32/Win32Api.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "util/Error.h"

namespace lw {
namespace {

constexpr char kFormClass[] = "LwHalfBuiltFormTest";

// Cancels the creation of the n-th child window created on this thread while it is installed.
class RefuseChild {
 public:
  explicit RefuseChild(int refused) {
    refused_ = refused;
    seen_ = 0;
    hook_ = ::SetWindowsHookExA(WH_CBT, &RefuseChild::Hook, nullptr, ::GetCurrentThreadId());
  }
  ~RefuseChild() {
    if (hook_ != nullptr) ::UnhookWindowsHookEx(hook_);
  }
  RefuseChild(const RefuseChild&) = delete;
  RefuseChild& operator=(const RefuseChild&) = delete;
  bool Installed() const { return hook_ != nullptr; }

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
      const auto* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam);
      if ((create->lpcs->style & WS_CHILD) != 0 && ++seen_ == refused_) return 1;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
  }

  static inline int refused_ = 0;
  static inline int seen_ = 0;
  HHOOK hook_ = nullptr;
};

class TestForm : public Win32Form {
 public:
  TestForm()
      : Win32Form({kFormClass, "Half built", 200, 100, WS_CAPTION | WS_SYSMENU},
                  {{1, ControlKind::kButton, "One", 8, 8, 80, 24},
                   {2, ControlKind::kLabel, "Two", 8, 40, 80, 16},
                   {3, ControlKind::kEdit, "Three", 8, 60, 80, 20}}) {}
};

TEST(Win32FormWin32Test, AFormWhoseControlIsRefusedLeavesNoWindow) {
  // The first control refused (the window holds none) and a later one (it holds some).
  for (int refused : {1, 3}) {
    SCOPED_TRACE(refused);
    RefuseChild hook(refused);
    ASSERT_TRUE(hook.Installed());
    EXPECT_THROW(TestForm form, Error);
    EXPECT_EQ(::FindWindowA(kFormClass, nullptr), nullptr);
  }
}

TEST(Win32FormWin32Test, AFormBuiltWholeHasItsControlsAndGoesWithItsObject) {
  {
    TestForm form;
    ASSERT_EQ(::FindWindowA(kFormClass, nullptr), form.Handle());
    EXPECT_EQ(form.ItemText(3), "Three");
  }
  EXPECT_EQ(::FindWindowA(kFormClass, nullptr), nullptr);
}

}  // namespace
}  // namespace lw
