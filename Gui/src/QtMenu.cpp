#include "Gui/QtMenu.hpp"

#include <QAction>
#include <QKeySequence>
#include <QProxyStyle>
#include <QStyleOption>
#include <algorithm>

#include "Gui/Symbols.hpp"
#include "QtText.hpp"

namespace quillo::gui {

namespace {

// NSMenuItem's indentation level, as leading spaces: QMenu has none.
constexpr int spacesPerIndentation = 4;
// A section header's text, smaller than an item's, as a Mac draws it.
constexpr double sectionHeaderScale = 0.85;

/// The application's style, except that a menu's checked item shows a
/// checkmark, as a Mac's menus do, where the style would draw a box.
class MenuLook final : public QProxyStyle {
 public:
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
    const bool check = element == PE_IndicatorCheckBox || element == PE_IndicatorMenuCheckMark;
    if (!check || !qobject_cast<const QMenu*>(widget)) {
      QProxyStyle::drawPrimitive(element, option, painter, widget);
      return;
    }
    if (!(option->state & State_On)) return;
    const QColor colour = option->palette.color(
        option->state & State_Enabled ? QPalette::Active : QPalette::Disabled,
        option->state & State_Selected ? QPalette::HighlightedText : QPalette::Text);
    const int side = std::min(option->rect.width(), option->rect.height());
    QRectF box(0, 0, side, side);
    box.moveCenter(QRectF(option->rect).center());
    drawSymbol(*painter, Symbol::checkmark, box, colour, 1.3);
  }
};

QStyle* menuLook() {
  // One for the process; menus only borrow it.
  static QStyle* const look = new MenuLook;
  return look;
}

void fillItems(QMenu& menu, const std::vector<platform::MenuItem>& items) {
  for (const platform::MenuItem& item : items) {
    switch (item.kind) {
      case platform::MenuItem::Kind::separator:
        menu.addSeparator();
        continue;
      case platform::MenuItem::Kind::sectionHeader: {
        // Where the items' titles start, in smaller bold text, and never
        // chosen — as a Mac's section headers.
        QAction* header = menu.addAction(qt(item.title));
        header->setEnabled(false);
        QFont font = menu.font();
        font.setBold(true);
        if (font.pointSizeF() > 0) {
          font.setPointSizeF(font.pointSizeF() * sectionHeaderScale);
        } else {
          font.setPixelSize(std::max(1, static_cast<int>(font.pixelSize() * sectionHeaderScale)));
        }
        header->setFont(font);
        continue;
      }
      case platform::MenuItem::Kind::item:
        break;
    }
    const QString title =
        QString(item.indentationLevel * spacesPerIndentation, QLatin1Char(' ')) + qt(item.title);
    QAction* action = nullptr;
    if (!item.submenu.empty()) {
      QMenu* submenu = menu.addMenu(title);
      submenu->setStyle(menuLook());
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
  if (menu.style() != menuLook()) menu.setStyle(menuLook());
  fillItems(menu, content.items);
}

}  // namespace quillo::gui
