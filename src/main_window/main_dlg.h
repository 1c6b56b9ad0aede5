#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/dialogs.h"
#include "app/safety_copies.h"
#include "app/running_game.h"
#include "app/settings_store.h"
#include "app/startup.h"
#include "platform/music_player.h"
#include "i18n/translator.h"
#include "main_window/backups.h"
#include "main_window/display_modes.h"
#include "main_window/main_settings.h"
#include "main_window/start_logos.h"
#include "main_window/main_controls.h"
#include "ui/template_dialog.h"

namespace valdor::main_window {

// The main window: the game's main settings, the language and the way to the
// other windows. It owns the paths and the language every window uses.
class CTuningDlg : public ui::TemplateDialog<ControlId> {
  Q_OBJECT

 public:
  // displayModes is asked once, by OnInitDialog, and must live until then.
  CTuningDlg(app::SettingsStore& store, app::Dialogs& dialogs, app::StartupOptions options,
             const platform::DisplayModeSource& displayModes, QWidget* parent = nullptr);
  // Deletes the extracted translation table.
  ~CTuningDlg() override;

  // The start-up: lists the display modes, finds the game and the language,
  // applies the texts and loads the settings. False when the tool has to end
  // without showing the window.
  bool OnInitDialog();

  // The language box's text becomes the language; it is stored and applied.
  void OnSelchangeLanguage();

  // The player chose a language. Applying it reloads the settings from the
  // game's files, so changes not saved are first saved or discarded, or the
  // choice is taken back, as on closing.
  void OnLanguageChosen();

  // Refills every list except the language and resolution lists, sets every
  // caption and tooltip in the selected language, then loads the settings
  // from the game's files; choices not saved are lost.
  void ApplyTexts();

  // The player chose another resolution: its aspect ratio is shown.
  void OnSelchangeResolution();

  // Writes the shown settings into the game's files and says how it went;
  // true when they were written.
  bool OnSaveSettings();

  // After a Yes, shows the default settings; writes nothing.
  void OnRestoreDefaults();

  // Closes the window when every edit field holds a number; saves nothing.
  // With changes not saved, the player is first asked to save, discard them
  // or go back.
  void OnExit();

  // Escape and the close box: the window closes without taking the fields,
  // after the same question when it holds changes.
  void reject() override;

  // After a Yes, the start-logo list names all five videos, or only the
  // first one; a file that cannot be written is named.
  void OnRestoreStartLogos();
  void OnRemoveStartLogos();

  // Both configuration files into one backup file, and back; after loading,
  // the window shows the restored settings.
  void OnCreateBackup();
  void OnLoadBackup();

  // The other windows, each modal; nothing is reloaded afterwards.
  void OpenCacheSettings();
  void OpenOtherSettings();
  void OpenCredits();

  // The player of the credits music: the real one unless replaced.
  void setCreditsMusic(platform::MusicPlayerFactory makeMusic) { m_creditsMusic = std::move(makeMusic); }

  // Where this window and the ones it opens look for the running game: the
  // system's processes unless replaced.
  void setProcesses(std::shared_ptr<const app::ProcessSource> processes) { m_processes = std::move(processes); }

  const app::ConfigPaths& paths() const { return m_startup.paths(); }
  const i18n::Translator& translator() const { return m_translator; }
  const MainSettings& settings() const { return m_settings; }
  const std::vector<std::string>& resolutions() const { return m_resolutions; }

 private:
  void connectHandlers();
  void fillLists();
  void setTooltips();
  // The settings into the controls, and the choices of the lists back.
  void showSettings();
  void takeChoices();
  // The edit fields' texts into the settings; on a text that is no number the
  // field is named, gets the focus, and nothing is taken.
  bool takeFields();
  void showAspectRatio();
  std::optional<std::size_t> chosenResolution() const;
  // Asked when closing with changes: true once they are saved or discarded,
  // false when the player went back or the save failed.
  bool changesSettled();
  // The settings from the files, the lists as they are; nothing is unsaved then.
  void reloadSettings();
  // Before a write of the game's files: true unless the game runs and the player declines.
  bool mayWriteGameFiles();
  // The language box's entry whose texts are shown.
  int m_shownLanguage = -1;

  i18n::Translator m_translator;
  app::Dialogs& m_dialogs;
  app::Startup m_startup;
  const platform::DisplayModeSource& m_displayModes;
  std::vector<std::string> m_resolutions;  // the resolution list's entries
  MainTexts m_texts;                       // the lists' entries in the current language
  MainSettings m_settings;
  config::LoadedKeys m_loaded;  // what the files held as the settings were loaded
  std::shared_ptr<app::SafetyCopies> m_safetyCopies;  // set once the game's files are known
  std::string m_aspectRatio{kInitialAspectRatio};
  platform::MusicPlayerFactory m_creditsMusic = platform::makeSdlMusicPlayer;
  std::shared_ptr<const app::ProcessSource> m_processes = app::systemProcesses();
};

}  // namespace valdor::main_window
