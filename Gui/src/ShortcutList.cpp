#include "ShortcutList.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "Buttons.hpp"
#include "Keycap.hpp"
#include "Labels.hpp"
#include "PlaceIcons.hpp"
#include "QtText.hpp"
#include "Typography.hpp"

namespace quillo::gui {

namespace {

constexpr int keySpacing = 3, clearSymbolSize = 11;

/// The keycaps of a row, side by side, in `parent`.
void addKeycaps(QHBoxLayout* keys, const PanelContent::ShortcutRow& row, const Palette& palette,
                QWidget* parent) {
  if (row.recording) {
    keys->addWidget(
        new Keycap(QStringLiteral("Press keys\u2026"), KeycapLook::prompt, false, palette, parent));
    return;
  }
  for (const auto& key : row.keys) {
    keys->addWidget(new Keycap(qt(key.text), keycapLook(key, false), key.large, palette, parent));
    if (key.then.empty()) continue;
    // A two-key sequence: G then I.
    keys->addWidget(textLabel(QStringLiteral("then"), systemFont(11), palette.secondary, parent));
    keys->addWidget(new Keycap(qt(key.then), keycapLook(key, false), key.large, palette, parent));
  }
}

/// While editing, the keys are one plain button that starts recording.
class RecordButton final : public QAbstractButton {
 public:
  RecordButton(const PanelContent::ShortcutRow& row, const Palette& palette, QWidget* parent)
      : QAbstractButton(parent) {
    setObjectName(QStringLiteral("keys"));
    setToolTip(qt(row.recordButton->toolTip));
    setAccessibleName(qt(row.recordButton->toolTip));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    auto* keys = new QHBoxLayout(this);
    keys->setContentsMargins(0, 0, 0, 0);
    keys->setSpacing(keySpacing);
    addKeycaps(keys, row, palette, this);
  }
  QSize sizeHint() const override { return layout()->sizeHint(); }

 protected:
  void paintEvent(QPaintEvent*) override {}  // the keycaps are the look
};

QWidget* shortcutRow(const PanelContent::ShortcutRow& row, const Palette& palette,
                     const Forward& forward, QWidget* parent) {
  auto* widget = new QWidget(parent);
  widget->setObjectName(QStringLiteral("shortcutRow"));
  widget->setAccessibleName(qt(row.accessibilityLabel));
  auto* line = new QHBoxLayout(widget);
  line->setContentsMargins(0, 0, 0, 0);
  line->setSpacing(6);
  line->addWidget(textLabel(qt(row.title), systemFont(12.5), palette.primary, widget));
  line->addStretch(1);
  if (row.recordButton) {
    auto* button = new RecordButton(row, palette, widget);
    forwardClicks(button, forward, row.recordButton->request);
    line->addWidget(button);
  } else {
    auto* keys = new QWidget(widget);
    keys->setObjectName(QStringLiteral("keys"));
    auto* caps = new QHBoxLayout(keys);
    caps->setContentsMargins(0, 0, 0, 0);
    caps->setSpacing(keySpacing);
    addKeycaps(caps, row, palette, keys);
    line->addWidget(keys);
  }
  if (row.clearButton) {
    auto* clear =
        new SymbolButton(Symbol::xmarkCircleFill, clearSymbolSize, palette.tertiary, widget);
    clear->setObjectName(QStringLiteral("clear"));
    clear->setToolTip(qt(row.clearButton->toolTip));
    clear->setAccessibleName(qt(row.clearButton->toolTip));
    forwardClicks(clear, forward, row.clearButton->request);
    line->addWidget(clear);
  }
  line->addWidget(new PlaceIcons(row.places, palette, widget));
  return widget;
}

QWidget* column(const char* name, const std::vector<PanelContent::ShortcutRow>& rows,
                const Palette& palette, const Forward& forward, QWidget* parent) {
  auto* widget = new QWidget(parent);
  widget->setObjectName(QString::fromLatin1(name));
  auto* layout = new QVBoxLayout(widget);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(ShortcutList::rowSpacing);
  for (const auto& row : rows) {
    layout->addWidget(shortcutRow(row, palette, forward, widget));
    // Under its row, wrapped to the column's width so that a long notice
    // never widens the panel.
    if (row.notice) {
      QLabel* notice = wrappedLabel(qt(*row.notice), systemFont(11), palette.orange, widget);
      notice->setObjectName(QStringLiteral("notice"));
      layout->addWidget(notice);
    }
  }
  layout->addStretch(1);
  return widget;
}

}  // namespace

ShortcutList::ShortcutList(const PanelContent& content, const Palette& palette,
                           const Forward& forward, QWidget* parent)
    : QWidget(parent) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(columnSpacing);
  layout->addWidget(column("leftColumn", content.leftColumn, palette, forward, this), 1);
  layout->addWidget(column("rightColumn", content.rightColumn, palette, forward, this), 1);
}

}  // namespace quillo::gui
