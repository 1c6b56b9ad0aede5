#include "main_window/tuning_dlg.h"

#include <QComboBox>
#include <QPushButton>

#include "app/dialog_builder.h"
#include "app/qt_text.h"
#include "app/window_look.h"

namespace valdor::main_window {

CTuningDlg::CTuningDlg(app::SettingsStore& store, app::Dialogs& dialogs, app::StartupOptions options,
                       QWidget* parent)
    : QDialog(parent), m_startup(store, dialogs, m_translator, std::move(options)) {
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setWindowTitle(app::toQString(kCaption));
  app::applyWindowLook(this, kColours);

  const auto units = app::dialogUnitsOf(font());
  setFixedSize(units.toPixelsX(kTemplateWidth), units.toPixelsY(kTemplateHeight));
  m_controls = app::buildControls<ControlId>(this, kControls, units);
  connectHandlers();
}

CTuningDlg::~CTuningDlg() { m_startup.removeTranslationFile(); }

void CTuningDlg::connectHandlers() {
  // activated, not currentIndexChanged: only the player's choice is a
  // selection change; the start-up selects without one.
  connect(control<QComboBox>(ControlId::Language), &QComboBox::activated, this, [this] { OnSelchangeLanguage(); });
  connect(control<QPushButton>(ControlId::Exit), &QPushButton::clicked, this, &QDialog::accept);
}

bool CTuningDlg::OnInitDialog() {
  auto* language = control<QComboBox>(ControlId::Language);
  for (const auto& entry : app::languageEntries()) language->addItem(app::toQString(entry));
  if (!m_startup.run()) return false;
  const auto index = m_startup.languageIndex();
  language->setCurrentIndex(index ? static_cast<int>(*index) : -1);
  OnSelchangeLanguage();
  return true;
}

void CTuningDlg::OnSelchangeLanguage() {
  const auto* language = control<QComboBox>(ControlId::Language);
  m_startup.changeLanguage(language->currentIndex() < 0 ? std::string() : app::fromQString(language->currentText()));
  ApplyTexts();
}

void CTuningDlg::ApplyTexts() {
  // Captions are shown as looked up: "|" is a line break only in messages.
  for (const auto& row : kControls) {
    if (!row.captionKey.empty()) app::setControlText(control(row.id), m_translator.LookupText(row.captionKey));
  }
}

}  // namespace valdor::main_window
