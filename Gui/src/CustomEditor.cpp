#include "CustomEditor.hpp"

#include <QApplication>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <cmath>

#include "Buttons.hpp"
#include "Card.hpp"
#include "Gui/Symbols.hpp"
#include "Labels.hpp"
#include "QtText.hpp"
#include "Typography.hpp"

namespace quillo::gui {

namespace {

constexpr int chevronSize = 8, checkmarkSize = 9;

/// The chooser's button: the baseline's title and a chevron.
class BaselineButton final : public QAbstractButton {
 public:
  BaselineButton(const PanelContent::Editor& editor, const Palette& palette, QWidget* parent)
      : QAbstractButton(parent), palette_(palette) {
    setObjectName(QStringLiteral("baseline"));
    setText(qt(editor.baselineTitle));
    setAccessibleName(qt(editor.baselineAccessibilityLabel));
    setFont(systemFont(12));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
  }
  QSize sizeHint() const override {
    const QFontMetricsF metrics(font());
    return {static_cast<int>(std::ceil(metrics.horizontalAdvance(text()))) + 16 + chevronSize + 6,
            static_cast<int>(std::ceil(metrics.height())) + 6};
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(palette_.separator, 1));
    p.setBrush(isDown() ? palette_.separator : palette_.buttonFill);
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
    p.setPen(palette_.primary);
    p.drawText(rect().adjusted(8, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text());
    const QRectF chevron(width() - 8 - chevronSize, (height() - chevronSize) / 2.0, chevronSize,
                         chevronSize);
    drawSymbol(p, Symbol::chevronDown, chevron, palette_.secondary);
  }

 private:
  Palette palette_;
};

/// One baseline to choose: a checkmark on the current one; white on the
/// accent colour while the pointer is over it (as the content says).
class BaselineEntry final : public QAbstractButton {
 public:
  BaselineEntry(const PanelContent::BaselineChoice& choice, const Palette& palette,
                const Chooser& chooser, QWidget* parent)
      : QAbstractButton(parent), choice_(choice), palette_(palette), chooser_(chooser) {
    setObjectName(QStringLiteral("baselineChoice"));
    setText(qt(choice.title));
    setAccessibleName(qt(choice.title));
    setCheckable(true);
    setChecked(choice.checked);
    setFont(systemFont(12));
    setFocusPolicy(Qt::TabFocus);
  }
  CustomKeymap::Baseline baseline() const { return choice_.baseline; }
  QSize sizeHint() const override {
    const QFontMetricsF metrics(font());
    return {static_cast<int>(std::ceil(metrics.horizontalAdvance(text()))) + 40,
            static_cast<int>(std::ceil(metrics.height())) + 6};
  }

 protected:
  void nextCheckState() override {}
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor text = choice_.highlighted ? palette_.onAccent : palette_.primary;
    if (choice_.highlighted) {
      p.setPen(Qt::NoPen);
      p.setBrush(palette_.accent);
      p.drawRoundedRect(QRectF(rect()), 4, 4);
    }
    if (choice_.checked) {
      drawSymbol(p, Symbol::checkmark,
                 QRectF(8, (height() - checkmarkSize) / 2.0, checkmarkSize, checkmarkSize), text,
                 1.3);
    }
    p.setPen(text);
    p.drawText(rect().adjusted(24, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, this->text());
  }

 private:
  PanelContent::BaselineChoice choice_;
  Palette palette_;
  Chooser chooser_;
};

/// The open chooser's entries on a card of their own.
///
/// The entry under the pointer is told by where the pointer is whenever it
/// moves, anywhere in the application, not by enter and leave events: each
/// hover draws the panel anew, and Qt sends the new entries enter events
/// while they are shown, before they are laid out (an entry believed under
/// the pointer then is not the one a person sees under it), and no leave
/// event when the pointer goes before it moved over them. The moves are
/// watched only while the chooser is open.
class ChoiceList final : public Card {
 public:
  ChoiceList(const Palette& palette, const Chooser& chooser,
             std::optional<CustomKeymap::Baseline> highlighted, QWidget* parent)
      : Card(palette, 6, parent), chooser_(chooser), highlighted_(highlighted) {
    setObjectName(QStringLiteral("baselineChoices"));
    qApp->installEventFilter(this);
  }
  ~ChoiceList() override { qApp->removeEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::MouseMove && isVisible()) {
      const auto* move = static_cast<QMouseEvent*>(event);
      const QPoint at = mapFromGlobal(move->globalPosition()).toPoint();
      const auto* entry = dynamic_cast<const BaselineEntry*>(childAt(at));
      const std::optional<CustomKeymap::Baseline> under =
          entry ? std::optional(entry->baseline()) : std::nullopt;
      if (under != highlighted_) chooser_.hover(under);
    }
    return Card::eventFilter(watched, event);
  }

 private:
  Chooser chooser_;
  std::optional<CustomKeymap::Baseline> highlighted_;
};

}  // namespace

CustomEditor::CustomEditor(const PanelContent::Editor& editor, const Palette& palette,
                           const Forward& forward, const Chooser& chooser, QWidget* parent)
    : QWidget(parent) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(2, 2, 2, 2);
  column->setSpacing(6);

  auto* startFrom = new QHBoxLayout;
  startFrom->setSpacing(8);
  startFrom->addWidget(textLabel(qt(editor.startFromLabel), systemFont(12), palette.primary, this));
  auto* baseline = new BaselineButton(editor, palette, this);
  QObject::connect(baseline, &QAbstractButton::clicked, baseline, [chooser] { chooser.toggle(); });
  startFrom->addWidget(baseline);
  startFrom->addStretch(1);
  column->addLayout(startFrom);

  if (!editor.choices.empty()) {
    std::optional<CustomKeymap::Baseline> highlighted;
    for (const auto& choice : editor.choices) {
      if (choice.highlighted) highlighted = choice.baseline;
    }
    auto* list = new ChoiceList(palette, chooser, highlighted, this);
    auto* entries = new QVBoxLayout(list);
    entries->setContentsMargins(4, 4, 4, 4);
    entries->setSpacing(0);
    for (const auto& choice : editor.choices) {
      auto* entry = new BaselineEntry(choice, palette, chooser, list);
      const CustomKeymap::Baseline chosen = choice.baseline;
      QObject::connect(entry, &QAbstractButton::clicked, entry,
                       [chooser, chosen] { chooser.choose(chosen); });
      entries->addWidget(entry);
    }
    auto* indent = new QHBoxLayout;
    indent->addWidget(list);
    indent->addStretch(1);
    column->addLayout(indent);
  }

  QLabel* message =
      wrappedLabel(qt(editor.message), systemFont(11),
                   editor.messageIsWarning ? palette.orange : palette.secondary, this);
  message->setObjectName(QStringLiteral("editorMessage"));
  column->addWidget(message);
  if (editor.resetChanges) {
    auto* reset = new LinkButton(qt(editor.resetChanges->title), 11, palette, this);
    forwardClicks(reset, forward, editor.resetChanges->request);
    column->addWidget(reset);
  }
}

}  // namespace quillo::gui
