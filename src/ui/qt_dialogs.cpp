#include "ui/qt_dialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

#include "ui/qt_text.h"

namespace valdor::ui {

namespace {

// The dialogs' texts are UTF-8: messages carry file names of any language.
QString fromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// Questions asked from a secondary window belong to it and wear its colours;
// before any window runs, and from the main window, the main window owns them.
QWidget* ownerOf(QWidget* mainWindow) {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return mainWindow;
}

// A dialog is placed over the middle of its parent; the main window is not
// shown yet while the game is searched, and centring on its unplaced frame
// would put the dialog in the screen's corner. Without a parent Qt centres it
// on the screen.
QWidget* parentFor(QWidget* owner) { return owner && owner->isVisible() ? owner : nullptr; }

// A dialog is a window of its own, so it does not inherit these.
void takeLook(QWidget* dialog, QWidget* owner) {
  if (!owner) return;
  dialog->setPalette(owner->palette());
  dialog->setFont(owner->font());
}

void prepareMessageBox(QMessageBox& box, QWidget* owner, std::string_view text) {
  box.setWindowTitle(QString());
  box.setIcon(QMessageBox::NoIcon);
  box.setTextFormat(Qt::PlainText);
  box.setText(fromUtf8(text));
  takeLook(&box, owner);
}

int runMessageBox(QWidget* owner, std::string_view text, QMessageBox::StandardButtons buttons,
                  QMessageBox::StandardButton preselected = QMessageBox::NoButton) {
  QMessageBox box(parentFor(owner));
  prepareMessageBox(box, owner, text);
  box.setStandardButtons(buttons);
  if (preselected != QMessageBox::NoButton) box.setDefaultButton(preselected);
  return box.exec();
}

std::optional<std::filesystem::path> runFileDialog(QWidget* owner, const app::FileDialogOptions& options,
                                                   QFileDialog::AcceptMode mode) {
  QFileDialog dialog(parentFor(owner), fromUtf8(options.title));
  dialog.setAcceptMode(mode);
  // Wine prefixes and Steam's folder are hidden ones (~/.wine, ~/.local).
  if (options.showHidden) dialog.setFilter(dialog.filter() | QDir::Hidden);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  if (!options.filterPattern.empty()) {
    dialog.setNameFilter(
        QStringLiteral("%1 (%2)").arg(fromUtf8(options.filterDescription), fromUtf8(options.filterPattern)));
    // The descriptions already name their pattern ("*.exe"); Qt would add it
    // a second time.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
  }
  if (!options.folder.empty()) dialog.setDirectory(pathToQString(options.folder));
  if (!options.fileName.empty()) dialog.selectFile(fromUtf8(options.fileName));
  if (!options.defaultExtension.empty()) dialog.setDefaultSuffix(fromUtf8(options.defaultExtension));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const auto files = dialog.selectedFiles();
  if (files.isEmpty()) return std::nullopt;
  return pathFromQString(files.first());
}

}  // namespace

void QtDialogs::showMessage(std::string_view text) { runMessageBox(ownerOf(m_owner), text, QMessageBox::Ok); }

bool QtDialogs::askYesNo(std::string_view text, app::Answer preselected) {
  return runMessageBox(ownerOf(m_owner), text, QMessageBox::Yes | QMessageBox::No,
                       preselected == app::Answer::Yes ? QMessageBox::Yes : QMessageBox::No) == QMessageBox::Yes;
}

namespace {

// A question with three buttons whose captions come from the translation
// table, so they speak the player's language even where Qt's own
// translations are missing; the third goes back, as Escape and closing the
// box do. The answer of the button taken.
template <typename Answer>
Answer askThreeWay(QWidget* owner, std::string_view text, const std::array<std::string_view, 3>& captions,
                   const std::array<Answer, 3>& answers, std::size_t preselected) {
  QMessageBox box(parentFor(owner));
  prepareMessageBox(box, owner, text);
  const std::array<QMessageBox::ButtonRole, 3> roles{QMessageBox::AcceptRole, QMessageBox::DestructiveRole,
                                                     QMessageBox::RejectRole};
  std::array<QAbstractButton*, 3> buttons{};
  for (std::size_t i = 0; i < buttons.size(); ++i) buttons[i] = box.addButton(fromUtf8(captions[i]), roles[i]);
  box.setDefaultButton(static_cast<QPushButton*>(buttons[preselected]));
  box.setEscapeButton(buttons[2]);
  box.exec();
  const auto taken = std::find(buttons.begin(), buttons.end(), box.clickedButton());
  return answers[taken == buttons.end() ? 2 : static_cast<std::size_t>(taken - buttons.begin())];
}

}  // namespace

app::CloseAnswer QtDialogs::askSaveChanges(const app::CloseQuestion& question) {
  using enum app::CloseAnswer;
  return askThreeWay(ownerOf(m_owner), question.text, {question.save, question.discard, question.goBack},
                     std::array{Save, Discard, GoBack}, 0);
}

app::OutsideEditAnswer QtDialogs::askOutsideEdits(const app::OutsideEditQuestion& question) {
  // Going back is preselected: neither the window's nor the other program's
  // values are lost by a hasty Enter.
  using enum app::OutsideEditAnswer;
  return askThreeWay(ownerOf(m_owner), question.text, {question.takeFiles, question.overwrite, question.goBack},
                     std::array{TakeFiles, Overwrite, GoBack}, 2);
}

std::optional<std::filesystem::path> QtDialogs::openFile(const app::FileDialogOptions& options) {
  return runFileDialog(ownerOf(m_owner), options, QFileDialog::AcceptOpen);
}

std::optional<std::filesystem::path> QtDialogs::saveFile(const app::FileDialogOptions& options) {
  return runFileDialog(ownerOf(m_owner), options, QFileDialog::AcceptSave);
}

std::optional<std::size_t> QtDialogs::chooseInstallation(std::string_view prompt,
                                                         const std::vector<app::InstallationChoice>& choices) {
  QWidget* owner = ownerOf(m_owner);
  QDialog dialog(parentFor(owner));
  dialog.setWindowTitle(QString());
  takeLook(&dialog, owner);
  auto* label = new QLabel(fromUtf8(prompt));
  label->setTextFormat(Qt::PlainText);
  auto* list = new QListWidget;
  for (const auto& choice : choices) {
    list->addItem(QStringLiteral("%1\n    %2: %3")
                      .arg(pathToQString(choice.gameFolder), QString::fromStdString(choice.source),
                           pathToQString(choice.prefix)));
  }
  list->setCurrentRow(0);
  list->setMinimumWidth(560);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(list, &QListWidget::itemActivated, &dialog, &QDialog::accept);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(label);
  layout->addWidget(list);
  layout->addWidget(buttons);
  if (dialog.exec() != QDialog::Accepted || list->currentRow() < 0) return std::nullopt;
  return static_cast<std::size_t>(list->currentRow());
}

}  // namespace valdor::ui
