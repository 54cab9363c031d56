#include "Desktop.hpp"

#include <QAbstractEventDispatcher>
#include <QEvent>
#include <QGuiApplication>
#include <QWindow>

#include "Gui/QtMenu.hpp"
#include "Gui/Symbols.hpp"
#include "Platform/qt/QtAlert.hpp"
#include "QuilloCore/KeyChord.hpp"
#include "QuilloCore/KeyToken.hpp"

namespace quillo::desktop {
namespace {

/// A message box asks; the answer is the chosen button's title.
std::string askWithMessageBox(const platform::Alert& alert) {
  const int answer = platform::runQtAlert(alert);
  const auto index = static_cast<std::size_t>(answer - platform::alertFirstButtonReturn);
  return index < alert.buttons.size() ? alert.buttons[index] : std::string();
}

/// A key as the keymap writes it: "e", "cmd+return", or a note for a key
/// that types nothing Quillo knows.
std::string describeKey(const std::optional<KeyToken>& key, KeyModifiers modifiers) {
  if (!key) return "(no character)";
  return KeyChord(*key, modifiers).keymapString();
}

/// Calls back when the widget it watches (its parent) is hidden.
class HideWatcher final : public QObject {
 public:
  HideWatcher(QObject* watched, std::function<void()> onHide)
      : QObject(watched), onHide_(std::move(onHide)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == parent() && event->type() == QEvent::Hide) onHide_();
    return false;
  }

 private:
  std::function<void()> onHide_;
};

}  // namespace

Desktop::Desktop(DesktopOptions options)
    : panelView_(new gui::PanelWidget),
      panelWindow_(panelView_),
      pickerView_(new gui::PickerWidget),
      pickerWindow_(pickerView_) {
  pickerWindow_.setObjectName("QuilloPicker");
  parts_ = std::make_unique<simulated::SessionDesktop>(simulated::SessionDesktop{
      loop_, driver_, statusItem_, panelWindow_, monitors_, *panelView_,
      options.answerAlert ? options.answerAlert : askWithMessageBox, &pickerWindow_, pickerView_});
  // The Mail window stands for another application: clicks in it are
  // clicks outside Quillo, its keys are Mail's.
  monitors_.setForeignWindows(
      [this](const QWindow* window) { return window && window == mailWindow_.windowHandle(); });
  simulated::SessionOptions sessionOptions;
  sessionOptions.virtualTime = false;
  sessionOptions.useSyslog = true;
  sessionOptions.resourceFolder = options.resourceFolder;
  sessionOptions.arguments = std::move(options.arguments);
  sessionOptions.desktop = parts_.get();
  session_ = std::make_unique<simulated::Session>(std::move(sessionOptions));
  session_->application().onTerminate = [this] { loop_.stop(); };
  wireMailWindow();
  returnKeyboardFromPicker();
}

Desktop::~Desktop() {
  QObject::disconnect(QAbstractEventDispatcher::instance(), nullptr, &mailWindow_, nullptr);
  // The application goes before the interface it draws with.
  session_.reset();
  // The Mail window goes before the picker's: nothing is to be handed to it.
  delete pickerWatcher_;
}

platform::QtStatusItem::Drawing Desktop::statusItemDrawing() {
  return {
      gui::fillQMenu,
      [](QPainter& painter, const std::string& name, const QRectF& box) {
        // One colour: the icon is a template the tray colours itself.
        if (const auto symbol = gui::symbolNamed(name))
          gui::drawSymbol(painter, *symbol, box, Qt::black);
      },
      [](QPainter& painter, const QRectF& box) { gui::drawMenuBarIcon(painter, box, Qt::black); }};
}

void Desktop::start() {
  session_->start();
  observeInterceptor();
  sim::SimulatedMac& mac = session_->mac();
  mac.launchMail();
  mac.permissions.accessibility = true;
  // Whatever woke the loop — a key on its way to Mail, an action Quillo
  // performed, a click — has changed Mail, if anything, by the time the loop
  // is about to wait again: the window shows it then. An idle loop waits
  // and nothing is redrawn.
  QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                   &mailWindow_, [this] { redraw(); });
  redraw();
  mailWindow_.show();
}

int Desktop::run() {
  loop_.run();
  return 0;
}

void Desktop::wireMailWindow() {
  sim::SimulatedMac& mac = session_->mac();
  // Each interaction brings Mail to the front first, as a click into its
  // window does on a Mac.
  const auto frontMail = [&mac]() -> sim::MailApp* {
    sim::MailApp* mail = mac.mail();
    if (mail) mac.activate(mail->pid());
    return mail;
  };
  mailWindow_.onKey = [&mac](const platform::QtKeystroke& stroke) {
    mac.windowServer().pressKey(stroke.keyCode, stroke.flags);
  };
  mailWindow_.onMouseDown = [&mac, frontMail] {
    if (sim::MailApp* mail = frontMail()) mac.windowServer().mouseDown(mail->pid());
  };
  mailWindow_.onPlace = [frontMail](sim::MailApp::Place place) {
    if (sim::MailApp* mail = frontMail()) mail->focus(place);
  };
  mailWindow_.onSelectMessage = [frontMail](int index) {
    if (sim::MailApp* mail = frontMail(); mail && index >= 0) {
      mail->select(static_cast<std::size_t>(index));
      mail->focus(sim::MailApp::Place::messageList);
    }
  };
  mailWindow_.onShowMailbox = [frontMail](const std::string& name) {
    if (sim::MailApp* mail = frontMail()) mail->showMailbox(name);
  };
}

void Desktop::returnKeyboardFromPicker() {
  // On a Mac the picker never activates Quillo: Mail stays the active
  // application, and its window is key again as soon as the picker closes.
  // Here the picker's window took the keyboard from the Mail window, which
  // gets it back — on the next turn, after whatever closed the picker is
  // done: the panel opening in its place keeps it, and so does another
  // application that took it.
  pickerWatcher_ = new HideWatcher(&pickerWindow_, [this] {
    QMetaObject::invokeMethod(
        &mailWindow_,
        [this] {
          if (QGuiApplication::applicationState() == Qt::ApplicationActive &&
              mailWindow_.isVisible() && !panelWindow_.isVisible() && !pickerWindow_.isVisible())
            mailWindow_.activateWindow();
        },
        Qt::QueuedConnection);
  });
  pickerWindow_.installEventFilter(pickerWatcher_);
}

void Desktop::observeInterceptor() {
  KeyInterceptor::Observer observer;
  observer.decided = [this](const std::optional<KeyToken>& key, KeyModifiers modifiers,
                            bool isAutoRepeat, const KeyStep& step) {
    lastDecision_ = describeKey(key, modifiers) + (isAutoRepeat ? " (repeat)" : "") + ": " +
                    step.description(&session_->interceptor().keymap());
    lastOutcome_.clear();
  };
  observer.performed = [this](ActionID action, const ActionOutcome& outcome) {
    lastOutcome_ = std::string(session_->interceptor().keymap().actionName(action)) + ": " +
                   outcome.description();
  };
  session_->interceptor().addObserver(std::move(observer));
}

void Desktop::redraw() {
  mailWindow_.display(MailScreen::of(session_->mac()));
  const std::string status = session_->status().value_or("not started");
  std::string strip = "Quillo: " + status;
  if (!lastDecision_.empty()) strip += "   \u2014   " + lastDecision_;
  if (!lastOutcome_.empty()) strip += "   \u2014   " + lastOutcome_;
  mailWindow_.setStatusStrip(QString::fromStdString(strip));
}

}  // namespace quillo::desktop
