// QtEventMonitors: NSEvent's monitors as far as Qt can see.
//
// Local monitors are an application-wide event filter on the application's
// own windows: every mouse-down and key-down reaching one of them goes to the
// monitors first (newest first), and one answering false swallows it. Each
// event is seen once, at its window, before the window's widgets get it.
// Qt cannot watch other applications' clicks, so a global monitor hears the
// nearest thing it can: the application losing the keyboard to another one
// (a click elsewhere does exactly that to an open panel), reported as a left
// mouse-down in another window. A program that also shows windows standing
// for other applications (the desktop's simulated Mail) names them: their
// mouse-downs go to the global monitors, as clicks in another application,
// and their keys to no monitor. Modifier flags are read from Qt and converted
// once (QtKeys). Needs a QApplication; GUI thread only.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>

#include "Platform/EventMonitors.hpp"

class QWidget;
class QWindow;

namespace quillo::platform {

class QtEventMonitors final : public QObject, public EventMonitors {
  Q_OBJECT

 public:
  /// `panel`: the status panel's window, whose events are the panel's; it
  /// may be destroyed first.
  explicit QtEventMonitors(QWidget* panel);
  ~QtEventMonitors() override;

  std::unique_ptr<EventMonitorToken> addGlobalMouseDownMonitor(
      std::function<void(const MonitoredEvent&)> handler) override;
  std::unique_ptr<EventMonitorToken> addLocalMonitor(
      std::function<bool(const MonitoredEvent&)> handler) override;
  std::uint64_t currentModifierFlags() const override;

  /// Which of the application's windows a Qt window is.
  EventWindow windowOf(const QWindow* window) const;
  /// Names the windows that stand for other applications.
  void setForeignWindows(std::function<bool(const QWindow*)> isForeign);

  using Global = std::function<void(const MonitoredEvent&)>;
  using Local = std::function<bool(const MonitoredEvent&)>;
  struct Monitors {
    std::map<std::uint64_t, std::shared_ptr<Global>> global;
    std::map<std::uint64_t, std::shared_ptr<Local>> local;
    std::uint64_t next = 1;
  };

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  /// Whether the event goes on to its window.
  bool throughLocal(const MonitoredEvent& event);
  void toGlobal(const MonitoredEvent& event);

  QPointer<QWidget> panel_;
  std::function<bool(const QWindow*)> isForeign_;
  std::shared_ptr<Monitors> monitors_ = std::make_shared<Monitors>();
};

}  // namespace quillo::platform
