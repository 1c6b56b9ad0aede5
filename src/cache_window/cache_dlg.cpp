#include "cache_window/cache_dlg.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <vector>

#include "ui/dialog_builder.h"
#include "i18n/cp1252.h"
#include "i18n/file_messages.h"
#include "ui/qt_text.h"

namespace valdor::cache_window {

namespace {

constexpr std::size_t indexOf(CacheColumn column) { return static_cast<std::size_t>(column); }

// A final cache past the memory ceiling: dark red on pale red, readable in
// the window's colours and set apart from its dark fields.
const QColor kCeilingBackground{0xFF, 0xD8, 0xD8};
const QColor kCeilingText{0xA0, 0x00, 0x00};

// The percentages only steer "+" and "-" and are never saved, so changing
// them alone loses nothing.
std::vector<ControlId> untrackedFields() {
  std::vector<ControlId> fields;
  for (const CacheColumnRow& row : kCacheColumnRows) fields.push_back(row.percentField);
  return fields;
}

const std::string& megabytesOf(const CacheFigures& figures, CacheField field) {
  if (!field.column) return figures.texturesHighMegabytes;
  return figures.columns[indexOf(*field.column)].megabytes[static_cast<std::size_t>(field.category)];
}

}  // namespace

CCacheDlg::CCacheDlg(const app::ConfigPaths& paths, const i18n::Translator& translator, app::Dialogs& dialogs,
                     QWidget* parent)
    // A small tool-window title bar with a close box and no caption text.
    : TemplateDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint, kColours, kTemplateWidth,
                     kTemplateHeight, kControls, 0, kTemplateFont),
      m_engineIni(paths.engineIni),
      m_loaded(CacheLoadedKeys(paths.engineIni)),
      m_gameExecutable(paths.gameExecutable),
      m_translator(translator),
      m_dialogs(dialogs) {
  setWindowTitle(QString());
  control<QLabel>(ControlId::Heading)->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  shapeFields();
  connectHandlers();
  OnInitDialog();
}

void CCacheDlg::OnInitDialog() {
  m_ceiling = CeilingOf(m_gameExecutable);
  ApplyCacheTexts();
  loadSizes();
  control(ControlId::CommonImage)->setFocus();
}

void CCacheDlg::loadSizes() {
  m_loaded.rememberFromFiles();
  m_sizes = LoadCacheSizes(m_engineIni);
  m_figures = RecalcAll(m_sizes);
  showFields();
  markUnchanged(untrackedFields());
}

void CCacheDlg::shapeFields() {
  // The widest texts a field and a megabyte label show: a 32-bit value read
  // from the file with its sign, an unsigned one, and their megabytes. They
  // are shown whole, never cut to their last digits.
  const auto numberField = [this](ControlId id) {
    auto* field = control<QLineEdit>(id);
    field->setAlignment(Qt::AlignRight);
    ui::fitWholeTexts(field, {u"-2147483648", u"4294967295"});
    return field;
  };
  const auto megabyteLabel = [this](ControlId id) {
    auto* label = control<QLabel>(id);
    label->setWordWrap(false);  // a wrapped label would lose its unit below the line
    ui::fitWholeTexts(label, {u"4096.00 MB", u"-2048.00 MB"});
  };
  // Typing stops when a field is full: the fields do not scroll sideways.
  constexpr ui::FieldRules kTyped{.digitsOnly = true, .stopWhenFull = true};
  for (const CacheRow& row : kCacheRows) {
    ui::guardField(numberField(row.valueField), kTyped);
    megabyteLabel(row.megabyteLabel);
  }
  for (const CacheColumnRow& row : kCacheColumnRows) {
    auto* percent = control<QLineEdit>(row.percentField);
    percent->setAlignment(Qt::AlignRight);
    ui::guardField(percent, kTyped);
    percent->setText(QStringLiteral("0"));  // never loaded, saved or restored
    numberField(row.totalField)->setReadOnly(true);
    megabyteLabel(row.totalMegabytes);
    if (row.finalField != ControlId::None) {
      numberField(row.finalField)->setReadOnly(true);
      megabyteLabel(row.finalMegabytes);
      m_finalPalette = control(row.finalField)->palette();
    }
  }
}

void CCacheDlg::connectHandlers() {
  // textEdited, not textChanged: only the player's typing, pasting and
  // deleting recalculate; showing the values must not start another round.
  for (const CacheRow& row : kCacheRows) {
    auto* field = control<QLineEdit>(row.valueField);
    if (row.field.column) {
      connect(field, &QLineEdit::textEdited, this, [this, column = *row.field.column] { RecalcColumn(column); });
    } else {
      connect(field, &QLineEdit::textEdited, this, [this] { OnChangeTexturesHigh(); });
    }
  }
  for (const CacheColumnRow& row : kCacheColumnRows) {
    connect(control<QPushButton>(row.increaseButton), &QPushButton::clicked, this,
            [this, column = row.column] { OnScaleColumn(column, ScaleDirection::Increase); });
    connect(control<QPushButton>(row.decreaseButton), &QPushButton::clicked, this,
            [this, column = row.column] { OnScaleColumn(column, ScaleDirection::Decrease); });
  }
  // Closing writes nothing unless the player asks for it.
  connectButtons(this, {{ControlId::RestoreDefaults, &CCacheDlg::OnRestoreDefaults},
                        {ControlId::Save, &CCacheDlg::OnSaveCache},
                        {ControlId::Close, &CCacheDlg::OnClose}});
}

void CCacheDlg::ApplyCacheTexts() {
  applyCaptions(m_translator);
  for (const CacheRow& row : kCacheRows) setTooltip(row.valueField, CacheTooltip(m_translator, row.field));
  for (const CacheColumnRow& row : kCacheColumnRows) {
    setTooltip(row.increaseButton, m_translator.message(kIncreaseTooltip));
    setTooltip(row.decreaseButton, m_translator.message(kDecreaseTooltip));
  }
  m_marked.fill(true);  // every final cache's tooltip is set anew
  markCeiling();
}

void CCacheDlg::markCeiling() {
  for (const CacheColumnRow& row : kCacheColumnRows) {
    if (row.finalField == ControlId::None) continue;
    const bool passes = PassesCeiling(m_sizes, row.column, m_ceiling);
    bool& marked = m_marked[indexOf(row.column)];
    if (passes == marked) continue;
    marked = passes;
    QWidget* field = control(row.finalField);
    QPalette palette = m_finalPalette;
    std::string tooltip = m_translator.message(kFinalCacheTooltip);
    if (passes) {
      palette.setColor(QPalette::Base, kCeilingBackground);
      palette.setColor(QPalette::Text, kCeilingText);
      tooltip += "\n\n" + CeilingTooltip(m_translator, *m_ceiling);
    }
    field->setPalette(palette);
    setTooltip(row.finalField, tooltip);
  }
}

void CCacheDlg::takeFields() {
  for (const CacheRow& row : kCacheRows) {
    TextOf(m_sizes, row.field) = fieldText(row.valueField);
  }
}

void CCacheDlg::showFields() {
  for (const CacheRow& row : kCacheRows) {
    showText(row.valueField, TextOf(m_sizes, row.field));
    showText(row.megabyteLabel, megabytesOf(m_figures, row.field));
  }
  for (const CacheColumnRow& row : kCacheColumnRows) {
    const CacheColumnFigures& figures = m_figures.columns[indexOf(row.column)];
    showText(row.totalField, std::to_string(figures.total));
    showText(row.totalMegabytes, figures.totalMegabytes);
    if (figures.finalCache) {
      showText(row.finalField, std::to_string(*figures.finalCache));
      showText(row.finalMegabytes, figures.finalMegabytes);
    }
  }
  markCeiling();
}

void CCacheDlg::showText(ControlId id, const std::string& text) {
  const QString shown = ui::toQString(text);
  QWidget* target = control(id);
  if (auto* field = qobject_cast<QLineEdit*>(target)) {
    if (field->text() != shown) field->setText(shown);
  } else if (auto* label = qobject_cast<QLabel*>(target)) {
    if (label->text() != shown) label->setText(shown);
  }
}

std::string CCacheDlg::percentOf(CacheColumn column) const {
  return fieldText(ColumnRowOf(column).percentField);
}

void CCacheDlg::RecalcColumn(CacheColumn column) {
  takeFields();
  m_figures.columns[indexOf(column)] = cache_window::RecalcColumn(m_sizes, column);
  showFields();
}

void CCacheDlg::OnChangeTexturesHigh() {
  // The Common column takes no part in it, so its figures come out the same.
  takeFields();
  m_figures = RecalcAll(m_sizes);
  showFields();
}

void CCacheDlg::OnScaleColumn(CacheColumn column, ScaleDirection direction) {
  takeFields();
  ScaleCacheColumn(m_sizes, column, percentOf(column), direction);
  showFields();
  RecalcColumn(column);
}

void CCacheDlg::OnRestoreDefaults() {
  if (!m_dialogs.askYesNo(i18n::cp1252ToUtf8(m_translator.message("MESSAGE_RESTORESETTINGS")))) return;
  m_sizes = DefaultCacheSizes();
  m_figures = RecalcAll(m_sizes);
  showFields();
}

void CCacheDlg::OnSaveCache() {
  takeFields();
  // A value that is no number is refused below without a write: no need to ask then.
  if (!FirstInvalidValue(m_sizes) && !app::mayWriteGameFiles(*m_processes, m_gameExecutable, m_dialogs, m_translator))
    return;
  CacheSaveResult result = SaveCacheSizes(m_sizes, m_engineIni, &m_loaded);
  while (result.file.failure == config::Failure::ChangedOutside) {
    switch (askOutsideEdits(m_dialogs, m_translator, result.file)) {
      case app::OutsideEditAnswer::TakeFiles:
        loadSizes();
        return;
      case app::OutsideEditAnswer::Overwrite:
        m_loaded.rememberFromFiles();
        result = SaveCacheSizes(m_sizes, m_engineIni, &m_loaded);
        break;
      case app::OutsideEditAnswer::GoBack:
        return;
    }
  }
  if (result.ok()) {
    accept();
    return;
  }
  // Closing as if saved would lose the player's values without a word: the
  // window stays, and a field that is no number gets the focus.
  const std::string name = result.invalid ? FieldName(m_translator, *result.invalid) : std::string();
  const std::string message = i18n::failureMessage(m_translator, result.file, name);
  if (result.invalid) {
    refuseField(m_dialogs, message, RowOf(*result.invalid).valueField);
  } else {
    m_dialogs.showMessage(message);
  }
}

void CCacheDlg::OnClose() {
  if (!holdsChanges() || changesDiscarded()) accept();
}

void CCacheDlg::reject() {
  if (!holdsChanges() || changesDiscarded()) TemplateDialog::reject();
}

bool CCacheDlg::changesDiscarded() {
  // Saving closes the window once written; a failure is shown and it stays.
  return settleChanges(m_dialogs, m_translator, [this] {
    OnSaveCache();
    return false;
  });
}

}  // namespace valdor::cache_window
