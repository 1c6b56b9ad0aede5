#include "app/qt_dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

#include "app/qt_text.h"

namespace valdor::app {

namespace {

int runMessageBox(QWidget* owner, std::string_view text, QMessageBox::StandardButtons buttons) {
  QMessageBox box(owner);
  box.setWindowTitle(QString());
  box.setIcon(QMessageBox::NoIcon);
  box.setTextFormat(Qt::PlainText);
  box.setText(toQString(text));
  box.setStandardButtons(buttons);
  if (owner) {
    // A message box is a window of its own, so it does not inherit these.
    box.setPalette(owner->palette());
    box.setFont(owner->font());
  }
  return box.exec();
}

std::optional<std::filesystem::path> runFileDialog(QWidget* owner, const FileDialogOptions& options,
                                                   QFileDialog::AcceptMode mode) {
  QFileDialog dialog(owner, toQString(options.title));
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  if (!options.filterPattern.empty()) {
    dialog.setNameFilter(
        QStringLiteral("%1 (%2)").arg(toQString(options.filterDescription), toQString(options.filterPattern)));
  }
  if (!options.folder.empty()) dialog.setDirectory(pathToQString(options.folder));
  if (!options.fileName.empty()) dialog.selectFile(toQString(options.fileName));
  if (!options.defaultExtension.empty()) dialog.setDefaultSuffix(toQString(options.defaultExtension));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const auto files = dialog.selectedFiles();
  if (files.isEmpty()) return std::nullopt;
  return pathFromQString(files.first());
}

}  // namespace

void QtDialogs::showMessage(std::string_view text) { runMessageBox(m_owner, text, QMessageBox::Ok); }

bool QtDialogs::askYesNo(std::string_view text) {
  return runMessageBox(m_owner, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

std::optional<std::filesystem::path> QtDialogs::openFile(const FileDialogOptions& options) {
  return runFileDialog(m_owner, options, QFileDialog::AcceptOpen);
}

std::optional<std::filesystem::path> QtDialogs::saveFile(const FileDialogOptions& options) {
  return runFileDialog(m_owner, options, QFileDialog::AcceptSave);
}

}  // namespace valdor::app
