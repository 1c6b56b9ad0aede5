#include "credits_window/credits_dlg.h"

#include <QDesktopServices>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QUrl>
#include <qdrawutil.h>

#include <utility>

#include "ui/qt_text.h"
#include "credits_window/credits_settings.h"

namespace valdor::credits_window {

bool openInBrowser(std::string_view address) { return QDesktopServices::openUrl(QUrl(ui::toQString(address))); }

CCreditsDlg::CCreditsDlg(const i18n::Translator& translator, app::Dialogs& dialogs, std::filesystem::path privateFolder,
                         platform::MusicPlayerFactory makeMusic, OpenAddress openAddress, QWidget* parent)
    // The template places the controls in the client area, inside the edge.
    : TemplateDialog(parent, Qt::Dialog | Qt::FramelessWindowHint, kColours, kTemplateWidth, kTemplateHeight,
                     kControls, kClientEdge, kTemplateFont),
      m_translator(translator),
      m_dialogs(dialogs),
      m_privateFolder(std::move(privateFolder)),
      m_makeMusic(std::move(makeMusic)),
      m_openAddress(std::move(openAddress)) {
  OnInitDialog();
  connectButtons(this, {{ControlId::Link, &CCreditsDlg::OnLink}});
}

void CCreditsDlg::OnInitDialog() {
  // The picture and the labels let every click through to the window, which
  // closes on it; only the link button takes clicks of its own.
  auto* picture = findChild<QLabel*>(QString::number(static_cast<int>(ControlId::Picture)), Qt::FindDirectChildrenOnly);
  showPicture(picture);
  picture->setAttribute(Qt::WA_TransparentForMouseEvents);
  for (ControlId label : {ControlId::Version, ControlId::Thanks, ControlId::Contact}) {
    control(label)->setAttribute(Qt::WA_TransparentForMouseEvents);
    // Drawn on the window's own background, over the picture where they overlap it.
    control(label)->setAutoFillBackground(true);
  }
  control<QLabel>(kBorderedLabel)->setFrameStyle(QFrame::Box | QFrame::Plain);
  ApplyTexts();
}

// A player still held here (the window was destroyed while shown) is stopped
// and released by its own destructor.
CCreditsDlg::~CCreditsDlg() = default;

void CCreditsDlg::showPicture(QLabel* picture) {
  const QPixmap bitmap = ui::builtInPicture(ui::toQString(kPicture), "BMP");
  if (bitmap.isNull()) return;
  // A bitmap picture takes the size of its bitmap, not that of its template
  // rectangle, and shows it from its top-left corner, as Windows does.
  picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  picture->setPixmap(bitmap);
  const int frame = picture->frameWidth();
  picture->resize(bitmap.size() + QSize(2 * frame, 2 * frame));
}

void CCreditsDlg::ApplyTexts() { applyCaptions(m_translator); }

void CCreditsDlg::OnLink() {
  const std::string_view address = CommunityAddress(m_translator.language());
  // Without a browser the click would do nothing at all; the player gets the
  // address to open by hand instead.
  if (!m_openAddress(address)) m_dialogs.showMessage(LinkNotOpenedMessage(m_translator, address));
}

void CCreditsDlg::showEvent(QShowEvent* event) {
  // Without sound (no device, no player) the window works all the same.
  if (!m_music && m_makeMusic) m_music = startCreditsMusic(m_makeMusic, m_privateFolder);
  QDialog::showEvent(event);
}

void CCreditsDlg::done(int result) {
  m_music.reset();
  QDialog::done(result);
}

void CCreditsDlg::mousePressEvent(QMouseEvent* event) {
  // Nothing here to take over from a dialog's OK, so it always closes.
  if (event->button() == Qt::LeftButton) accept();
  QDialog::mousePressEvent(event);
}

void CCreditsDlg::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  QPainter painter(this);
  qDrawWinPanel(&painter, rect(), palette(), true);
}

}  // namespace valdor::credits_window
