// The New Item dialog's rule for Add (a name, and a path naming an existing file) and its
// browse button, with a recording dialog; files are the simulation's or Wine's.

#include "ui/NewItemDialog.h"

#include <optional>
#include <string>

#include "support/TestEnv.h"

namespace lw::test {
namespace {

class RecordingNewItemView : public INewItemDialogView {
 public:
  std::string NameText() const override { return name; }
  std::string PathText() const override { return path; }
  void SetNameText(const std::string& text) override { name = text; }
  void SetPathText(const std::string& text) override { path = text; }
  void SetAddEnabled(bool enabled) override { add = enabled; }
  bool ChooseProgram(std::string& chosen) override {
    if (!pick) return false;
    chosen = *pick;
    return true;
  }

  std::string name;
  std::string path;
  std::optional<bool> add;
  std::optional<std::string> pick;  // what the file dialog gives; none: cancelled
};

class NewItemDialogTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    folder = ScratchFolder();
    program = folder + "tool.exe";
    ASSERT_TRUE(Files().WriteFile(program, "MZ"));
    ASSERT_TRUE(Files().CreateDirectory(folder + "sub.exe"));
  }

  std::string folder;
  std::string program;
};

TEST_F(NewItemDialogTest, AddNeedsANameAndAnExistingFile) {
  const struct {
    const char* name;
    std::string path;
    bool add;
  } cases[] = {
      {"Tool", program, true},
      {"Tool", folder + "sub.exe", false},      // a folder
      {"Tool", folder + "missing.exe", false},  // nothing there
      {"Tool", folder + "sub.exe\\", false},
      {"Tool", "", false},
      {"", program, false},
      {"   ", program, false},  // a blank value name is no item
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("[") + c.name + "] " + c.path);
    EXPECT_EQ(NewItemCanBeAdded(c.name, c.path), c.add);
    RecordingNewItemView view;
    NewItemDialog dialog(view);
    dialog.OnShow();
    view.name = c.name;
    view.path = c.path;
    dialog.OnTextChanged();
    EXPECT_EQ(view.add, c.add);
  }
}

TEST_F(NewItemDialogTest, EveryShowStartsEmptyAndBrowsingFillsThePath) {
  RecordingNewItemView view;
  NewItemDialog dialog(view);
  view.name = "Old";
  view.path = program;
  view.add = true;
  dialog.OnShow();
  EXPECT_EQ(view.name, "");
  EXPECT_EQ(view.path, "");
  EXPECT_EQ(view.add, false);

  view.name = "Tool";
  dialog.OnBrowseClicked();  // cancelled: nothing changes
  EXPECT_EQ(view.path, "");
  EXPECT_EQ(view.add, false);
  view.pick = program;
  dialog.OnBrowseClicked();
  EXPECT_EQ(view.path, program);
  EXPECT_EQ(view.add, true);
}

}  // namespace
}  // namespace lw::test
