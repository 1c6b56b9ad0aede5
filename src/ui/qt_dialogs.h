#pragma once

#include <QPointer>
#include <QWidget>

#include "app/dialogs.h"

namespace valdor::ui {

// Message boxes and file dialogs of Qt, owned by a window whose colours and
// font the message boxes take.
class QtDialogs final : public app::Dialogs {
 public:
  explicit QtDialogs(QWidget* owner = nullptr) : m_owner(owner) {}

  void setOwner(QWidget* owner) { m_owner = owner; }

  void showMessage(std::string_view text) override;
  bool askYesNo(std::string_view text, app::Answer preselected = app::Answer::Yes) override;
  app::CloseAnswer askSaveChanges(const app::CloseQuestion& question) override;
  app::OutsideEditAnswer askOutsideEdits(const app::OutsideEditQuestion& question) override;
  std::optional<std::filesystem::path> openFile(const app::FileDialogOptions& options) override;
  std::optional<std::filesystem::path> saveFile(const app::FileDialogOptions& options) override;
  std::optional<std::size_t> chooseInstallation(std::string_view prompt,
                                                const std::vector<app::InstallationChoice>& choices) override;

 private:
  QPointer<QWidget> m_owner;
};

}  // namespace valdor::ui
