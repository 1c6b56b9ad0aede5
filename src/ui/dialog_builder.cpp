#include "ui/dialog_builder.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QValidator>

#include <algorithm>

#include "ui/qt_text.h"

namespace valdor::ui {

namespace {

constexpr int kComboFrameHeight = 8;

// The narrowest a text is drawn to fit its control, in percent of its width.
constexpr int kNarrowestStretch = 75;

// A row of a drop-down list: its text and the item view's spacing.
constexpr int kListRowPadding = 2;

int pixelsOf(const QFont& font, const QString& text) { return QFontMetrics(font).horizontalAdvance(text); }

// Whether text fits room, shaped only when its length can't tell: no
// character is wider than the font's widest, and shaping costs far more than
// that check, for every entry of every list as it is filled.
bool fits(const QFont& font, const QString& text, int room) {
  const QFontMetrics metrics(font);
  return metrics.maxWidth() * text.size() <= room || metrics.horizontalAdvance(text) <= room;
}

// A font's stretch in percent; a font that names none is drawn at 100.
int stretchOf(const QFont& font) { return font.stretch() == QFont::AnyStretch ? 100 : font.stretch(); }

// The width a control has for one line of text.
int textRoom(const QWidget* control) {
  if (const auto* edit = qobject_cast<const QLineEdit*>(control)) {
    QStyleOptionFrame frame;
    frame.initFrom(edit);
    frame.rect = edit->rect();
    frame.lineWidth = edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, edit) : 0;
    const QRect contents = edit->style()->subElementRect(QStyle::SE_LineEditContents, &frame, edit);
    const QMargins margins = edit->textMargins();
    // QLineEdit keeps 2 pixels free on either side and 1 for the caret.
    return contents.width() - margins.left() - margins.right() - 2 * 2 - 1;
  }
  if (const auto* button = qobject_cast<const QPushButton*>(control)) {
    const int frame = button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
    const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
    // A pixel of air between the caption and the frame on either side.
    return button->width() - 2 * frame - margin - 2;
  }
  if (const auto* box = qobject_cast<const QComboBox*>(control)) {
    QStyleOptionComboBox option;
    option.initFrom(box);
    option.rect = box->rect();
    option.editable = box->isEditable();
    return box->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, box).width() - 2;
  }
  return control->contentsRect().width();
}

// Whether text is shown whole in the field, without scrolling.
bool fitsWhole(const QWidget* field, const QString& text) { return pixelsOf(field->font(), text) <= textRoom(field); }

// A stretch, from 100 down to kNarrowestStretch, at which every text fits
// room, within a percent of the widest that does; the narrowest when none does. Each stretch measured loads a font
// of its own, so the search starts where the widths at 100 put it: text
// narrows about in proportion to the stretch.
int stretchToFit(QFont font, const QStringList& texts, int room) {
  const auto widest = [&](int stretch) {
    font.setStretch(stretch);
    int width = 0;
    for (const QString& text : texts) width = std::max(width, pixelsOf(font, text));
    return width;
  };
  font.setStretch(100);
  if (std::all_of(texts.begin(), texts.end(), [&](const QString& text) { return fits(font, text, room); })) {
    return 100;
  }
  const int full = widest(100);
  if (full <= room) return 100;
  // The guess rounds down, so it is at most a percent narrower than the
  // widest that fits; not probing above it spares loading one more font.
  int stretch = std::clamp(100 * room / std::max(full, 1), kNarrowestStretch, 99);
  while (stretch > kNarrowestStretch && widest(stretch) > room) --stretch;
  return stretch;
}

void narrowToFit(QWidget* control, const QStringList& texts) {
  QFont font = control->font();
  const int stretch = stretchToFit(font, texts, textRoom(control));
  if (stretchOf(font) == stretch) return;
  font.setStretch(stretch);
  control->setFont(font);
}

// The entries of a list drawn as narrow as the widest needs, for the closed
// box; the dropped list is as wide as the box, so it follows.
void fitEntries(QComboBox* box) {
  QStringList entries;
  for (int i = 0; i < box->count(); ++i) entries << box->itemText(i);
  QFont font = box->font();
  const int stretch = stretchToFit(font, entries, textRoom(box));
  if (stretchOf(font) == stretch) return;
  font.setStretch(stretch);
  box->setFont(font);
}

// Entries added to a list: only they are measured, since narrowing for them
// keeps the others fitting. Filling a list one entry at a time would
// otherwise measure every entry again for each.
void fitNewEntries(QComboBox* box, int first, int last) {
  QStringList added;
  for (int i = first; i <= last; ++i) added << box->itemText(i);
  QFont font = box->font();
  const int room = textRoom(box);
  if (std::all_of(added.begin(), added.end(), [&](const QString& text) { return fits(font, text, room); })) {
    return;
  }
  font.setStretch(std::min(stretchOf(font), stretchToFit(font, added, room)));
  box->setFont(font);
}

int occurrences(const QString& text, QChar c) {
  return static_cast<int>(std::count_if(text.begin(), text.end(), [c](QChar x) { return x == c; }));
}

// Refuses an edit that adds a character the rules do not allow, or that
// makes a full field's text wider than it. Qt only undoes a refused edit
// while the text before it was accepted, so a text the program sets is
// accepted as it stands (setting a text clears the field's undo history,
// which an edit never leaves empty), and each edit is judged against the
// text before it.
class FieldGuard final : public QValidator {
 public:
  FieldGuard(QLineEdit* field, FieldRules rules) : QValidator(field), m_field(field), m_rules(rules) {
    QObject::connect(field, &QLineEdit::textChanged, this, [this](const QString& text) { m_before = text; });
    m_before = field->text();
  }

  State validate(QString& input, int& /*pos*/) const override {
    if (input == m_before || !m_field->isUndoAvailable()) return Acceptable;
    if (m_rules.digitsOnly && addsNonDigit(input)) return Invalid;
    if (m_rules.stopWhenFull && input.size() > m_before.size() && !fitsWhole(m_field, input)) return Invalid;
    return Acceptable;
  }

 private:
  // Whether input holds a character other than a digit more often than the
  // text before the edit did.
  bool addsNonDigit(const QString& input) const {
    for (QChar c : input) {
      if (c >= u'0' && c <= u'9') continue;
      if (occurrences(input, c) > occurrences(m_before, c)) return true;
    }
    return false;
  }

  QLineEdit* m_field;
  FieldRules m_rules;
  QString m_before;
};

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

DialogUnits templateUnits(TemplateFont font, const QFont& drawn) {
  return font == TemplateFont::MsSansSerif8 ? kMsSansSerif8Units : dialogUnitsOf(drawn);
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
  if (auto* box = qobject_cast<QComboBox*>(control)) {
    const int closed = std::min(pixels.height(), control->fontMetrics().height() + kComboFrameHeight);
    place.setHeight(closed);
    box->setMaxVisibleItems(
        visibleListRows(pixels.height(), closed, control->fontMetrics().height() + kListRowPadding));
    // The closed box shows its entry whole, however the entries are filled in.
    QObject::connect(box->model(), &QAbstractItemModel::rowsInserted, box,
                     [box](const QModelIndex&, int first, int last) { fitNewEntries(box, first, last); });
    // Fewer entries may fit a wider font again.
    QObject::connect(box->model(), &QAbstractItemModel::rowsRemoved, box, [box] { fitEntries(box); });
    QObject::connect(box->model(), &QAbstractItemModel::modelReset, box, [box] { fitEntries(box); });
  }
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
    // Measured from full width again: a shorter caption may need no narrowing.
    if (qobject_cast<QPushButton*>(control)) narrowToFit(button, {caption});
  } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
    group->setTitle(caption);
  } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
    edit->setText(caption);
  }
}

QPixmap builtInPicture(const QString& path, const char* format) {
  QImageReader reader(path, format);
  reader.setAutoDetectImageFormat(false);
  return QPixmap::fromImage(reader.read());
}

void setControlPicture(QWidget* control, const QPixmap& picture) {
  auto* label = qobject_cast<QLabel*>(control);
  if (!label) return;
  // QLabel would paint a larger picture over its own frame.
  const QSize room = label->contentsRect().size().boundedTo(picture.size());
  const QRect middle((picture.width() - room.width()) / 2, (picture.height() - room.height()) / 2, room.width(),
                     room.height());
  // A picture that fits is shown as it is: a copy would hold its pixels twice.
  label->setPixmap(room == picture.size() ? picture : picture.copy(middle));
}

void fitWholeTexts(QWidget* control, std::initializer_list<QStringView> widest) {
  QStringList texts;
  for (QStringView text : widest) texts << text.toString();
  narrowToFit(control, texts);
}

void alignLabelsWithFields(std::span<QWidget* const> labels, std::span<QWidget* const> fields) {
  // The horizontal gap between two rectangles side by side; negative when they overlap.
  const auto gapBetween = [](const QRect& a, const QRect& b) {
    return a.left() > b.right() ? a.left() - b.right() : b.left() - a.right();
  };
  for (QWidget* label : labels) {
    const QRect place = label->geometry();
    QWidget* beside = nullptr;
    for (QWidget* field : fields) {
      const QRect other = field->geometry();
      const bool sameLine = other.top() <= place.bottom() && place.top() <= other.bottom();
      if (!sameLine || gapBetween(place, other) < 0) continue;
      if (!beside || gapBetween(place, other) < gapBetween(place, beside->geometry())) beside = field;
    }
    // Only the field the label belongs to, not one a column further.
    if (!beside || gapBetween(place, beside->geometry()) > place.width()) continue;
    const int textHeight = label->fontMetrics().height();
    const int fieldTextTop = beside->y() + (beside->height() - textHeight + 1) / 2;
    label->move(place.x(), fieldTextTop);
  }
}

void guardField(QWidget* control, FieldRules rules) {
  auto* edit = qobject_cast<QLineEdit*>(control);
  if (!edit) return;
  edit->setValidator(new FieldGuard(edit, rules));
}

}  // namespace valdor::ui
