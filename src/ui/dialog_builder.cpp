#include "ui/dialog_builder.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include "ui/qt_text.h"

namespace valdor::ui {

namespace {

constexpr int kComboFrameHeight = 8;

QLabel* makeLabel(QWidget* parent, Qt::Alignment horizontal, bool wrap) {
  auto* label = new QLabel(parent);
  label->setTextFormat(Qt::PlainText);
  // Windows draws static text from the top of its rectangle.
  label->setAlignment(horizontal | Qt::AlignTop);
  label->setWordWrap(wrap);
  return label;
}

QWidget* makeWidget(QWidget* parent, ControlKind kind) {
  switch (kind) {
    case ControlKind::Picture: {
      auto* picture = new QLabel(parent);
      picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
      picture->setAlignment(Qt::AlignCenter);
      return picture;
    }
    case ControlKind::Label: return makeLabel(parent, Qt::AlignLeft, true);
    case ControlKind::LabelCentred: return makeLabel(parent, Qt::AlignHCenter, true);
    case ControlKind::LabelRight: return makeLabel(parent, Qt::AlignRight, true);
    case ControlKind::LabelNoWrap: return makeLabel(parent, Qt::AlignLeft, false);
    case ControlKind::GroupBox: return new QGroupBox(parent);
    case ControlKind::ComboBox: return new QComboBox(parent);
    case ControlKind::Button: return new QPushButton(parent);
    case ControlKind::DefaultButton: {
      auto* button = new QPushButton(parent);
      button->setDefault(true);
      return button;
    }
    case ControlKind::Edit: return new QLineEdit(parent);
    case ControlKind::Separator: {
      auto* line = new QFrame(parent);
      line->setFrameShape(QFrame::NoFrame);
      line->setAutoFillBackground(true);
      QPalette grey = line->palette();
      grey.setColor(QPalette::Window, QColor(128, 128, 128));
      line->setPalette(grey);
      return line;
    }
  }
  return new QWidget(parent);
}

}  // namespace

QFont dialogFont() {
  QFont font(QStringLiteral("Arial"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(11);
  return font;
}

DialogUnits dialogUnitsOf(const QFont& font) {
  const QFontMetrics metrics(font);
  const int alphabet =
      metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return {baseUnitX(alphabet), metrics.height()};
}

QWidget* createControl(QWidget* parent, ControlKind kind, int id, const QRect& pixels, std::string_view text) {
  QWidget* control = makeWidget(parent, kind);
  control->setObjectName(QString::number(id));
  QRect place = pixels;
  // The template's rectangle of a combo box includes its dropped list. Closed,
  // Windows makes it as high as its text plus its frame, which the template's
  // rows of 14 units leave room for; Qt's own size hint would overlap them.
  if (kind == ControlKind::ComboBox)
    place.setHeight(std::min(pixels.height(), control->fontMetrics().height() + kComboFrameHeight));
  control->setGeometry(place);
  if (!text.empty()) setControlText(control, text);
  return control;
}

void setControlText(QWidget* control, std::string_view text) {
  const QString caption = toQString(text);
  if (auto* label = qobject_cast<QLabel*>(control)) {
    label->setText(caption);
  } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
    button->setText(caption);
  } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
    group->setTitle(caption);
  } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
    edit->setText(caption);
  }
}

void setControlPicture(QWidget* control, const QPixmap& picture) {
  auto* label = qobject_cast<QLabel*>(control);
  if (!label) return;
  // QLabel would paint a larger picture over its own frame.
  const QSize room = label->contentsRect().size().boundedTo(picture.size());
  const QRect middle((picture.width() - room.width()) / 2, (picture.height() - room.height()) / 2, room.width(),
                     room.height());
  label->setPixmap(picture.copy(middle));
}

void acceptDigitsOnly(QWidget* control) {
  auto* edit = qobject_cast<QLineEdit*>(control);
  if (!edit) return;
  static const QRegularExpression kDigits(QStringLiteral("[0-9]*"));
  edit->setValidator(new QRegularExpressionValidator(kDigits, edit));
}

}  // namespace valdor::ui
