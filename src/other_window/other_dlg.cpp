#include "other_window/other_dlg.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

#include "ui/dialog_builder.h"
#include "i18n/file_messages.h"
#include "ui/qt_text.h"
#include "ui/window_look.h"
#include "main_window/main_settings.h"
#include "other_window/other_controls.h"

namespace valdor::other_window {

namespace {

bool isSwitch(const OtherRow& row) { return row.kind == OtherKind::Switch; }

// A field's label without its closing colon, to name the field in a message.
// One English label closes with a semicolon instead.
std::string fieldName(const i18n::Translator& translator, const OtherRow& row) {
  std::string label = translator.LookupText(row.labelKey);
  while (!label.empty() && (label.back() == ':' || label.back() == ';' || label.back() == ' ')) label.pop_back();
  return label;
}

std::string_view notANumberKey(OtherKind kind) {
  const auto found = std::find_if(kNotANumberKeys.begin(), kNotANumberKeys.end(),
                                  [kind](const auto& entry) { return entry.first == kind; });
  return found == kNotANumberKeys.end() ? kNotANumberKeys.front().second : found->second;
}

}  // namespace

COtherSettingsDlg::COtherSettingsDlg(const app::ConfigPaths& paths, const i18n::Translator& translator,
                                     app::Dialogs& dialogs, QWidget* parent)
    : QDialog(parent),
      m_paths(paths),
      m_translator(translator),
      m_dialogs(dialogs),
      m_entries(main_window::MainTexts::fromTranslator(translator).entries) {
  // A small frame with a close box and no title.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setWindowTitle(QString());
  ui::applyWindowLook(this, kColours);
  ui::applyTooltipLook();

  m_controls = ui::buildDialog<ControlId>(this, kTemplateWidth, kTemplateHeight, kControls);
  for (auto [id, widget] : m_controls) {
    // A group box comes after some of its fields in the template; on Windows
    // it lets clicks and tooltips through to them, in Qt it has to lie below.
    if (qobject_cast<QGroupBox*>(widget)) widget->lower();
  }
  control<QLabel>(kSunkenLabel)->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  for (const OtherRow& row : kOtherRows) {
    if (!isSwitch(row)) control<QLineEdit>(row.control)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  }
  connectHandlers();
  OnInitDialog();
}

void COtherSettingsDlg::connectHandlers() {
  const std::pair<ControlId, void (COtherSettingsDlg::*)()> buttons[] = {
      {ControlId::Save, &COtherSettingsDlg::OnSave},
      {ControlId::RestoreSettings, &COtherSettingsDlg::OnRestoreSettings},
      {ControlId::Close, &COtherSettingsDlg::OnClose},
  };
  for (auto [id, handler] : buttons) {
    connect(control<QPushButton>(id), &QPushButton::clicked, this, [this, handler = handler] { (this->*handler)(); });
  }
}

void COtherSettingsDlg::OnInitDialog() {
  fillLists();
  setCaptions();
  setTooltips();
  m_settings = LoadOtherSettings(m_paths.engineIni, m_paths.debugIni);
  showSettings();
  // The first control that takes the focus, as the template's order gives it.
  control(ControlId::LowViewRangeObjects)->setFocus();
}

void COtherSettingsDlg::fillLists() {
  const auto entries = SwitchEntries(m_entries);
  for (const OtherRow& row : kOtherRows) {
    if (!isSwitch(row)) continue;
    auto* list = control<QComboBox>(row.control);
    for (const auto& entry : entries) list->addItem(ui::toQString(entry));
  }
}

void COtherSettingsDlg::setCaptions() {
  // Captions are shown as looked up: "|" is a line break only in messages.
  for (const auto& row : kControls) {
    if (!row.captionKey.empty()) ui::setControlText(control(row.id), m_translator.LookupText(row.captionKey));
  }
}

void COtherSettingsDlg::setTooltips() {
  for (const OtherRow& row : kOtherRows) {
    std::string text = m_translator.message(row.tooltipKey);
    // The default comes from the same row that restoring the defaults uses.
    if (auto announced = TooltipDefault(row.control, m_entries)) text = config::ConcatText(text, *announced);
    ui::setWrappedToolTip(control(row.control), ui::toQString(text));
  }
}

void COtherSettingsDlg::showSettings() {
  for (const OtherRow& row : kOtherRows) {
    if (isSwitch(row)) {
      // A stored word that names no entry leaves the list without a choice.
      control<QComboBox>(row.control)->setCurrentIndex(ListIndex(SwitchOf(m_settings, row)));
    } else {
      control<QLineEdit>(row.control)->setText(ui::toQString(FieldText(m_settings, row.control)));
    }
  }
}

void COtherSettingsDlg::takeChoices() {
  // A list the player left without a choice stays so, and its key keeps the
  // stored word instead of being emptied.
  for (const OtherRow& row : kOtherRows) {
    if (isSwitch(row)) SwitchOf(m_settings, row) = PositionOfIndex(control<QComboBox>(row.control)->currentIndex());
  }
}

bool COtherSettingsDlg::takeFields() {
  const auto refused = TakeFieldTexts(
      m_settings, [this](ControlId field) { return ui::fromQString(control<QLineEdit>(field)->text()); });
  if (!refused) return true;
  const OtherRow& row = *FindOtherRow(*refused);
  const std::string name = fieldName(m_translator, row);
  m_dialogs.showMessage(i18n::notANumberMessage(m_translator, name, notANumberKey(row.kind)));
  auto* field = control<QLineEdit>(*refused);
  field->setFocus();
  field->selectAll();
  return false;
}

void COtherSettingsDlg::OnSave() {
  takeChoices();
  // A field that holds no number stops the save before anything is written:
  // writing the others would leave the files half old, half new.
  if (!takeFields()) return;
  const auto result = SaveOtherSettings(m_paths.engineIni, m_paths.debugIni, m_settings);
  if (!result.ok()) {
    // The player's values stay in the window for another try.
    m_dialogs.showMessage(i18n::failureMessage(m_translator, result));
    return;
  }
  accept();
}

void COtherSettingsDlg::OnRestoreSettings() {
  if (!m_dialogs.askYesNo(m_translator.LookupText("MESSAGE_RESTORESETTINGS"))) return;
  m_settings = DefaultOtherSettings();
  showSettings();
}

void COtherSettingsDlg::OnClose() {
  if (takeFields()) accept();
}

}  // namespace valdor::other_window
