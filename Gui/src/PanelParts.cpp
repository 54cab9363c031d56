// The panel's parts built from its content: the header, the sections of
// the middle (switches, sets, warnings, the shortcut list or the editor,
// the debug section) and the footer. The widget itself (PanelWidget.cpp)
// swaps them in, measures and scrolls them.
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

}  // namespace

QWidget* PanelWidget::buildParts(const PanelContent& c) {
  const Palette palette = Palette::of(appearance());
  const unsigned generation = generation_;
  const Forward fwd = [this, generation](const PanelRequest& r) { forward(r, generation); };

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
    forwardClicks(row, fwd, PanelRequests::SelectSet{set.set});
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
      forward(PanelRequests::SetBaseline{baseline}, generation);
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

}  // namespace quillo::gui
