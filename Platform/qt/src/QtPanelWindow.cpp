#include "Platform/qt/QtPanelWindow.hpp"

#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QVBoxLayout>
#include <vector>

#include "Platform/qt/QtGeometry.hpp"
#include "Platform/qt/QtPanelWindowRules.hpp"

namespace quillo::platform {
namespace {

class Observer final : public NotificationObserver {
 public:
  Observer(std::weak_ptr<std::map<std::uint64_t, std::function<void()>>> observers,
           std::uint64_t id)
      : observers_(std::move(observers)), id_(id) {}
  ~Observer() override {
    if (auto observers = observers_.lock()) observers->erase(id_);
  }

 private:
  std::weak_ptr<std::map<std::uint64_t, std::function<void()>>> observers_;
  std::uint64_t id_;
};

}  // namespace

QtPanelWindow::QtPanelWindow(QWidget* content) : QWidget(nullptr, panelWindowFlags) {
  setAttribute(Qt::WA_TranslucentBackground);
  setObjectName("QuilloPanel");
  auto* layout = new QVBoxLayout(this);
  // The content fills the window: the frame the panel is placed with is the
  // content's own size, with nothing added around it. Its size is the
  // frame's alone (no minimum from the content): a content taller than the
  // screen is given less and scrolls.
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSizeConstraint(QLayout::SetNoConstraint);
  if (content) setContent(content);
}

QtPanelWindow::~QtPanelWindow() = default;

void QtPanelWindow::setContent(QWidget* content) {
  if (content_) {
    layout()->removeWidget(content_);
    content_->deleteLater();
  }
  content_ = content;
  if (content_) layout()->addWidget(content_);
}

void QtPanelWindow::setFrame(Rect frame) {
  setGeometry(rectToQt(frame, mainScreenHeight()));
}

Rect QtPanelWindow::frame() const {
  return rectFromQt(geometry(), mainScreenHeight());
}

void QtPanelWindow::orderFrontAsKey() {
  activeSinceShown_ = false;
  show();
  if (panelMayRaise(QGuiApplication::platformName().toStdString())) raise();
  activateWindow();
  key_ = true;
  if (afterShow_) afterShow_();
}

void QtPanelWindow::orderOut() {
  hide();
  if (key_) resignKey();
}

bool QtPanelWindow::isVisible() const {
  return QWidget::isVisible();
}

std::unique_ptr<NotificationObserver> QtPanelWindow::observeResignKey(
    std::function<void()> handler) {
  const std::uint64_t id = nextObserver_++;
  observers_->emplace(id, std::move(handler));
  return std::make_unique<Observer>(observers_, id);
}

void QtPanelWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(palette().color(QPalette::Mid), 1));
  painter.setBrush(palette().color(QPalette::Window));
  painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius,
                          cornerRadius);
}

void QtPanelWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::ActivationChange) return;
  // Only a window that was key can resign it: a deactivation that arrives
  // before this showing made the window active is left over from the one
  // before (closed and opened again quickly) and would close it at once.
  if (isActiveWindow()) {
    activeSinceShown_ = true;
  } else if (key_ && activeSinceShown_) {
    resignKey();
  }
}

void QtPanelWindow::resignKey() {
  key_ = false;
  // Delivered on the next turn of the loop, to the observers still there
  // by then.
  std::vector<std::uint64_t> ids;
  for (const auto& [id, handler] : *observers_)
    ids.push_back(id);
  QMetaObject::invokeMethod(
      this,
      [weak = std::weak_ptr<Observers>(observers_), ids] {
        for (std::uint64_t id : ids) {
          const auto observers = weak.lock();
          if (!observers) return;
          const auto found = observers->find(id);
          if (found == observers->end()) continue;
          auto handler = found->second;
          handler();
        }
      },
      Qt::QueuedConnection);
}

}  // namespace quillo::platform
