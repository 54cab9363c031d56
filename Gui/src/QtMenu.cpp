#include "Gui/QtMenu.hpp"

#include <QAction>
#include <QKeySequence>

#include "Gui/Symbols.hpp"
#include "QtText.hpp"

namespace quillo::gui {

namespace {

// NSMenuItem's indentation level, as leading spaces: QMenu has none.
constexpr int spacesPerIndentation = 4;

void fillItems(QMenu& menu, const std::vector<platform::MenuItem>& items) {
  for (const platform::MenuItem& item : items) {
    switch (item.kind) {
      case platform::MenuItem::Kind::separator:
        menu.addSeparator();
        continue;
      case platform::MenuItem::Kind::sectionHeader:
        menu.addSection(qt(item.title));
        continue;
      case platform::MenuItem::Kind::item:
        break;
    }
    const QString title =
        QString(item.indentationLevel * spacesPerIndentation, QLatin1Char(' ')) + qt(item.title);
    QAction* action = nullptr;
    if (!item.submenu.empty()) {
      QMenu* submenu = menu.addMenu(title);
      fillItems(*submenu, item.submenu);
      action = submenu->menuAction();
    } else {
      action = menu.addAction(title);
      action->setEnabled(static_cast<bool>(item.action));
      if (item.action) {
        QObject::connect(action, &QAction::triggered, action, [run = item.action] { run(); });
      }
    }
    if (item.checked) {
      action->setCheckable(true);
      action->setChecked(true);
    }
    if (const auto symbol = symbolNamed(item.symbol)) {
      action->setIcon(symbolIcon(*symbol, menu.palette().color(QPalette::WindowText)));
      action->setIconText(qt(item.symbolDescription));
    }
    // The Mac's key equivalent is a Command chord; Qt writes Command as Ctrl.
    if (!item.keyEquivalent.empty()) {
      action->setShortcut(QKeySequence(QStringLiteral("Ctrl+") + qt(item.keyEquivalent).toUpper()));
    }
  }
}

}  // namespace

void fillQMenu(QMenu& menu, const platform::Menu& content) {
  // Submenus of an earlier filling go too, once control returns to the event
  // loop: one of them may be the menu being shown.
  for (QMenu* old : menu.findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly))
    old->deleteLater();
  menu.clear();
  fillItems(menu, content.items);
}

}  // namespace quillo::gui
