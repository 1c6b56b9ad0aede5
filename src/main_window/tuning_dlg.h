#pragma once

#include <QDialog>

#include <map>

#include "app/dialogs.h"
#include "app/settings_store.h"
#include "app/startup.h"
#include "i18n/translator.h"
#include "main_window/tuning_controls.h"

namespace valdor::main_window {

// The main window: the game's main settings, the language and the way to the
// other windows. It owns the paths and the language every window uses.
class CTuningDlg : public QDialog {
  Q_OBJECT

 public:
  CTuningDlg(app::SettingsStore& store, app::Dialogs& dialogs, app::StartupOptions options,
             QWidget* parent = nullptr);
  // Deletes the extracted translation table.
  ~CTuningDlg() override;

  // The start-up: finds the game and the language and applies the texts.
  // False when the tool has to end without showing the window.
  bool OnInitDialog();

  // The language box's text becomes the language; it is stored and applied.
  void OnSelchangeLanguage();

  // Fills every caption in the selected language.
  void ApplyTexts();

  const app::ConfigPaths& paths() const { return m_startup.paths(); }
  const i18n::Translator& translator() const { return m_translator; }

  template <typename T = QWidget>
  T* control(ControlId id) const {
    auto found = m_controls.find(id);
    return found == m_controls.end() ? nullptr : qobject_cast<T*>(found->second);
  }

 private:
  void connectHandlers();

  i18n::Translator m_translator;
  app::Startup m_startup;
  std::map<ControlId, QWidget*> m_controls;
};

}  // namespace valdor::main_window
