#include "other_window/other_dlg.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>

#include "i18n/cp1252.h"
#include "i18n/file_messages.h"
#include "ui/qt_text.h"
#include "i18n/entry_texts.h"
#include "other_window/other_controls.h"

namespace valdor::other_window {

namespace {

bool isSwitch(const OtherRow& row) { return row.kind == OtherKind::Switch; }

std::string_view notANumberKey(OtherKind kind) {
  const auto found = std::find_if(kNotANumberKeys.begin(), kNotANumberKeys.end(),
                                  [kind](const auto& entry) { return entry.first == kind; });
  return found == kNotANumberKeys.end() ? kNotANumberKeys.front().second : found->second;
}

}  // namespace

COtherSettingsDlg::COtherSettingsDlg(const app::ConfigPaths& paths, const i18n::Translator& translator,
                                     app::Dialogs& dialogs, QWidget* parent)
    // A small frame with a close box and no title.
    : TemplateDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint,
                     kColours, kTemplateWidth, kTemplateHeight, kControls, 0, kTemplateFont),
      m_paths(paths),
      m_translator(translator),
      m_dialogs(dialogs),
      m_entries(i18n::EntryTexts::fromTranslator(translator)),
      m_loaded(OtherLoadedKeys(paths.engineIni, paths.debugIni)) {
  setWindowTitle(QString());
  for (auto [id, widget] : controls()) {
    // A group box comes after some of its fields in the template; on Windows
    // it lets clicks and tooltips through to them, in Qt it has to lie below.
    if (qobject_cast<QGroupBox*>(widget)) widget->lower();
  }
  control<QLabel>(kSunkenLabel)->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  for (const OtherRow& row : kOtherRows) {
    if (isSwitch(row)) continue;
    auto* field = control<QLineEdit>(row.control);
    field->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Any character may be typed, but the fields do not scroll sideways: typing
    // stops when one is full, and the widest whole number is shown whole.
    ui::fitWholeTexts(field, {u"-2147483648"});
    ui::guardField(field, {.stopWhenFull = true});
  }
  connectHandlers();
  OnInitDialog();
}

void COtherSettingsDlg::connectHandlers() {
  connectButtons(this, {{ControlId::Save, &COtherSettingsDlg::OnSaveSettings},
                        {ControlId::RestoreSettings, &COtherSettingsDlg::OnRestoreDefaults},
                        {ControlId::Close, &COtherSettingsDlg::OnClose}});
}

void COtherSettingsDlg::OnInitDialog() {
  ApplyTexts();
  loadSettings();
  // The first control that takes the focus, as the template's order gives it.
  control(ControlId::LowViewRangeObjects)->setFocus();
}

void COtherSettingsDlg::loadSettings() {
  m_loaded.rememberFromFiles();
  m_settings = LoadOtherSettings(m_paths.engineIni, m_paths.debugIni);
  showSettings();
  markUnchanged();
}

void COtherSettingsDlg::ApplyTexts() {
  const auto entries = SwitchEntries(m_entries);
  for (const OtherRow& row : kOtherRows) {
    if (isSwitch(row)) fillList(row.control, entries);
  }
  applyCaptions(m_translator);
  for (const OtherRow& row : kOtherRows) {
    setTooltip(row.control, m_translator, row.tooltipKey, TooltipDefault(row.control, m_entries));
  }
}

void COtherSettingsDlg::showSettings() {
  for (const OtherRow& row : kOtherRows) {
    if (isSwitch(row)) {
      // A stored word that names no entry leaves the list without a choice.
      control<QComboBox>(row.control)->setCurrentIndex(ListIndex(SwitchOf(m_settings, row)));
    } else {
      setFieldText(row.control, FieldText(m_settings, row.control));
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
  const auto refused = TakeFieldTexts(m_settings, [this](ControlId field) { return fieldText(field); });
  if (!refused) return true;
  const OtherRow& row = *FindOtherRow(*refused);
  const std::string name = i18n::labelName(m_translator, row.labelKey);
  refuseField(m_dialogs, i18n::notANumberMessage(m_translator, name, notANumberKey(row.kind)), *refused);
  return false;
}

void COtherSettingsDlg::OnSaveSettings() {
  takeChoices();
  // A field that holds no number stops the save before anything is written:
  // writing the others would leave the files half old, half new.
  if (!takeFields()) return;
  if (!app::mayWriteGameFiles(*m_processes, m_paths.gameExecutable, m_dialogs, m_translator)) return;
  auto result = SaveOtherSettings(m_paths.engineIni, m_paths.debugIni, m_settings, &m_loaded);
  while (result.failure == config::Failure::ChangedOutside) {
    switch (askOutsideEdits(m_dialogs, m_translator, result)) {
      case app::OutsideEditAnswer::TakeFiles:
        loadSettings();
        return;
      case app::OutsideEditAnswer::Overwrite:
        m_loaded.rememberFromFiles();
        result = SaveOtherSettings(m_paths.engineIni, m_paths.debugIni, m_settings, &m_loaded);
        break;
      case app::OutsideEditAnswer::GoBack:
        return;
    }
  }
  if (!result.ok()) {
    // The player's values stay in the window for another try.
    m_dialogs.showMessage(i18n::failureMessage(m_translator, result));
    return;
  }
  accept();
}

void COtherSettingsDlg::OnRestoreDefaults() {
  if (!m_dialogs.askYesNo(i18n::cp1252ToUtf8(m_translator.LookupText("MESSAGE_RESTORESETTINGS")))) return;
  m_settings = DefaultOtherSettings();
  showSettings();
}

void COtherSettingsDlg::OnClose() {
  // Discarding closes whatever the fields hold: their texts no longer matter.
  if (holdsChanges() ? changesDiscarded() : takeFields()) accept();
}

void COtherSettingsDlg::reject() {
  if (!holdsChanges() || changesDiscarded()) TemplateDialog::reject();
}

bool COtherSettingsDlg::changesDiscarded() {
  // Saving closes the window once written; a failure is shown and it stays.
  return settleChanges(m_dialogs, m_translator, [this] {
    OnSaveSettings();
    return false;
  });
}

}  // namespace valdor::other_window
