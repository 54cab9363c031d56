#include "HelpOverlay.hpp"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "Buttons.hpp"
#include "Card.hpp"
#include "Gui/PanelWidget.hpp"
#include "Labels.hpp"
#include "PlaceIcons.hpp"
#include "QtText.hpp"
#include "SymbolView.hpp"
#include "Typography.hpp"

namespace quillo::gui {

namespace {

constexpr int placeIconSize = 13, legendDotSize = 8, cardPadding = 16, cardRadius = 12;

class HelpCard final : public Card {
 public:
  HelpCard(const Palette& palette, QWidget* parent) : Card(palette, cardRadius, parent) {
    setObjectName(QStringLiteral("helpCard"));
  }

 protected:
  void mousePressEvent(QMouseEvent* event) override { event->accept(); }  // not the layer's
};

QHBoxLayout* iconBeside(QWidget* icon, QWidget* text, int spacing) {
  auto* line = new QHBoxLayout;
  line->setSpacing(spacing);
  line->addWidget(icon, 0, Qt::AlignTop);
  line->addWidget(text, 1);
  return line;
}

}  // namespace

HelpOverlay::HelpOverlay(const PanelContent::Help& help, const Palette& palette,
                         const Forward& forward, QWidget* parent)
    : QWidget(parent),
      card_(new HelpCard(palette, this)),
      forward_(forward),
      dismiss_(help.ok.request) {
  setObjectName(QStringLiteral("helpOverlay"));
  auto* column = new QVBoxLayout(card_);
  column->setContentsMargins(cardPadding, cardPadding, cardPadding, cardPadding);
  column->setSpacing(10);
  column->addWidget(textLabel(qt(help.title), systemFont(15, QFont::DemiBold), palette.primary));
  column->addWidget(wrappedLabel(qt(help.text), systemFont(12), palette.primary));
  for (const auto& place : help.places) {
    auto* text = new QWidget;
    auto* lines = new QVBoxLayout(text);
    lines->setContentsMargins(0, 0, 0, 0);
    lines->setSpacing(2);
    lines->addWidget(textLabel(qt(place.name), systemFont(12, QFont::DemiBold), palette.primary));
    lines->addWidget(wrappedLabel(qt(place.description), systemFont(11), palette.secondary));
    column->addLayout(iconBeside(
        new SymbolView(PlaceIcons::symbolOf(place.place), placeIconSize, palette.primary), text,
        8));
  }
  // The legend: the first line's dot green, the second's grey.
  for (std::size_t i = 0; i < help.legend.size(); ++i) {
    const QColor dot = i == 0 ? palette.green : palette.tertiary;
    auto* line = new QHBoxLayout;
    line->setSpacing(6);
    line->addWidget(new SymbolView(Symbol::circleFill, legendDotSize, dot));
    line->addWidget(wrappedLabel(qt(help.legend[i]), systemFont(11), palette.secondary), 1);
    column->addLayout(line);
  }
  auto* ok = new BorderedButton(qt(help.ok.title), true, palette);
  ok->setObjectName(QStringLiteral("helpOK"));
  forwardClicks(ok, forward, help.ok.request);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  column->addLayout(buttons);
}

int HelpOverlay::neededHeight(int width) const {
  // Measured afresh, polished, as the panel's own content is: the card may
  // not have been shown yet.
  card_->ensurePolished();
  for (QLayout* measured : card_->findChildren<QLayout*>())
    measured->invalidate();
  const int cardWidth = width - 2 * cardInset;
  return card_->layout()->totalHeightForWidth(cardWidth) + 2 * cardInset;
}

void HelpOverlay::resizeEvent(QResizeEvent*) {
  const int cardWidth = width() - 2 * cardInset;
  const int cardHeight =
      std::min(card_->layout()->totalHeightForWidth(cardWidth), height() - 2 * cardInset);
  card_->setGeometry(cardInset, (height() - cardHeight) / 2, cardWidth, cardHeight);
}

void HelpOverlay::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  QColor layer(Qt::black);
  layer.setAlphaF(layerOpacity);
  p.setPen(Qt::NoPen);
  p.setBrush(layer);
  // Over the panel's rounded shape, not its square corners.
  p.drawRoundedRect(QRectF(rect()), PanelWidget::cornerRadius, PanelWidget::cornerRadius);
}

void HelpOverlay::mousePressEvent(QMouseEvent* event) {
  event->accept();
  forward_(dismiss_);
}

}  // namespace quillo::gui
