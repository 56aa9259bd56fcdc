#pragma once
// A dialog service for tests: it records every message and question, and answers questions
// from a queue that the test fills beforehand. A question that nobody expected fails the test
// (and is answered No, the answer that changes nothing); answers left unused when the object
// goes fail it too. Constructing one installs it; destroying it puts back the service that
// was installed before.
//
//   RecordingDialogs dialogs;
//   dialogs.Answer(true);
//   ... code under test ...
//   EXPECT_THAT(dialogs.Messages(), ...);

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "ui/Dialogs.h"

namespace lw::test {

class RecordingDialogs : public IDialogService {
 public:
  struct Question {
    std::string text;
    ConfirmButtons buttons;
  };

  RecordingDialogs() : previous_(InstallDialogService(this)) {}
  ~RecordingDialogs() override {
    InstallDialogService(previous_);
    if (!answers_.empty())
      ADD_FAILURE() << answers_.size() << " prepared answer(s) never asked for";
  }
  RecordingDialogs(const RecordingDialogs&) = delete;
  RecordingDialogs& operator=(const RecordingDialogs&) = delete;

  void ShowMessage(const std::string& text) override { messages_.push_back(text); }

  bool Confirm(const std::string& text, ConfirmButtons buttons) override {
    questions_.push_back({text, buttons});
    if (answers_.empty()) {
      ADD_FAILURE() << "unexpected question: " << text;
      return false;
    }
    bool answer = answers_.front();
    answers_.pop_front();
    return answer;
  }

  // Queues the answer to the next question (true = Yes/OK).
  void Answer(bool yes) { answers_.push_back(yes); }

  const std::vector<std::string>& Messages() const { return messages_; }
  const std::vector<Question>& Questions() const { return questions_; }
  void Clear() {
    messages_.clear();
    questions_.clear();
  }

 private:
  IDialogService* previous_;
  std::deque<bool> answers_;
  std::vector<std::string> messages_;
  std::vector<Question> questions_;
};

}  // namespace lw::test
