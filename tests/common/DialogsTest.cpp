// The dialog service slot and the recording double that other tests rely on.

#include "ui/Dialogs.h"

#include <gtest/gtest-spi.h>

#include <stdexcept>

#include "support/RecordingDialogs.h"

namespace lw {
namespace {

using test::RecordingDialogs;

TEST(DialogsTest, MessagesGoToTheInstalledServiceAndNestedOnesRestoreTheOuter) {
  RecordingDialogs outer;
  ShowMessage("one");
  {
    RecordingDialogs inner;
    inner.Answer(true);
    ShowMessage("two");
    EXPECT_TRUE(Confirm("sure?", ConfirmButtons::kOkCancel));
    ASSERT_EQ(inner.Questions().size(), 1u);
    EXPECT_EQ(inner.Questions()[0].text, "sure?");
    EXPECT_EQ(inner.Questions()[0].buttons, ConfirmButtons::kOkCancel);
    EXPECT_EQ(inner.Messages(), std::vector<std::string>{"two"});
  }
  outer.Answer(false);
  EXPECT_FALSE(Confirm("again?"));
  EXPECT_EQ(outer.Questions()[0].buttons, ConfirmButtons::kYesNo);
  EXPECT_EQ(outer.Messages(), std::vector<std::string>{"one"});
}

TEST(DialogsTest, NoServiceIsAProgrammingError) {
  IDialogService* previous = InstallDialogService(nullptr);
  EXPECT_THROW(ShowMessage("nobody"), std::logic_error);
  InstallDialogService(previous);
}

TEST(DialogsTest, UnexpectedOrUnusedAnswersFailTheTest) {
  EXPECT_NONFATAL_FAILURE(
      {
        RecordingDialogs dialogs;
        EXPECT_FALSE(Confirm("Permanently delete item?"));
      },
      "unexpected question: Permanently delete item?");
  EXPECT_NONFATAL_FAILURE(
      {
        RecordingDialogs dialogs;
        dialogs.Answer(true);
      },
      "never asked for");
}

}  // namespace
}  // namespace lw
