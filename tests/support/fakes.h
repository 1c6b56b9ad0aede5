#pragma once

#include <deque>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/dialogs.h"
#include "app/running_game.h"
#include "app/settings_store.h"

// Stand-ins for the platform: a store in memory and dialogs that record what
// they were shown and answer from a script.
namespace valdor::test {

class FakeSettingsStore final : public app::SettingsStore {
 public:
  std::string read(std::string_view name) const override {
    auto found = values.find(name);
    return found == values.end() ? std::string() : found->second;
  }

  config::Result write(std::string_view name, std::string_view value) override {
    ++writes;
    if (failure) return config::Result::failed(*failure, "/fake/settings.ini", "fake reason");
    values[std::string(name)] = std::string(value);
    return config::Result::success(std::string("/fake/settings.ini"));
  }

  std::map<std::string, std::string, std::less<>> values;
  std::optional<config::Failure> failure;  // every write fails so when set
  int writes = 0;
};

class FakeDialogs final : public app::Dialogs {
 public:
  void showMessage(std::string_view text) override { messages.emplace_back(text); }

  bool askYesNo(std::string_view text, app::Answer preselected = app::Answer::Yes) override {
    questions.emplace_back(text);
    preselectedAnswers.push_back(preselected);
    return takeFront(yesNoAnswers).value_or(false);
  }

  app::CloseAnswer askSaveChanges(const app::CloseQuestion& question) override {
    closeQuestions.push_back(question);
    return takeFront(closeAnswers).value_or(app::CloseAnswer::GoBack);
  }

  app::OutsideEditAnswer askOutsideEdits(const app::OutsideEditQuestion& question) override {
    outsideEditQuestions.push_back(question);
    return takeFront(outsideEditAnswers).value_or(app::OutsideEditAnswer::GoBack);
  }

  std::optional<std::filesystem::path> openFile(const app::FileDialogOptions& options) override {
    openDialogs.push_back(options);
    return takeFront(fileAnswers).value_or(std::nullopt);
  }

  std::optional<std::filesystem::path> saveFile(const app::FileDialogOptions& options) override {
    saveDialogs.push_back(options);
    return takeFront(fileAnswers).value_or(std::nullopt);
  }

  std::optional<std::size_t> chooseInstallation(std::string_view prompt,
                                                const std::vector<app::InstallationChoice>& choices) override {
    choicePrompts.emplace_back(prompt);
    choiceLists.push_back(choices);
    return takeFront(choiceAnswers).value_or(std::nullopt);
  }

  // What was shown, in order.
  std::vector<std::string> messages;
  std::vector<std::string> questions;
  std::vector<app::Answer> preselectedAnswers;  // what Enter would have answered, per question
  std::vector<app::CloseQuestion> closeQuestions;
  std::vector<app::OutsideEditQuestion> outsideEditQuestions;
  std::vector<app::FileDialogOptions> openDialogs;
  std::vector<app::FileDialogOptions> saveDialogs;
  std::vector<std::string> choicePrompts;
  std::vector<std::vector<app::InstallationChoice>> choiceLists;

  // The answers, taken in order; when none is left, No and Cancel.
  std::deque<bool> yesNoAnswers;
  std::deque<app::CloseAnswer> closeAnswers;  // none left: go back
  std::deque<app::OutsideEditAnswer> outsideEditAnswers;  // none left: go back
  std::deque<std::optional<std::filesystem::path>> fileAnswers;
  std::deque<std::optional<std::size_t>> choiceAnswers;  // none left: declined

 private:
  template <typename T>
  static std::optional<T> takeFront(std::deque<T>& answers) {
    if (answers.empty()) return std::nullopt;
    T answer = std::move(answers.front());
    answers.pop_front();
    return answer;
  }
};

// A process list of the test's own making.
class FakeProcesses final : public app::ProcessSource {
 public:
  std::vector<app::ProcessInfo> processes() const override { return listed; }

  // The game of an executable runs, as started from its own image file.
  void runGame(const std::filesystem::path& executable) { listed.push_back({executable, {executable.string()}}); }

  std::vector<app::ProcessInfo> listed;
};

}  // namespace valdor::test
