#include "Platform/qt/QtEventMonitors.hpp"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>
#include <vector>

#include "Platform/qt/QtKeys.hpp"

namespace quillo::platform {
namespace {

class Token final : public EventMonitorToken {
 public:
  Token(std::weak_ptr<QtEventMonitors::Monitors> monitors, std::uint64_t id)
      : monitors_(std::move(monitors)), id_(id) {}
  ~Token() override {
    if (auto monitors = monitors_.lock()) {
      monitors->global.erase(id_);
      monitors->local.erase(id_);
    }
  }

 private:
  std::weak_ptr<QtEventMonitors::Monitors> monitors_;
  std::uint64_t id_;
};

/// What the key types ignoring every modifier but Shift, as
/// charactersIgnoringModifiers has it: a letter in the case Shift gives it,
/// else what Qt says the key typed unless that is a control character.
std::string charactersIgnoringModifiers(const QKeyEvent& event) {
  const int key = event.key();
  if (key >= Qt::Key_A && key <= Qt::Key_Z) {
    const char letter = static_cast<char>(key - Qt::Key_A + 'a');
    return std::string(1,
                       event.modifiers().testFlag(Qt::ShiftModifier) ? letter - 'a' + 'A' : letter);
  }
  const QString text = event.text();
  if (text.isEmpty() || !text.at(0).isPrint()) return {};
  return text.toStdString();
}

}  // namespace

QtEventMonitors::QtEventMonitors(QWidget* panel) : panel_(panel) {
  qApp->installEventFilter(this);
  connect(qApp, &QGuiApplication::applicationStateChanged, this,
          [this](Qt::ApplicationState state) {
            if (state == Qt::ApplicationActive) return;
            MonitoredEvent event;
            event.type = MonitoredEvent::Type::leftMouseDown;
            event.modifierFlags = currentModifierFlags();
            event.window = EventWindow::other;
            toGlobal(event);
          });
}

QtEventMonitors::~QtEventMonitors() {
  if (qApp) qApp->removeEventFilter(this);
}

std::unique_ptr<EventMonitorToken> QtEventMonitors::addGlobalMouseDownMonitor(
    std::function<void(const MonitoredEvent&)> handler) {
  const std::uint64_t id = monitors_->next++;
  monitors_->global.emplace(id, std::make_shared<Global>(std::move(handler)));
  return std::make_unique<Token>(monitors_, id);
}

std::unique_ptr<EventMonitorToken> QtEventMonitors::addLocalMonitor(
    std::function<bool(const MonitoredEvent&)> handler) {
  const std::uint64_t id = monitors_->next++;
  monitors_->local.emplace(id, std::make_shared<Local>(std::move(handler)));
  return std::make_unique<Token>(monitors_, id);
}

std::uint64_t QtEventMonitors::currentModifierFlags() const {
  return eventFlagsFromQt(QGuiApplication::queryKeyboardModifiers());
}

EventWindow QtEventMonitors::windowOf(const QWindow* window) const {
  if (!window) return EventWindow::none;
  if (panel_ && panel_->windowHandle() == window) return EventWindow::panel;
  // The tray's icon is a window of the application's own on an XEmbed tray.
  for (const QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->windowHandle() == window && widget->inherits("QSystemTrayIconSys"))
      return EventWindow::statusItemButton;
  }
  return EventWindow::other;
}

bool QtEventMonitors::eventFilter(QObject* watched, QEvent* event) {
  // Events reach the window first and its widgets after: looking at windows
  // only sees each event once, before any widget does.
  if (!watched->isWindowType()) return false;
  MonitoredEvent monitored;
  if (event->type() == QEvent::MouseButtonPress) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton && mouse->button() != Qt::RightButton) return false;
    monitored.type = mouse->button() == Qt::LeftButton ? MonitoredEvent::Type::leftMouseDown
                                                       : MonitoredEvent::Type::rightMouseDown;
    monitored.modifierFlags = eventFlagsFromQt(mouse->modifiers());
  } else if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const auto stroke = keystrokeFromQt(key->key(), key->modifiers());
    if (!stroke) return false;
    monitored.type = MonitoredEvent::Type::keyDown;
    monitored.keyCode = stroke->keyCode;
    monitored.modifierFlags = stroke->flags;
    monitored.characters = key->text().toStdString();
    monitored.charactersIgnoringModifiers = charactersIgnoringModifiers(*key);
  } else {
    return false;
  }
  const auto* window = static_cast<QWindow*>(watched);
  if (isForeign_ && isForeign_(window)) {
    monitored.window = EventWindow::other;
    if (monitored.type != MonitoredEvent::Type::keyDown) toGlobal(monitored);
    return false;
  }
  monitored.window = windowOf(window);
  return !throughLocal(monitored);
}

void QtEventMonitors::setForeignWindows(std::function<bool(const QWindow*)> isForeign) {
  isForeign_ = std::move(isForeign);
}

void QtEventMonitors::toGlobal(const MonitoredEvent& event) {
  // Handlers may add or remove monitors while running.
  std::vector<std::pair<std::uint64_t, std::shared_ptr<Global>>> handlers(monitors_->global.begin(),
                                                                          monitors_->global.end());
  for (const auto& [id, handler] : handlers) {
    if (monitors_->global.contains(id)) (*handler)(event);
  }
}

bool QtEventMonitors::throughLocal(const MonitoredEvent& event) {
  // Newest first; handlers may add or remove monitors while running.
  std::vector<std::pair<std::uint64_t, std::shared_ptr<Local>>> handlers(monitors_->local.rbegin(),
                                                                         monitors_->local.rend());
  for (const auto& [id, handler] : handlers) {
    if (!monitors_->local.contains(id)) continue;
    if (!(*handler)(event)) return false;
  }
  return true;
}

}  // namespace quillo::platform
