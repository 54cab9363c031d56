#include "SelfTestProbes.hpp"

#include <QProcess>
#include <QSystemTrayIcon>
#include <chrono>

namespace quillo::desktop {

bool waitFor(Desktop& desktop, const std::function<bool()>& done, double seconds) {
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                            std::chrono::duration<double>(seconds));
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    desktop.driver().wait(platform::Duration(0.02));
  }
  return true;
}

std::string describe(const QRect& rect) {
  return std::to_string(rect.x()) + "," + std::to_string(rect.y()) + " " +
         std::to_string(rect.width()) + "\u00d7" + std::to_string(rect.height());
}

bool clickAt(const QPoint& point, bool alt) {
  QStringList arguments{"mousemove", "--sync", QString::number(point.x()),
                        QString::number(point.y())};
  if (alt)
    arguments << "keydown"
              << "alt";
  arguments << "click"
            << "1";
  if (alt)
    arguments << "keyup"
              << "alt";
  return QProcess::execute("xdotool", arguments) == 0;
}

std::optional<QRect> trayIcon(Desktop& desktop, Checks& checks, bool askedFirst) {
  QSystemTrayIcon& tray = desktop.statusItem().trayIcon();
  if (askedFirst) {
    waitFor(
        desktop, [&] { return !desktop.session().alertLines().empty(); }, 10);
    waitFor(
        desktop, [] { return false; }, 0.5);
  }
  if (!checks.check(waitFor(
                        desktop, [] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 20),
                    "a system tray is available"))
    return std::nullopt;
  // Until the tray host embeds it, the icon is an unplaced window at the
  // origin; the test's tray sits at the top right.
  if (!checks.check(
          waitFor(
              desktop, [&] { return !tray.geometry().isEmpty() && tray.geometry().x() > 0; }, 20),
          "the icon is placed in the tray"))
    return std::nullopt;
  checks.note("icon at " + describe(tray.geometry()));
  return tray.geometry();
}

QAbstractButton* panelButton(QWidget& panel, const QString& name) {
  for (auto* button : panel.findChildren<QAbstractButton*>()) {
    if ((button->accessibleName() == name || button->objectName() == name) &&
        button->isVisibleTo(&panel))
      return button;
  }
  return nullptr;
}

QRect placeIn(QWidget& panel, const QWidget& child) {
  return QRect(child.mapTo(&panel, QPoint(0, 0)), child.size());
}
bool inView(QWidget& panel, const QWidget& child) {
  QRect shown = panel.rect();
  // A child of the scrolling middle shows only inside its viewport.
  for (const QWidget* up = child.parentWidget(); up && up != &panel; up = up->parentWidget()) {
    if (up->objectName() == QStringLiteral("qt_scrollarea_viewport"))
      shown = shown.intersected(placeIn(panel, *up));
  }
  return shown.contains(placeIn(panel, child));
}

bool type(Desktop& desktop, const char* key) {
  const bool typed = QProcess::execute("xdotool", {"key", QString::fromLatin1(key)}) == 0;
  // A person's pace, so the key is up before the next goes down.
  desktop.driver().wait(platform::Duration(0.15));
  return typed;
}

}  // namespace quillo::desktop
