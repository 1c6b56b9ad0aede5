#pragma once

#include <QAbstractButton>
#include <QDialog>
#include <QLineEdit>
#include <QString>
#include <QWidget>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "app/dialogs.h"
#include "config/file_io.h"
#include "i18n/translator.h"
#include "ui/dialog_builder.h"
#include "ui/dialog_layout.h"
#include "ui/qt_text.h"

// What every window of a dialog template shares: its look, its controls built
// from the table and found by id, captions and tooltips, the refusal of a
// field that holds no number, and knowing whether the player changed anything.
namespace valdor::ui {

// The parts that do not depend on the window's ids.
class TemplateDialogBase : public QDialog {
 protected:
  TemplateDialogBase(QWidget* parent, Qt::WindowFlags flags, WindowColours colours);

  // The message, then the field gets the focus with its text selected, so the
  // player can type over it; the window stays open.
  static void refuseWidget(app::Dialogs& dialogs, std::string_view message, QWidget* field);
  static void setTooltipOf(QWidget* control, const std::string& text);
  static std::string tooltipText(const i18n::Translator& translator, std::string_view key,
                                 const std::optional<std::string>& announcedDefault);
  static void fillWidget(QWidget* list, std::span<const std::string> entries);

  // Asks, in the translator's language, whether the changes a window holds
  // are saved, discarded or kept by going back. True when the window may go
  // on: they were discarded, or `save` (the window's own save) returned true.
  static bool settleChanges(app::Dialogs& dialogs, const i18n::Translator& translator,
                            const std::function<bool()>& save);

  // Asks, in the translator's language, whether the window takes the values
  // another program saved in the file `changed` names (a ChangedOutside
  // result), writes its own over them, or goes back.
  static app::OutsideEditAnswer askOutsideEdits(app::Dialogs& dialogs, const i18n::Translator& translator,
                                                const config::Result& changed);

  // What the player can change of control, as shown: an editable field's
  // text, a list's choice; nullopt for every other control.
  static std::optional<QString> changeableValue(const QWidget* control);
};

// A window of a template: the window's flags and colours, then its controls
// made from the rows, fixed to the template's size in dialog units of its
// font (plus a frame of edge pixels on each side).
template <typename Id>
class TemplateDialog : public TemplateDialogBase {
 public:
  template <typename T = QWidget>
  T* control(Id id) const {
    auto found = m_controls.find(id);
    return found == m_controls.end() ? nullptr : qobject_cast<T*>(found->second);
  }

 protected:
  TemplateDialog(QWidget* parent, Qt::WindowFlags flags, WindowColours colours, int templateWidth,
                 int templateHeight, std::span<const ControlRow<Id>> rows, int edge = 0,
                 TemplateFont font = TemplateFont::Arial8)
      : TemplateDialogBase(parent, flags, colours), m_rows(rows) {
    m_controls = buildDialog<Id>(this, templateWidth, templateHeight, rows, edge, font);
  }

  const std::map<Id, QWidget*>& controls() const { return m_controls; }

  // A click on each button calls its handler on window.
  template <typename Window>
  void connectButtons(Window* window,
                      std::initializer_list<std::pair<Id, std::type_identity_t<void (Window::*)()>>> buttons) {
    for (auto [id, handler] : buttons) {
      connect(control<QAbstractButton>(id), &QAbstractButton::clicked, window,
              [window, handler = handler] { (window->*handler)(); });
    }
  }

  // Every caption of the rows, shown as looked up: "|" is a line break only in
  // messages and tooltips.
  void applyCaptions(const i18n::Translator& translator) {
    for (const auto& row : m_rows) {
      if (!row.captionKey.empty()) setControlText(control(row.id), translator.LookupText(row.captionKey));
    }
  }

  // The tooltip's text with its lines wrapped; an empty text removes it.
  void setTooltip(Id id, const std::string& text) { setTooltipOf(control(id), text); }

  // The tooltip of key, closed by the default it announces, if any. The
  // default comes from the same row that restoring the defaults uses, so the
  // two cannot drift apart.
  void setTooltip(Id id, const i18n::Translator& translator, std::string_view key,
                  const std::optional<std::string>& announcedDefault) {
    setTooltip(id, tooltipText(translator, key, announcedDefault));
  }

  // The list's entries replace those it had; none is chosen.
  void fillList(Id id, std::span<const std::string> entries) { fillWidget(control(id), entries); }

  // An edit field's text, as bytes, and back.
  std::string fieldText(Id id) const { return fromQString(control<QLineEdit>(id)->text()); }
  void setFieldText(Id id, const std::string& text) { control<QLineEdit>(id)->setText(toQString(text)); }

  // A field that holds no number of its kind: named in message, then focused.
  void refuseField(app::Dialogs& dialogs, std::string_view message, Id field) {
    refuseWidget(dialogs, message, control(field));
  }

  // What is shown now becomes what the game's files hold: call after loading
  // and after saving. Controls in untracked (fields that are never saved)
  // are left out.
  void markUnchanged(std::vector<Id> untracked = {}) {
    m_untracked = std::move(untracked);
    m_unchanged = shownValues();
  }

  // Whether a field or list differs from what markUnchanged saw; an edit
  // the player typed back to the old text is no change.
  bool holdsChanges() const { return shownValues() != m_unchanged; }

 private:
  std::map<Id, QString> shownValues() const {
    std::map<Id, QString> values;
    for (const auto& [id, widget] : m_controls) {
      if (std::find(m_untracked.begin(), m_untracked.end(), id) != m_untracked.end()) continue;
      if (auto value = changeableValue(widget)) values.emplace(id, std::move(*value));
    }
    return values;
  }

  std::span<const ControlRow<Id>> m_rows;
  std::map<Id, QWidget*> m_controls;
  std::vector<Id> m_untracked;
  std::map<Id, QString> m_unchanged;
};

}  // namespace valdor::ui
