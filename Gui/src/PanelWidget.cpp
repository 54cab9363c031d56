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

constexpr int sectionInset = 14, sectionTop = 12, sectionBottom = 13;
constexpr int headerVertical = 15, appIconSize = 44, titleWidth = 126, warningIconSize = 13;
constexpr int helpSymbolSize = 14, debugButtonsPerLine = 3;
// The panel is never narrower than this, whatever its content.
constexpr int panelMinimumWidth = 440;
// The middle's scroller lies over the sections' right inset.
constexpr int scrollerWidth = 8, scrollerInset = 3;

QVBoxLayout* section(QWidget* widget, int spacing) {
  auto* layout = new QVBoxLayout(widget);
  layout->setContentsMargins(sectionInset, sectionTop, sectionInset, sectionBottom);
  layout->setSpacing(spacing);
  return layout;
}

QLabel* caption(const std::string& text, const Palette& palette) {
  return textLabel(qt(text), systemFont(11, QFont::DemiBold), palette.secondary);
}

QHBoxLayout* warningRow(const PanelContent::WarningRow& row, const Palette& palette,
                        const Forward& forward) {
  auto* line = new QHBoxLayout;
  line->setSpacing(6);
  line->addWidget(new SymbolView(Symbol::warningTriangleFill, warningIconSize, palette.orange));
  line->addWidget(textLabel(qt(row.title), systemFont(12), palette.primary));
  auto* button = new BorderedButton(qt(row.button.title), false, palette);
  forwardClicks(button, forward, row.button.request);
  line->addWidget(button);
  line->addStretch(1);
  return line;
}

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

void PanelWidget::forward(const PanelActions::Request& request, unsigned generation) {
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
        [this, generation](const PanelActions::Request& r) { forward(r, generation); }, this);
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

QWidget* PanelWidget::buildParts(const PanelContent& c) {
  const Palette palette = Palette::of(appearance());
  const unsigned generation = generation_;
  const Forward fwd = [this, generation](const PanelActions::Request& r) {
    forward(r, generation);
  };

  const auto part = [](QWidget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    auto* column = new QVBoxLayout(widget);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    return column;
  };
  top_ = new QWidget(this);
  auto* middle = new QWidget;
  bottom_ = new QWidget(this);
  QVBoxLayout* column = part(top_, "panelTop");
  QWidget* body = top_;
  const auto divider = [&] { column->addWidget(new Divider(palette.separator, body)); };
  const auto switchRow = [&](const PanelContent::SwitchRow& row, std::size_t slot) {
    auto* line = new QHBoxLayout;
    line->setSpacing(10);
    QLabel* title = textLabel(qt(row.title), systemFont(13), palette.primary);
    title->setFixedWidth(titleWidth);
    line->addWidget(title);
    OnOffSwitch* flip = switchFor(slot, row.on, qt(row.title));
    forwardClicks(flip, fwd, row.flip);
    line->addWidget(flip);
    if (row.link) {
      auto* link = new LinkButton(qt(row.link->title), 11.5, palette);
      forwardClicks(link, fwd, row.link->request);
      line->addWidget(link);
    } else if (row.note) {
      QLabel* note = textLabel(qt(*row.note), systemFont(11.5), palette.secondary);
      note->setObjectName(QStringLiteral("note"));
      line->addWidget(note);
    }
    line->addStretch(1);
    return line;
  };

  // The header.
  auto* header = new QWidget(body);
  auto* headerLine = new QHBoxLayout(header);
  headerLine->setContentsMargins(sectionInset, headerVertical, sectionInset, headerVertical);
  headerLine->setSpacing(12);
  headerLine->addWidget(new SymbolView(appIconSize, header));
  headerLine->addWidget(textLabel(qt(c.title), systemFont(17, QFont::Bold), palette.primary));
  headerLine->addStretch(1);
  column->addWidget(header);
  divider();

  // The status section: switches, what is missing, the sets.
  auto* status = new QWidget(body);
  QVBoxLayout* statusColumn = section(status, 5);
  for (std::size_t i = 0; i < c.switches.size() && i < 3; ++i)
    statusColumn->addLayout(switchRow(c.switches[i], i));
  if (c.accessibilityHelp) {
    auto* line = new QHBoxLayout;
    line->setSpacing(6);
    line->addWidget(new SymbolView(Symbol::warningTriangleFill, warningIconSize, palette.orange), 0,
                    Qt::AlignTop);
    QLabel* help = wrappedLabel(qt(*c.accessibilityHelp), systemFont(11), palette.primary);
    help->setObjectName(QStringLiteral("accessibilityHelp"));
    line->addWidget(help, 1);
    statusColumn->addLayout(line);
  }
  if (c.loginApproval) statusColumn->addLayout(warningRow(*c.loginApproval, palette, fwd));
  statusColumn->addSpacing(2);
  statusColumn->addWidget(new Divider(palette.separator, status));
  statusColumn->addSpacing(2);
  statusColumn->addWidget(caption(c.setCaption, palette));
  auto* sets = new QVBoxLayout;
  sets->setSpacing(2);
  for (const auto& set : c.sets) {
    auto* row = new SetRow(set, palette);
    forwardClicks(row, fwd, PanelActions::SelectSet{set.set});
    sets->addWidget(row, 0, Qt::AlignLeft);
  }
  statusColumn->addLayout(sets);
  column->addWidget(status);
  divider();

  // The warnings section.
  if (c.hasWarnings()) {
    auto* warnings = new QWidget(body);
    warnings->setObjectName(QStringLiteral("warnings"));
    QVBoxLayout* warningColumn = section(warnings, 8);
    if (c.inputMonitoring) warningColumn->addLayout(warningRow(*c.inputMonitoring, palette, fwd));
    if (c.keymapWarning) warningColumn->addLayout(warningRow(*c.keymapWarning, palette, fwd));
    for (const auto& problem : c.keymapProblemLines) {
      QLabel* line = wrappedLabel(qt(problem), systemFont(11), palette.secondary);
      line->setObjectName(QStringLiteral("keymapProblem"));
      warningColumn->addWidget(line);
    }
    column->addWidget(warnings);
    divider();
  }

  // The middle: the shortcuts section and what follows it.
  column = part(middle, "panelMiddleContent");
  body = middle;
  auto* shortcuts = new QWidget(body);
  QVBoxLayout* shortcutColumn = section(shortcuts, 10);
  auto* heading = new QHBoxLayout;
  heading->setSpacing(6);
  heading->addWidget(caption(c.shortcutsCaption, palette));
  for (std::size_t i = 0; i < c.legend.size(); ++i) {
    const auto& key = c.legend[i];
    if (i == 0) heading->addSpacing(6);
    auto* cap = new Keycap(qt(key.text), keycapLook(key, c.legendQuilloDimmed && !key.outlined),
                           key.large, palette);
    cap->setObjectName(QStringLiteral("legend"));
    heading->addWidget(cap);
  }
  heading->addStretch(1);
  auto* edit = new LinkButton(qt(c.editButton.title), 12, palette);
  forwardClicks(edit, fwd, c.editButton.request);
  heading->addWidget(edit);
  auto* helpButton =
      new SymbolButton(Symbol::questionmarkCircle, helpSymbolSize, palette.secondary);
  helpButton->setToolTip(qt(c.helpButton.toolTip));
  helpButton->setAccessibleName(qt(c.helpButton.accessibilityLabel));
  forwardClicks(helpButton, fwd, c.helpButton.request);
  heading->addWidget(helpButton);
  shortcutColumn->addLayout(heading);
  if (c.editor) {
    Chooser chooser;
    chooser.toggle = [this, generation] {
      PanelViewState state = viewState();
      state.choosingBaseline = !state.choosingBaseline;
      state.hoveredBaseline.reset();
      changeViewState(state, generation);
    };
    chooser.choose = [this, generation](CustomKeymap::Baseline baseline) {
      if (generation != generation_) return;
      // The chooser closes with the choice; the request's redraw shows it.
      setViewStateQuietly(PanelViewState{});
      forward(PanelActions::SetBaseline{baseline}, generation);
    };
    chooser.hover = [this, generation](std::optional<CustomKeymap::Baseline> baseline) {
      PanelViewState state = viewState();
      state.hoveredBaseline = baseline;
      changeViewState(state, generation);
    };
    shortcutColumn->addWidget(new CustomEditor(*c.editor, palette, fwd, chooser));
  }
  shortcutColumn->addWidget(new ShortcutList(c, palette, fwd));
  column->addWidget(shortcuts);

  // The debug section.
  if (c.debug) {
    divider();
    auto* debug = new QWidget(body);
    debug->setObjectName(QStringLiteral("debug"));
    QVBoxLayout* debugColumn = section(debug, 6);
    debugColumn->addWidget(caption(c.debug->caption, palette));
    debugColumn->addLayout(switchRow(c.debug->logging, 3));
    debugColumn->addWidget(wrappedLabel(qt(c.debug->note), systemFont(11), palette.secondary));
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(6);
    for (std::size_t i = 0; i < c.debug->commands.size(); ++i) {
      const auto& command = c.debug->commands[i];
      auto* button = new BorderedButton(qt(command.title), false, palette);
      forwardClicks(button, fwd, command.request);
      grid->addWidget(button, static_cast<int>(i / debugButtonsPerLine),
                      static_cast<int>(i % debugButtonsPerLine));
    }
    grid->setColumnStretch(debugButtonsPerLine, 1);
    debugColumn->addLayout(grid);
    column->addWidget(debug);
  } else if (switches_[3] && switches_[3]->parentWidget() == this) {
    switches_[3]->hide();
  }

  // The footer, under a divider.
  column = part(bottom_, "panelBottom");
  body = bottom_;
  divider();
  auto* footer = new QWidget(body);
  auto* footerLine = new QHBoxLayout(footer);
  footerLine->setContentsMargins(sectionInset, 10, sectionInset, 12);
  auto* support = new LinkButton(qt(c.support.title), 12, palette);
  forwardClicks(support, fwd, c.support.request);
  footerLine->addWidget(support);
  footerLine->addStretch(1);
  footerLine->addWidget(textLabel(qt(c.versionText), systemFont(11), palette.secondary));
  footerLine->addStretch(1);
  auto* quit = new BorderedButton(qt(c.quit.title), false, palette);
  forwardClicks(quit, fwd, c.quit.request);
  footerLine->addWidget(quit);
  column->addWidget(footer);
  return middle;
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
    forward(PanelActions::Record{std::nullopt}, generation_);
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
