#pragma once

#include "app/config_paths.h"
#include "app/dialogs.h"
#include "app/running_game.h"
#include "config/value_words.h"
#include "i18n/translator.h"
#include "other_window/control_ids.h"
#include "other_window/other_settings.h"
#include "ui/template_dialog.h"

namespace valdor::other_window {

// The window of the engine values the main window does not show: view
// ranges, frame rates, distances, the detail factor and two switches. It
// reads ve3.ini and debug.ini when it opens and writes them only on save.
class COtherSettingsDlg : public ui::TemplateDialog<ControlId> {
  Q_OBJECT

 public:
  // Opens ready to show: texts in the translator's language, stored values
  // loaded. The references must outlive the window.
  COtherSettingsDlg(const app::ConfigPaths& paths, const i18n::Translator& translator, app::Dialogs& dialogs,
                    QWidget* parent = nullptr);

  // Writes the shown values and closes; a field without a number of its kind,
  // or a file that cannot be written, is named and the window stays open.
  void OnSaveSettings();

  // After a Yes, shows the default values; writes nothing.
  void OnRestoreDefaults();

  // Closes when every field holds a number of its kind; writes nothing.
  // With changes not saved, the player is first asked to save, discard them
  // or go back.
  void OnClose();

  // Escape and the close box: closes without taking the fields, after the
  // same question when the window holds changes.
  void reject() override;

  const OtherSettings& settings() const { return m_settings; }

  // Where the window looks for the running game: the system's processes unless replaced.
  void setProcesses(std::shared_ptr<const app::ProcessSource> processes) { m_processes = std::move(processes); }

 private:
  // The texts, then the stored values.
  void OnInitDialog();
  // The settings as stored, shown; nothing is unsaved then.
  void loadSettings();
  void connectHandlers();
  // The lists' entries, every caption and tooltip.
  void ApplyTexts();
  // The values into the controls, and the lists' choices back.
  void showSettings();
  void takeChoices();
  // The fields' texts into the values; at a text that is no number of its
  // field's kind the field is named, gets the focus, and nothing is taken.
  bool takeFields();
  // Asked when closing with changes: true once they are discarded, false
  // when the player went back; saving closes the window itself.
  bool changesDiscarded();

  const app::ConfigPaths& m_paths;
  const i18n::Translator& m_translator;
  app::Dialogs& m_dialogs;
  i18n::EntryTexts m_entries;
  OtherSettings m_settings;
  config::LoadedKeys m_loaded;  // what the files held as the settings were loaded
  std::shared_ptr<const app::ProcessSource> m_processes = app::systemProcesses();
};

}  // namespace valdor::other_window
