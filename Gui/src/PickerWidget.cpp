#include "Gui/PickerWidget.hpp"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>
#include <utility>

#include "Gui/Symbols.hpp"
#include "Labels.hpp"
#include "QtText.hpp"
#include "Typography.hpp"

namespace quillo::gui {

namespace {

constexpr int pickerWidth = 420;
constexpr int inset = 14, top = 12, bottom = 10, gap = 8;
// The rows' highlight reaches a little past the field's edges, so that the
// text in a row starts where the field's text does.
constexpr int rowOutset = 6, rowPadding = 6, rowRadius = 6;
constexpr int clockSize = 12, clockGap = 6, placeGap = 8;
constexpr int fieldRadius = 7, fieldPadding = 8, minimumFieldHeight = 28, minimumRowHeight = 24;
// A name never takes so much room that less of its place shows than this.
constexpr int placeRoom = 90;

QFont titleFont() {
  return systemFont(13, QFont::Bold);
}
QFont textFont() {
  return systemFont(13);
}
QFont placeFont() {
  return systemFont(11.5);
}
QFont noteFont() {
  return systemFont(12);
}
QFont footerFont() {
  return systemFont(11);
}

/// The height a label asks for to show a line in `font`: the box of the
/// line as laid out, which may pass the font's own height by a rounded
/// pixel.
int lineHeight(const QFont& font) {
  return QFontMetrics(font)
      .boundingRect(QRect(0, 0, 1000, 1000), Qt::AlignLeft | Qt::AlignTop,
                    QStringLiteral("Ag\u2026"))
      .height();
}

void setTextColour(QLabel* label, const QColor& colour) {
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colour);
  label->setPalette(palette);
}

}  // namespace

/// The search field's look: a rounded box with what was typed and a caret
/// after it, or the placeholder, dimmed, with the caret before it. The
/// caret does not blink (a blinking caret would wake the picker twice a
/// second for as long as it is open). When the query is wider than the
/// box, its end shows, where the caret is.
class PickerField final : public QWidget {
 public:
  explicit PickerField(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("pickerField"));
    setFocusPolicy(Qt::NoFocus);
  }

  void set(const QString& query, const QString& placeholder, const Palette& palette) {
    query_ = query;
    placeholder_ = placeholder;
    palette_ = palette;
    setAccessibleName(placeholder);
    setAccessibleDescription(query);
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(palette_.separator, 1));
    p.setBrush(palette_.card);
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), fieldRadius, fieldRadius);
    const QFont font = textFont();
    const QFontMetricsF metrics(font);
    const QRectF inner = QRectF(rect()).adjusted(fieldPadding, 0, -fieldPadding, 0);
    const double baseline = (height() + metrics.ascent() - metrics.descent()) / 2;
    p.setFont(font);
    p.setClipRect(inner.adjusted(-1, 0, 1, 0));
    double caret = inner.left();
    if (query_.isEmpty()) {
      p.setPen(palette_.tertiary);
      p.drawText(QPointF(inner.left() + 4, baseline),
                 metrics.elidedText(placeholder_, Qt::ElideRight, inner.width() - 4));
    } else {
      const double width = metrics.horizontalAdvance(query_);
      // The end of a long query shows, with the caret after it.
      const double left = std::min(inner.left(), inner.right() - 2 - width);
      p.setPen(palette_.primary);
      p.drawText(QPointF(left, baseline), query_);
      caret = left + width + 0.5;
    }
    p.setPen(QPen(palette_.accent, 1.5));
    const double half = metrics.height() / 2;
    p.drawLine(QPointF(caret, height() / 2.0 - half), QPointF(caret, height() / 2.0 + half));
  }

 private:
  QString query_;
  QString placeholder_;
  Palette palette_ = Palette::of(Appearance::light);
};

/// One mailbox of the list: a clock when it was chosen recently (room for
/// it is kept on every row, so the names line up), the name, and its place
/// in smaller, secondary text; the selected one on the accent colour. A
/// button, so that it is clicked as buttons are (pressed and released over
/// it) and screen readers offer it as one, named with its label.
class PickerRow final : public QAbstractButton {
 public:
  explicit PickerRow(QWidget* parent) : QAbstractButton(parent) {
    setObjectName(QStringLiteral("pickerRow"));
    setFocusPolicy(Qt::NoFocus);
  }

  void set(const PickerContent::Row& row, const Palette& palette) {
    row_ = row;
    palette_ = palette;
    setAccessibleName(qt(row.accessibilityLabel));
    update();
  }
  const PickerContent::Row& row() const { return row_; }

  /// What a click that just ended asks for: the row's mailbox, unless the
  /// row shows another one than when the button went down.
  std::optional<PickerRequest> takeClick() {
    const auto pressed = std::exchange(pressed_, std::nullopt);
    if (pressed && *pressed != row_.choose) return std::nullopt;
    return row_.choose;
  }

  QSize sizeHint() const override { return size(); }

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    pressed_ = row_.choose;
    QAbstractButton::mousePressEvent(event);
  }

  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const bool selected = row_.selected;
    if (selected) {
      p.setPen(Qt::NoPen);
      p.setBrush(palette_.accent);
      p.drawRoundedRect(QRectF(rect()), rowRadius, rowRadius);
    }
    QColor secondary = palette_.secondary;
    if (selected) {
      secondary = palette_.onAccent;
      secondary.setAlphaF(0.8F);
    }
    double x = rowPadding;
    if (row_.recent) {
      drawSymbol(p, Symbol::clock, QRectF(x, (height() - clockSize) / 2.0, clockSize, clockSize),
                 secondary);
    }
    x += clockSize + clockGap;
    const double right = width() - rowPadding;
    const QFont nameFont = textFont(), smallFont = placeFont();
    const QFontMetricsF nameMetrics(nameFont), placeMetrics(smallFont);
    const double baseline = (height() + nameMetrics.ascent() - nameMetrics.descent()) / 2;
    const QString name = qt(row_.name), place = qt(row_.place);
    const double placeWidth = place.isEmpty() ? 0 : placeMetrics.horizontalAdvance(place);
    // The name first; its place gets what is left, and at least a little.
    const double nameRoom =
        right - x - (place.isEmpty() ? 0 : placeGap + std::min(placeWidth, double(placeRoom)));
    const QString shownName = nameMetrics.elidedText(name, Qt::ElideRight, nameRoom);
    p.setFont(nameFont);
    p.setPen(selected ? palette_.onAccent : palette_.primary);
    p.drawText(QPointF(x, baseline), shownName);
    if (place.isEmpty()) return;
    x += nameMetrics.horizontalAdvance(shownName) + placeGap;
    p.setFont(smallFont);
    p.setPen(secondary);
    p.drawText(QPointF(x, baseline), placeMetrics.elidedText(place, Qt::ElideMiddle, right - x));
  }

 private:
  PickerContent::Row row_;
  Palette palette_ = Palette::of(Appearance::light);
  std::optional<PickerRequest> pressed_;
};

PickerWidget::PickerWidget(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::NoFocus);
  title_ = textLabel({}, titleFont(), Qt::black, this);
  title_->setObjectName(QStringLiteral("pickerTitle"));
  field_ = new PickerField(this);
  for (PickerRow*& row : rows_) {
    row = new PickerRow(this);
    row->hide();
    QObject::connect(row, &QAbstractButton::clicked, this, [this, row] {
      if (const auto request = row->takeClick()) makeRequest(*request);
    });
  }
  note_ = wrappedLabel({}, noteFont(), Qt::black, this);
  note_->setObjectName(QStringLiteral("pickerNote"));
  note_->setAlignment(Qt::AlignCenter);
  note_->hide();
  footer_ = textLabel({}, footerFont(), Qt::black, this);
  footer_->setObjectName(QStringLiteral("pickerFooter"));
  footer_->setAlignment(Qt::AlignCenter);
  measure();
  resize(measured_);
}

PickerWidget::~PickerWidget() = default;

Appearance PickerWidget::appearance() const {
  return appearance_.value_or(Palette::appearanceOf(palette()));
}

void PickerWidget::setAppearance(std::optional<Appearance> appearance) {
  appearance_ = appearance;
  fill();
}

void PickerWidget::display(const PickerContent& content) {
  // The same content draws the same: nothing to do.
  if (content_ && *content_ == content) return;
  content_ = content;
  fill();
}

std::optional<platform::Size> PickerWidget::fittingSize() const {
  if (!content_) return std::nullopt;
  return platform::Size{static_cast<double>(measured_.width()),
                        static_cast<double>(measured_.height())};
}

QSize PickerWidget::sizeHint() const {
  return measured_;
}

void PickerWidget::measure() {
  title_->setFont(titleFont());
  note_->setFont(noteFont());
  footer_->setFont(footerFont());
  const int width = pickerWidth, inner = width - 2 * inset;
  int y = top;
  const int titleHeight = lineHeight(titleFont());
  title_->setGeometry(inset, y, inner, titleHeight);
  y += titleHeight + gap;
  const int fieldHeight = std::max(minimumFieldHeight, QFontMetrics(textFont()).height() + 10);
  field_->setGeometry(inset, y, inner, fieldHeight);
  y += fieldHeight + gap;
  rowHeight_ = std::max({minimumRowHeight, QFontMetrics(textFont()).height() + 8,
                         QFontMetrics(placeFont()).height() + 8});
  const int rowCount = static_cast<int>(rows_.size());
  list_ = QRect(inset - rowOutset, y, inner + 2 * rowOutset, rowCount * rowHeight_);
  for (int i = 0; i < rowCount; ++i)
    rows_[static_cast<std::size_t>(i)]->setGeometry(list_.x(), list_.y() + i * rowHeight_,
                                                    list_.width(), rowHeight_);
  note_->setGeometry(list_.adjusted(rowOutset, 0, -rowOutset, 0));
  y = list_.bottom() + 1 + gap / 2;
  dividerY_ = y;
  y += 1 + gap;
  const int footerHeight = lineHeight(footerFont());
  footer_->setGeometry(inset, y, inner, footerHeight);
  y += footerHeight + bottom;
  measured_ = QSize(width, y);
  updateGeometry();
}

void PickerWidget::fill() {
  const Palette palette = Palette::of(appearance());
  setTextColour(title_, palette.primary);
  setTextColour(note_, palette.secondary);
  setTextColour(footer_, palette.secondary);
  update();
  if (!content_) return;
  const PickerContent& c = *content_;
  setAccessibleName(qt(c.title));
  title_->setText(qt(c.title));
  field_->set(qt(c.query), qt(c.placeholder), palette);
  const std::size_t shown = std::min(c.rows.size(), rows_.size());
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (i < shown) rows_[i]->set(c.rows[i], palette);
    rows_[i]->setVisible(i < shown);
  }
  note_->setVisible(c.note.has_value());
  if (c.note) {
    note_->setText(qt(*c.note));
    // In the list's middle; under rows (never listed with a note by the
    // picker's rules), at its foot.
    note_->setAlignment(shown == 0 ? Qt::AlignCenter : Qt::AlignHCenter | Qt::AlignBottom);
  }
  footer_->setText(qt(c.footer));
}

void PickerWidget::paintEvent(QPaintEvent*) {
  const Palette palette = Palette::of(appearance());
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(palette.background);
  p.drawRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.fillRect(QRect(0, dividerY_, width(), 1), palette.separator);
}

void PickerWidget::wheelEvent(QWheelEvent* event) {
  // Only the list scrolls, and only when it lists something.
  if (!content_ || content_->rows.empty() || !list_.contains(event->position().toPoint())) {
    event->ignore();
    return;
  }
  event->accept();
  const int turned = event->angleDelta().y();
  // A turn the other way starts afresh.
  if ((turned > 0 && wheelRemainder_ < 0) || (turned < 0 && wheelRemainder_ > 0))
    wheelRemainder_ = 0;
  wheelRemainder_ += turned;
  constexpr int step = QWheelEvent::DefaultDeltasPerStep;
  const int rows =
      std::clamp(QApplication::wheelScrollLines(), 1, static_cast<int>(MailboxPicker::visibleRows));
  while (std::abs(wheelRemainder_) >= step) {
    // Turned away from the user (positive), the wheel shows the rows above.
    const bool up = wheelRemainder_ > 0;
    wheelRemainder_ -= up ? step : -step;
    makeRequest(PickerRequests::Scroll{up ? -rows : rows});
  }
}

void PickerWidget::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  // A desktop that changes its theme changes the picker with it; other
  // fonts or another style measure anew.
  if (event->type() == QEvent::PaletteChange && !appearance_) {
    fill();
  } else if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
    measure();
  }
}

}  // namespace quillo::gui
