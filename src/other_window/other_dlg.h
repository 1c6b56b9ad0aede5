#pragma once

#include <QDialog>

#include <map>

#include "app/config_paths.h"
#include "app/dialogs.h"
#include "config/value_words.h"
#include "i18n/translator.h"
#include "other_window/control_ids.h"
#include "other_window/other_settings.h"

namespace valdor::other_window {

// The window of the engine values the main window does not show: view
// ranges, frame rates, distances, the detail factor and two switches. It
// reads ve3.ini and debug.ini when it opens and writes them only on save.
class COtherSettingsDlg : public QDialog {
  Q_OBJECT

 public:
  // Opens ready to show: texts in the translator's language, stored values
  // loaded. The references must outlive the window.
  COtherSettingsDlg(const app::ConfigPaths& paths, const i18n::Translator& translator, app::Dialogs& dialogs,
                    QWidget* parent = nullptr);

  // Writes the shown values and closes; a field without a number of its kind,
  // or a file that cannot be written, is named and the window stays open.
  void OnSave();

  // After a Yes, shows the default values; writes nothing.
  void OnRestoreSettings();

  // Closes when every field holds a number of its kind; writes nothing.
  void OnClose();

  const OtherSettings& settings() const { return m_settings; }

  template <typename T = QWidget>
  T* control(ControlId id) const {
    auto found = m_controls.find(id);
    return found == m_controls.end() ? nullptr : qobject_cast<T*>(found->second);
  }

 private:
  void OnInitDialog();
  void connectHandlers();
  void setCaptions();
  void fillLists();
  void setTooltips();
  // The values into the controls, and the lists' choices back.
  void showSettings();
  void takeChoices();
  // The fields' texts into the values; at a text that is no number of its
  // field's kind the field is named, gets the focus, and nothing is taken.
  bool takeFields();

  const app::ConfigPaths& m_paths;
  const i18n::Translator& m_translator;
  app::Dialogs& m_dialogs;
  config::EntryTexts m_entries;
  std::map<ControlId, QWidget*> m_controls;
  OtherSettings m_settings;
};

}  // namespace valdor::other_window
