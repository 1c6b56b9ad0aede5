#include "main_window/main_dlg.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QIcon>
#include <QPixmap>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "ui/dialog_builder.h"
#include "ui/qt_text.h"
#include "cache_window/cache_dlg.h"
#include "credits_window/credits_dlg.h"
#include "i18n/cp1252.h"
#include "i18n/file_messages.h"
#include "other_window/other_dlg.h"

namespace valdor::main_window {

namespace {

bool isList(const MainRow& row) { return ListSize(row.kind) > 0; }
bool isField(const MainRow& row) { return row.kind == MainKind::Decimal || row.kind == MainKind::Count; }

QString resourcePath(std::string_view path) {
  return QString::fromLatin1(path.data(), static_cast<qsizetype>(path.size()));
}

}  // namespace

CTuningDlg::CTuningDlg(app::SettingsStore& store, app::Dialogs& dialogs, app::StartupOptions options,
                       const platform::DisplayModeSource& displayModes, QWidget* parent)
    : TemplateDialog(parent,
                     Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                         Qt::WindowCloseButtonHint,
                     kColours, kTemplateWidth, kTemplateHeight, kControls),
      m_dialogs(dialogs),
      m_startup(store, dialogs, m_translator, std::move(options)),
      m_displayModes(displayModes) {
  setWindowTitle(ui::toQString(kCaption));
  // Not QIcon::addFile: it too loads every image plugin to learn the format.
  QIcon icon;
  for (const auto image : kIconImages) icon.addPixmap(ui::builtInPicture(resourcePath(image), "PNG"));
  setWindowIcon(icon);
  ui::setControlPicture(control(ControlId::Picture), ui::builtInPicture(resourcePath(kHeaderPicture), "BMP"));
  for (const MainRow& row : kMainRows) {
    if (isField(row)) ui::acceptDigitsOnly(control(row.control));
  }
  connectHandlers();
}

CTuningDlg::~CTuningDlg() {
  if (m_safetyCopies) app::stopSafetyCopies();
  m_startup.removeTranslationFile();
}

void CTuningDlg::connectHandlers() {
  // activated, not currentIndexChanged: only the player's choice is a
  // selection change; filling and loading select without one.
  connect(control<QComboBox>(ControlId::Language), &QComboBox::activated, this, [this] { OnLanguageChosen(); });
  connect(control<QComboBox>(ControlId::Resolution), &QComboBox::activated, this,
          [this] { OnSelchangeResolution(); });
  connect(control<QAbstractButton>(ControlId::SaveSettings), &QAbstractButton::clicked, this,
          [this] { OnSaveSettings(); });
  connectButtons(this, {{ControlId::RestoreSettings, &CTuningDlg::OnRestoreDefaults},
                        {ControlId::Exit, &CTuningDlg::OnExit},
                        {ControlId::RestoreStartLogos, &CTuningDlg::OnRestoreStartLogos},
                        {ControlId::RemoveStartLogos, &CTuningDlg::OnRemoveStartLogos},
                        {ControlId::LoadBackup, &CTuningDlg::OnLoadBackup},
                        {ControlId::CreateBackup, &CTuningDlg::OnCreateBackup},
                        {ControlId::CacheSettings, &CTuningDlg::OpenCacheSettings},
                        {ControlId::OtherSettings, &CTuningDlg::OpenOtherSettings},
                        {ControlId::Credits, &CTuningDlg::OpenCredits}});
}

bool CTuningDlg::OnInitDialog() {
  // The display modes first: applying a language never refills this list.
  m_resolutions = FillDisplayModes(m_displayModes);
  fillList(ControlId::Resolution, m_resolutions);
  control<QComboBox>(ControlId::Resolution)->setCurrentIndex(-1);

  fillList(ControlId::Language, app::languageEntries());
  if (!m_startup.run()) return false;
  m_loaded = MainLoadedKeys(paths());
  m_safetyCopies = app::keepSafetyCopies(m_startup.options().stateDir, m_startup.gameFolder(), paths());
  const auto index = m_startup.languageIndex();
  control<QComboBox>(ControlId::Language)->setCurrentIndex(index ? static_cast<int>(*index) : -1);
  OnSelchangeLanguage();
  return true;
}

void CTuningDlg::OnLanguageChosen() {
  auto* language = control<QComboBox>(ControlId::Language);
  const int chosen = language->currentIndex();
  if (chosen == m_shownLanguage) return;
  // Asked with the shown language's entry in the box: the choice itself is no
  // change to save, and going back has to leave the box as it was.
  language->setCurrentIndex(m_shownLanguage);
  if (holdsChanges() && !changesSettled()) return;
  language->setCurrentIndex(chosen);
  OnSelchangeLanguage();
}

void CTuningDlg::OnSelchangeLanguage() {
  const auto* language = control<QComboBox>(ControlId::Language);
  m_shownLanguage = language->currentIndex();
  m_startup.changeLanguage(language->currentIndex() < 0 ? std::string() : ui::fromQString(language->currentText()));
  ui::applyQtLanguage(m_translator.language());
  ApplyTexts();
}

void CTuningDlg::ApplyTexts() {
  // No second extraction when a text is missing: a table that cannot be read
  // is answered from the copy inside the program.
  takeChoices();  // the resolution is searched again from the player's choice
  m_texts = MainTexts::fromTranslator(m_translator);
  fillLists();
  applyCaptions(m_translator);
  setTooltips();
  m_loaded.rememberFromFiles();
  m_settings = LoadMainSettings(paths(), m_texts, m_resolutions, WithListsCleared(m_settings));
  showSettings();
  showAspectRatio();
  markUnchanged();
}

void CTuningDlg::fillLists() {
  for (const MainRow& row : kMainRows) {
    if (isList(row)) fillList(row.control, m_texts.list(row.kind));
  }
}

void CTuningDlg::setTooltips() {
  for (const MainRow& row : kMainRows) {
    if (FindMainRow(row.control) != &row) continue;  // the three display-mode keys share one list
    // The default comes from the same row that restoring the defaults uses.
    setTooltip(row.control, m_translator, row.tooltipKey, TooltipDefault(row.control, m_texts));
  }
  for (const auto& tip : kTooltips) setTooltip(tip.id, m_translator, tip.key, std::nullopt);
}

void CTuningDlg::showSettings() {
  for (const MainRow& row : kMainRows) {
    if (isList(row)) {
      control<QComboBox>(row.control)->setCurrentIndex(PositionOf(m_settings, row));
    } else if (isField(row)) {
      setFieldText(row.control, FieldText(m_settings, row.control));
    }
  }
  const auto chosen = std::find(m_resolutions.begin(), m_resolutions.end(), m_settings.resolution);
  control<QComboBox>(ControlId::Resolution)
      ->setCurrentIndex(chosen == m_resolutions.end() ? -1 : static_cast<int>(chosen - m_resolutions.begin()));
}

void CTuningDlg::takeChoices() {
  for (const MainRow& row : kMainRows) {
    if (isList(row)) PositionOf(m_settings, row) = control<QComboBox>(row.control)->currentIndex();
  }
  const auto chosen = chosenResolution();
  m_settings.resolution = chosen ? m_resolutions[*chosen] : std::string();
}

bool CTuningDlg::takeFields() {
  const auto refused = TakeFieldTexts(m_settings, [this](ControlId field) { return fieldText(field); });
  if (!refused) return true;
  // The fields take digits only, but an empty field or a number too large
  // for the game still gets here.
  const std::string name = i18n::labelName(m_translator, FindMainRow(*refused)->labelKey);
  refuseField(m_dialogs, i18n::notANumberMessage(m_translator, name), *refused);
  return false;
}

std::optional<std::size_t> CTuningDlg::chosenResolution() const {
  const int index = control<QComboBox>(ControlId::Resolution)->currentIndex();
  if (index < 0 || static_cast<std::size_t>(index) >= m_resolutions.size()) return std::nullopt;
  return static_cast<std::size_t>(index);
}

void CTuningDlg::showAspectRatio() {
  // With no entry chosen the text stays as it was.
  if (auto ratio = UpdateAspectRatio(m_resolutions, chosenResolution())) m_aspectRatio = *ratio;
  ui::setControlText(control(ControlId::AspectRatio), m_aspectRatio);
}

void CTuningDlg::OnSelchangeResolution() { showAspectRatio(); }

bool CTuningDlg::OnSaveSettings() {
  takeChoices();
  // A field that holds no number stops the save: writing the other values
  // and then saying "saved" would hide that this one was not.
  if (!takeFields()) return false;
  EnsureResolutionChosen(m_settings, m_resolutions);
  showSettings();
  showAspectRatio();
  if (!mayWriteGameFiles()) return false;
  auto result = SaveMainSettings(paths(), m_settings, &m_loaded);
  while (result.failure == config::Failure::ChangedOutside) {
    switch (askOutsideEdits(m_dialogs, m_translator, result)) {
      case app::OutsideEditAnswer::TakeFiles:
        reloadSettings();
        return false;
      case app::OutsideEditAnswer::Overwrite:
        // What the files hold now is what the player chose to write over; a
        // change made after this moment is asked about again.
        m_loaded.rememberFromFiles();
        result = SaveMainSettings(paths(), m_settings, &m_loaded);
        break;
      case app::OutsideEditAnswer::GoBack:
        return false;
    }
  }
  m_dialogs.showMessage(i18n::saveMessage(m_translator, result));
  if (result.ok()) markUnchanged();
  return result.ok();
}

void CTuningDlg::reloadSettings() {
  // Shown without refilling the lists, so every choice is searched in the
  // lists as they are.
  takeChoices();
  m_loaded.rememberFromFiles();
  m_settings = LoadMainSettings(paths(), m_texts, m_resolutions, m_settings);
  showSettings();
  showAspectRatio();
  markUnchanged();
}

void CTuningDlg::OnRestoreDefaults() {
  if (!m_dialogs.askYesNo(i18n::cp1252ToUtf8(m_translator.message("MESSAGE_RESTORESETTINGS")))) return;
  takeChoices();  // a resolution that is not listed keeps this choice
  RestoreMainDefaults(m_settings, m_texts, m_resolutions);
  showSettings();
  showAspectRatio();
}

void CTuningDlg::OnExit() {
  // Discarding closes whatever the fields hold: their texts no longer matter.
  if (holdsChanges() ? changesSettled() : takeFields()) accept();
}

void CTuningDlg::reject() {
  if (!holdsChanges() || changesSettled()) TemplateDialog::reject();
}

bool CTuningDlg::mayWriteGameFiles() {
  return app::mayWriteGameFiles(*m_processes, paths().gameExecutable, m_dialogs, m_translator);
}

bool CTuningDlg::changesSettled() {
  return settleChanges(m_dialogs, m_translator, [this] { return OnSaveSettings(); });
}

void CTuningDlg::OnRestoreStartLogos() {
  if (!m_dialogs.askYesNo(i18n::cp1252ToUtf8(m_translator.message("MESSAGE_RESTORESTARTLOGOS")))) return;
  if (!mayWriteGameFiles()) return;
  const auto result = WriteStartLogos(paths(), StartLogos::All);
  if (!result) m_dialogs.showMessage(i18n::failureMessage(m_translator, result));
}

void CTuningDlg::OnRemoveStartLogos() {
  if (!m_dialogs.askYesNo(i18n::cp1252ToUtf8(m_translator.message("MESSAGE_REMOVESTARTLOGOS")))) return;
  if (!mayWriteGameFiles()) return;
  const auto result = WriteStartLogos(paths(), StartLogos::FirstOnly);
  if (!result) m_dialogs.showMessage(i18n::failureMessage(m_translator, result));
}

void CTuningDlg::OnCreateBackup() {
  const auto chosen = m_dialogs.saveFile(BackupSaveDialogOptions());
  if (!chosen) return;
  const auto result = CreateBackupFile(paths(), BackupTarget(*chosen));
  if (!result) m_dialogs.showMessage(i18n::failureMessage(m_translator, result));
}

void CTuningDlg::OnLoadBackup() {
  if (!m_dialogs.askYesNo(i18n::cp1252ToUtf8(m_translator.message("MESSAGE_LOADBACKUP")))) return;
  auto options = BackupOpenDialogOptions();
  // The safety copies kept before each save are backups too; the player's
  // own backups are a few clicks away from there.
  std::error_code ec;
  if (m_safetyCopies && std::filesystem::is_directory(m_safetyCopies->folder(), ec)) {
    options.folder = m_safetyCopies->folder();
  }
  const auto chosen = m_dialogs.openFile(options);
  if (!chosen || !mayWriteGameFiles()) return;
  if (const auto result = LoadBackupFile(paths(), *chosen); !result) {
    m_dialogs.showMessage(i18n::failureMessage(m_translator, result));
    return;
  }
  reloadSettings();
}

void CTuningDlg::OpenCacheSettings() {
  cache_window::CCacheDlg window(paths(), m_translator, m_dialogs, this);
  window.setProcesses(m_processes);
  window.exec();
}

void CTuningDlg::OpenOtherSettings() {
  other_window::COtherSettingsDlg window(paths(), m_translator, m_dialogs, this);
  window.setProcesses(m_processes);
  window.exec();
}

void CTuningDlg::OpenCredits() {
  // The tune goes where the translation table went: the tool's private folder.
  credits_window::CCreditsDlg credits(m_translator, m_dialogs, m_startup.privateFolder(), m_creditsMusic,
                                      credits_window::openInBrowser, this);
  credits.exec();
}

}  // namespace valdor::main_window
