// A panel widget showing the content of a model the test sets up, with the
// requests it makes collected; helpers find its controls as a person (or a
// screen reader) would — by accessible name — and read its pixels.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QImage>
#include <QTest>
#include <string>
#include <vector>

#include "Gui/PanelWidget.hpp"
#include "PanelContent.hpp"
#include "Platform/linux/LinuxServices.hpp"
#include "QuilloCore/KeymapPreset.hpp"

namespace quillo::gui::testing {

/// The visible widgets of type W under `root` whose accessible name (or,
/// with `byObjectName`, object name) is `name`.
template <class W = QWidget>
std::vector<W*> visibleNamed(QWidget& root, const QString& name, bool byObjectName = false) {
  std::vector<W*> found;
  for (W* widget : root.findChildren<W*>()) {
    const QString own = byObjectName ? widget->objectName() : widget->accessibleName();
    if (own == name && widget->isVisibleTo(&root)) found.push_back(widget);
  }
  return found;
}

/// The one visible widget so named; fails the test when there is not one.
template <class W = QWidget>
W* theOne(QWidget& root, const QString& name, bool byObjectName = false) {
  const auto found = visibleNamed<W>(root, name, byObjectName);
  EXPECT_EQ(found.size(), 1u) << "widgets named \"" << name.toStdString() << "\"";
  return found.empty() ? nullptr : found.front();
}

/// Colours alike to the eye: each channel within `tolerance`.
inline bool near(QColor a, QColor b, int tolerance = 24) {
  return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
         std::abs(a.blue() - b.blue()) <= tolerance;
}

/// How many pixels of `rect` are near `colour`.
inline int pixelsNear(const QImage& image, QRect rect, QColor colour, int tolerance = 24) {
  int count = 0;
  rect = rect.intersected(image.rect());
  for (int y = rect.top(); y <= rect.bottom(); ++y) {
    for (int x = rect.left(); x <= rect.right(); ++x)
      count += near(image.pixelColor(x, y), colour, tolerance) ? 1 : 0;
  }
  return count;
}

class PanelTest : public ::testing::Test {
 protected:
  PanelTest() {
    const auto all = allCases<ShortcutSet>();
    model.sets.assign(all.begin(), all.end());
    model.shortcuts = PanelModel::shortcutRows(&gmail);
    widget.setAppearance(Appearance::light);
    widget.setOnRequest([this](const PanelRequest& r) { requests.push_back(r); });
    // As the panel controller does: the view's own state drawn anew.
    widget.setNeedsDisplay([this] { show(); });
  }

  /// Shows the model's content in a panel of the size it asks for.
  void show() {
    widget.display(panelContent(model, widget.viewState()));
    const auto size = widget.fittingSize();
    ASSERT_TRUE(size);
    widget.resize(static_cast<int>(size->width), static_cast<int>(size->height));
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
  }

  void click(QWidget* target) {
    ASSERT_NE(target, nullptr);
    QTest::mouseClick(target, Qt::LeftButton, {}, target->rect().center());
  }

  /// The panel's pixels, one to the point.
  QImage picture() { return widget.grab().toImage().convertToFormat(QImage::Format_RGB32); }
  /// Where `child` lies in the panel's picture.
  QRect placeOf(const QWidget* child) const {
    return QRect(child->mapTo(&widget, QPoint(0, 0)), child->size());
  }

  platform::InstalledBundle bundle{QUILLO_RESOURCES};
  PanelModel model{bundle};
  Keymap gmail = keymap(KeymapPreset::gmail);
  PanelWidget widget;
  std::vector<PanelRequest> requests;
  Palette light = Palette::of(Appearance::light);
};

}  // namespace quillo::gui::testing
