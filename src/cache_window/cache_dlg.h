#pragma once

#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include <QPalette>

#include "app/config_paths.h"
#include "app/dialogs.h"
#include "app/running_game.h"
#include "cache_window/address_space.h"
#include "cache_window/cache_controls.h"
#include "cache_window/cache_settings.h"
#include "i18n/translator.h"
#include "ui/template_dialog.h"

namespace valdor::cache_window {

// The cache settings window: the memory budgets of the game's resource
// caches with their totals and final caches. It reads ve3.ini when it opens
// and writes it only from its save button.
class CCacheDlg : public ui::TemplateDialog<ControlId> {
  Q_OBJECT

 public:
  // Builds the window in the translator's language, then loads and shows the
  // budgets of paths.engineIni; the focus starts in the Common image field.
  CCacheDlg(const app::ConfigPaths& paths, const i18n::Translator& translator, app::Dialogs& dialogs,
            QWidget* parent = nullptr);

  // Every caption and tooltip; the value fields' tooltips name their defaults.
  void ApplyCacheTexts();

  // The player edited a value of column: its megabytes, total and final cache.
  void RecalcColumn(CacheColumn column);

  // The player edited texturesHigh: the final caches and its own megabytes.
  void OnChangeTexturesHigh();

  // "+" or "-": the column's values by the column's percentage, which stays.
  void OnScaleColumn(CacheColumn column, ScaleDirection direction);

  // After a Yes, shows the default budgets; writes nothing.
  void OnRestoreDefaults();

  // Writes the 29 values as shown and closes; when a value is no number or
  // the file cannot be written, says so and stays open with every value.
  // While the game runs, the player is asked first; No writes nothing.
  void OnSaveCache();

  // The close button: closes without writing; with changes not saved, the
  // player is first asked to save, discard them or go back.
  void OnClose();

  // Escape and the close box, the same way.
  void reject() override;

  const CacheSizes& sizes() const { return m_sizes; }

  // Where the window looks for the running game: the system's processes unless replaced.
  void setProcesses(std::shared_ptr<const app::ProcessSource> processes) { m_processes = std::move(processes); }

  // Whether a level's final cache is marked as passing the game's memory ceiling.
  bool marksCeiling(CacheColumn level) const { return m_marked[static_cast<std::size_t>(level)]; }

 private:
  // The texts, then the budgets as stored; the focus starts in the Common
  // image field.
  void OnInitDialog();
  // The budgets as stored, shown; nothing is unsaved then.
  void loadSizes();
  void shapeFields();
  void connectHandlers();
  // The 29 value texts from their fields.
  void takeFields();
  // The values and figures into their controls.
  void showFields();
  // Each level's final cache marked, or not, as it passes the memory ceiling.
  void markCeiling();
  // A control's text, rewritten only when it differs, so a caret stays put.
  void showText(ControlId id, const std::string& text);
  std::string percentOf(CacheColumn column) const;
  // Asked when closing with changes: true once they are discarded, false
  // when the player went back; saving closes the window itself.
  bool changesDiscarded();

  std::filesystem::path m_engineIni;
  config::LoadedKeys m_loaded;  // what the file held as the budgets were loaded
  std::filesystem::path m_gameExecutable;
  i18n::Translator m_translator;
  app::Dialogs& m_dialogs;
  CacheSizes m_sizes;
  CacheFigures m_figures;
  std::shared_ptr<const app::ProcessSource> m_processes = app::systemProcesses();
  // Read once as the window opens: the executable does not change meanwhile.
  std::optional<MemoryCeiling> m_ceiling;
  std::array<bool, kColumnCount> m_marked{};
  QPalette m_finalPalette;  // an unmarked final cache's
};

}  // namespace valdor::cache_window
