#include "ui/template_dialog.h"

#include <QComboBox>

#include "config/value_words.h"
#include "i18n/cp1252.h"
#include "ui/window_look.h"

// The artwork lives in a static library, whose resources have to be
// registered by hand; the macro must be used outside any namespace.
static void registerArtwork() {
  static const bool registered = [] {
    Q_INIT_RESOURCE(resources);
    return true;
  }();
  (void)registered;
}

namespace valdor::ui {

TemplateDialogBase::TemplateDialogBase(QWidget* parent, Qt::WindowFlags flags, WindowColours colours)
    : QDialog(parent) {
  ::registerArtwork();  // the main window's header picture and icons, the credits picture
  setWindowFlags(flags);
  applyWindowLook(this, colours);
  applyTooltipLook();
}

void TemplateDialogBase::refuseWidget(app::Dialogs& dialogs, std::string_view message, QWidget* field) {
  dialogs.showMessage(message);
  field->setFocus();
  if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
}

void TemplateDialogBase::setTooltipOf(QWidget* control, const std::string& text) {
  setWrappedToolTip(control, toQString(text));
}

std::string TemplateDialogBase::tooltipText(const i18n::Translator& translator, std::string_view key,
                                            const std::optional<std::string>& announcedDefault) {
  const std::string text = translator.message(key);
  return announcedDefault ? config::ConcatText(text, *announcedDefault) : text;
}

bool TemplateDialogBase::settleChanges(app::Dialogs& dialogs, const i18n::Translator& translator,
                                       const std::function<bool()>& save) {
  const auto text = [&translator](std::string_view key) { return i18n::cp1252ToUtf8(translator.message(key)); };
  switch (dialogs.askSaveChanges(
      {text("MESSAGE_SAVECHANGES"), text("TEXT_SAVE"), text("TEXT_DISCARDCHANGES"), text("TEXT_GOBACK")})) {
    case app::CloseAnswer::Save:
      return save();
    case app::CloseAnswer::Discard:
      return true;
    case app::CloseAnswer::GoBack:
      break;
  }
  return false;
}

app::OutsideEditAnswer TemplateDialogBase::askOutsideEdits(app::Dialogs& dialogs, const i18n::Translator& translator,
                                                          const config::Result& changed) {
  const auto text = [&translator](std::string_view key) { return i18n::cp1252ToUtf8(translator.message(key)); };
  return dialogs.askOutsideEdits({translator.format("MESSAGE_CHANGEDOUTSIDE", {{"file", changed.where}}),
                                  text("TEXT_TAKEFILEVALUES"), text("TEXT_OVERWRITE"), text("TEXT_GOBACK")});
}

std::optional<QString> TemplateDialogBase::changeableValue(const QWidget* control) {
  // A list's choice by position: its entries are the same until the texts are
  // applied again, which reloads the values anyway.
  if (const auto* box = qobject_cast<const QComboBox*>(control)) return QString::number(box->currentIndex());
  // Read-only fields show figures computed from the others.
  if (const auto* field = qobject_cast<const QLineEdit*>(control); field && !field->isReadOnly()) return field->text();
  return std::nullopt;
}

void TemplateDialogBase::fillWidget(QWidget* list, std::span<const std::string> entries) {
  auto* box = qobject_cast<QComboBox*>(list);
  box->clear();
  for (const auto& entry : entries) box->addItem(toQString(entry));
}

}  // namespace valdor::ui
