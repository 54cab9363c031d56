#include "Gui/PanelWidget.hpp"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <cmath>

#include "Buttons.hpp"
#include "CustomEditor.hpp"
#include "HelpOverlay.hpp"
#include "Keycap.hpp"
#include "Labels.hpp"
#include "OnOffSwitch.hpp"
#include "QtText.hpp"
#include "SetRow.hpp"
#include "ShortcutList.hpp"
#include "SymbolView.hpp"
#include "Typography.hpp"

namespace quillo::gui {

namespace {

// The panel is never narrower than this, whatever its content.
constexpr int panelMinimumWidth = 440;
// The middle's scroller lies over the sections' right inset.
constexpr int scrollerWidth = 8, scrollerInset = 3;

/// The height a part asks for at `width`: its wrapped text at that width,
/// and never less than the rest of it asks for.
int heightAt(const QWidget* part, int width) {
  const QLayout* layout = part->layout();
  int height = layout->totalSizeHint().height();
  if (layout->hasHeightForWidth()) height = std::max(height, layout->totalHeightForWidth(width));
  return height;
}

}  // namespace

/// The panel's middle: its content keeps the panel's full width and scrolls
/// when the panel is shorter than it; a thin scroller shows over the right
/// inset then. The place it was scrolled to stays when the content is drawn
/// anew (a key recorded far down keeps its row in view).
class ScrollingMiddle final : public QScrollArea {
 public:
  explicit ScrollingMiddle(QWidget* parent) : QScrollArea(parent) {
    setObjectName(QStringLiteral("panelMiddle"));
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
    scroller_ = new QScrollBar(Qt::Vertical, this);
    scroller_->setObjectName(QStringLiteral("scroller"));
    scroller_->setFixedWidth(scrollerWidth);
    scroller_->setCursor(Qt::ArrowCursor);
    scroller_->hide();
    QScrollBar* inner = verticalScrollBar();
    connect(inner, &QScrollBar::rangeChanged, this, [this](int minimum, int maximum) {
      scroller_->setRange(minimum, maximum);
      scroller_->setPageStep(verticalScrollBar()->pageStep());
      scroller_->setSingleStep(verticalScrollBar()->singleStep());
      scroller_->setVisible(maximum > minimum);
      if (kept_ && maximum > minimum) verticalScrollBar()->setValue(*kept_);
      if (maximum > minimum) kept_.reset();
    });
    connect(inner, &QScrollBar::valueChanged, scroller_, &QScrollBar::setValue);
    connect(scroller_, &QScrollBar::valueChanged, inner, &QScrollBar::setValue);
  }

  /// Puts `content` in, keeping the place scrolled to.
  void setContent(QWidget* content) {
    const int position = verticalScrollBar()->value();
    if (QWidget* old = takeWidget()) {
      old->hide();
      old->deleteLater();
    }
    kept_.reset();
    if (position > 0) kept_ = position;
    // Setting a widget scrolls back to the top; where the range allows it
    // already, the place is taken again at once, else when it grows.
    setWidget(content);
    if (kept_ && verticalScrollBar()->maximum() >= *kept_) {
      verticalScrollBar()->setValue(*kept_);
      kept_.reset();
    }
    // The panel's background shows through.
    content->setAutoFillBackground(false);
    content->show();
  }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QScrollArea::resizeEvent(event);
    scroller_->setGeometry(width() - scrollerWidth - scrollerInset, 0, scrollerWidth, height());
  }

 private:
  QScrollBar* scroller_;
  // Where to scroll back to once the new content has its size.
  std::optional<int> kept_;
};

PanelWidget::PanelWidget(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  middle_ = new ScrollingMiddle(this);
  layout->addWidget(middle_, 1);
  setFocusPolicy(Qt::StrongFocus);
  setAccessibleName(QStringLiteral("Quillo"));
}

PanelWidget::~PanelWidget() = default;

Appearance PanelWidget::appearance() const {
  return appearance_.value_or(Palette::appearanceOf(palette()));
}

void PanelWidget::setAppearance(std::optional<Appearance> appearance) {
  appearance_ = appearance;
  if (content_) rebuild();
  update();
}

void PanelWidget::display(const PanelContent& content) {
  // The same content draws the same: nothing to do.
  if (content_ && *content_ == content) return;
  content_ = content;
  rebuild();
}

void PanelWidget::forward(const PanelRequest& request, unsigned generation) {
  if (generation != generation_) return;
  makeRequest(request);
}

void PanelWidget::changeViewState(const PanelViewState& state, unsigned generation) {
  if (generation != generation_) return;
  updateViewState(state);
}

OnOffSwitch* PanelWidget::switchFor(std::size_t slot, bool on, const QString& name) {
  OnOffSwitch*& kept = switches_.at(slot);
  // A switch seen before slides to its new value; a new one starts there.
  const bool seen = kept != nullptr && isVisible();
  if (!kept) kept = new OnOffSwitch(this);
  kept->setPalette(Palette::of(appearance()));
  kept->setAccessibleName(name);
  kept->setObjectName(QStringLiteral("switch"));
  QObject::disconnect(kept, &QAbstractButton::clicked, nullptr, nullptr);
  kept->setOn(on, seen);
  return kept;
}

void PanelWidget::rebuild() {
  ++generation_;
  // The kept switches leave the old tree before it goes.
  for (OnOffSwitch* kept : switches_) {
    if (kept && kept->parentWidget() != this) {
      kept->hide();
      kept->setParent(this);
    }
  }
  for (QWidget* old : {top_, bottom_, static_cast<QWidget*>(help_)}) {
    if (!old) continue;
    old->hide();
    old->deleteLater();
  }
  help_ = nullptr;
  QWidget* middle = buildParts(*content_);
  auto* column = static_cast<QVBoxLayout*>(layout());
  column->insertWidget(0, top_);
  column->addWidget(bottom_);
  middle_->setContent(middle);
  // A child made after its parent was shown waits to be shown itself.
  top_->show();
  bottom_->show();
  if (content_->help) {
    const unsigned generation = generation_;
    help_ = new HelpOverlay(
        *content_->help, Palette::of(appearance()),
        [this, generation](const PanelRequest& r) { forward(r, generation); }, this);
    help_->setGeometry(rect());
    help_->show();
    help_->raise();
  }
  // Switches not shown in this content (debug logging) stay hidden.
  for (OnOffSwitch* kept : switches_) {
    if (kept && kept->parentWidget() != this) kept->show();
  }
  measure();
  if (isWindow()) resize(*measured_);
  update();
}

void PanelWidget::measure() {
  QWidget* middle = middle_->widget();
  // Sizes are those of polished widgets, also before the panel is first
  // shown; hidden widgets tell no layout that polishing changed them, so
  // every cached measure goes — once, here, for the content just built.
  for (QWidget* part : {top_, middle, bottom_}) {
    part->ensurePolished();
    // A layout keeps each child's size hint from when it first asked;
    // polishing changed them without telling it.
    for (QWidget* child : part->findChildren<QWidget*>())
      child->updateGeometry();
    for (QLayout* measured : part->findChildren<QLayout*>())
      measured->invalidate();
    part->layout()->invalidate();
  }
  int width = panelMinimumWidth;
  for (const QWidget* part : {top_, middle, bottom_})
    width = std::max(width, part->layout()->totalSizeHint().width());
  const int top = heightAt(top_, width), bottom = heightAt(bottom_, width);
  const int middleHeight = heightAt(middle, width);
  // The header and the footer keep their heights; the middle takes what is
  // left, and scrolls over its content of its own full height.
  top_->setFixedHeight(top);
  bottom_->setFixedHeight(bottom);
  middle->setMinimumHeight(middleHeight);
  int height = top + middleHeight + bottom;
  if (help_) height = std::max(height, help_->neededHeight(width));
  measured_ = QSize(width, height);
  updateGeometry();
}

std::optional<platform::Size> PanelWidget::fittingSize() const {
  if (!measured_) return std::nullopt;
  return platform::Size{static_cast<double>(measured_->width()),
                        static_cast<double>(measured_->height())};
}

QSize PanelWidget::sizeHint() const {
  return measured_.value_or(QWidget::sizeHint());
}

int PanelWidget::scrollPosition() const {
  return middle_->verticalScrollBar()->value();
}

int PanelWidget::scrollRange() const {
  return middle_->verticalScrollBar()->maximum();
}

void PanelWidget::scrollTo(int position) {
  middle_->verticalScrollBar()->setValue(position);
}

void PanelWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(Palette::of(appearance()).background);
  p.drawRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
}

void PanelWidget::keyPressEvent(QKeyEvent* event) {
  if (!content_) return QWidget::keyPressEvent(event);
  const int key = event->key();
  if (content_->help && (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape)) {
    forward(content_->help->ok.request, generation_);
    return;
  }
  bool recording = false;
  for (const auto* column : {&content_->leftColumn, &content_->rightColumn}) {
    for (const auto& row : *column)
      recording = recording || row.recording;
  }
  if (recording && key == Qt::Key_Escape) {
    forward(PanelRequests::Record{std::nullopt}, generation_);
    return;
  }
  QWidget::keyPressEvent(event);
}

void PanelWidget::leaveEvent(QEvent* event) {
  // The pointer left the panel: no entry of the chooser is under it.
  if (viewState().hoveredBaseline) {
    PanelViewState state = viewState();
    state.hoveredBaseline.reset();
    changeViewState(state, generation_);
  }
  QWidget::leaveEvent(event);
}

void PanelWidget::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (help_) help_->setGeometry(rect());
}

void PanelWidget::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  // A desktop that changes its theme changes the panel with it; other
  // fonts or another style measure anew.
  if (event->type() == QEvent::PaletteChange && !appearance_ && content_) {
    rebuild();
  } else if ((event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) &&
             content_) {
    measure();
  }
}

}  // namespace quillo::gui
