// quillo-panel-screenshots: draws the panel in its main states, and the
// classic status menu, into PNG files; fails when a control of the panel
// did not get the height it asks for — from the real model of Quillo
// running on the simulated Mac in virtual time, each state in a fresh
// temporary home. Run offscreen (QT_QPA_PLATFORM=offscreen); the fonts are
// DejaVu Sans so the pictures come out the same on every machine.
//
//   quillo-panel-screenshots OUTPUT_FOLDER
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFont>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QStyleFactory>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "Console/Session.hpp"
#include "Gui/PanelWidget.hpp"
#include "Gui/QtMenu.hpp"
#include "Platform/KeyCodes.hpp"
#include "Simulator/SimEventMonitors.hpp"
#include "Simulator/SimStatusItem.hpp"
#include "StatusMenuController.hpp"
#include "StatusPanelController.hpp"

namespace {

using namespace quillo;
namespace fs = std::filesystem;

constexpr double pictureScale = 2;  // pixels per point, as on a Retina screen

/// HOME and the XDG folders in a fresh folder, removed afterwards.
class ScratchHome {
 public:
  ScratchHome() {
    std::string pattern = (fs::temp_directory_path() / "quillo-shots-XXXXXX").string();
    root_ = ::mkdtemp(pattern.data());
    ::setenv("HOME", (root_ / "home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (root_ / "state").c_str(), 1);
    fs::create_directories(root_ / "home");
  }
  ~ScratchHome() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  ScratchHome(const ScratchHome&) = delete;
  ScratchHome& operator=(const ScratchHome&) = delete;

 private:
  fs::path root_;
};

/// The panel's window, as far as placing it goes.
class OffscreenPanelWindow final : public platform::PanelWindow {
 public:
  void setFrame(platform::Rect frame) override { frame_ = frame; }
  platform::Rect frame() const override { return frame_; }
  void orderFrontAsKey() override { visible_ = true; }
  void orderOut() override { visible_ = false; }
  bool isVisible() const override { return visible_; }
  std::unique_ptr<platform::NotificationObserver> observeResignKey(std::function<void()>) override {
    return std::make_unique<platform::NotificationObserver>();
  }

 private:
  platform::Rect frame_{};
  bool visible_ = false;
};

/// Quillo on a simulated Mac with the Qt panel as its panel's drawing.
struct Scene {
  explicit Scene(bool accessibility) {
    mac.permissions.accessibility = accessibility;
    if (accessibility) session.user().openMail();
    session.start();
    session.manualLoop()->runUntilIdle();
  }
  void open(bool debug = false) {
    item.click(debug ? platform::EventFlags::alternate : 0);
    session.manualLoop()->runUntilIdle();
  }
  platform::MonitoredEvent key(std::uint16_t code, std::string characters) const {
    platform::MonitoredEvent event;
    event.keyCode = code;
    event.characters = characters;
    event.charactersIgnoringModifiers = std::move(characters);
    event.window = platform::EventWindow::panel;
    return event;
  }

  ScratchHome home;  // before the session: it decides where the files go
  console::Session session{[] {
    console::SessionOptions options;
    options.resourceFolder = fs::path(QUILLO_RESOURCES);
    return options;
  }()};
  sim::SimulatedMac& mac = session.mac();
  sim::SimStatusItem item;
  OffscreenPanelWindow window;
  sim::SimEventMonitors monitors{mac, session.application().pid()};
  gui::PanelWidget widget;
  StatusPanelController panel{session.controller(), item, window, monitors, widget,
                              session.application()};
};

bool save(const QImage& image, const fs::path& file) {
  if (!image.save(QString::fromStdString(file.string()))) {
    std::cerr << "could not write " << file << "\n";
    return false;
  }
  std::cout << file.string() << " " << image.width() << "x" << image.height() << "\n";
  return true;
}

/// The widget on a transparent ground, so the panel's round corners show.
QImage picture(QWidget& widget) {
  widget.ensurePolished();
  QImage image(widget.size() * pictureScale, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(pictureScale);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  widget.render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
  painter.end();
  return image;
}

/// Whether every control got the height it asks for — a picture of a
/// panel measured too small shows clipped text.
bool unsqueezed(QWidget& panel, const char* file) {
  bool ok = true;
  for (auto* control : panel.findChildren<QAbstractButton*>()) {
    if (!control->isVisibleTo(&panel) || control->height() >= control->sizeHint().height())
      continue;
    std::cerr << file << ": \"" << control->accessibleName().toStdString() << "\" is "
              << control->height() << " points high and asks for " << control->sizeHint().height()
              << "\n";
    ok = false;
  }
  return ok;
}

struct Shot {
  const char* file;
  bool accessibility;
  gui::Appearance appearance;
  std::function<void(Scene&)> setUp;
};

const std::vector<Shot>& shots() {
  using A = PanelActions;
  static const std::vector<Shot> table{
      {"panel-gmail.png", true, gui::Appearance::light, [](Scene& s) { s.open(); }},
      {"panel-gmail-dark.png", true, gui::Appearance::dark, [](Scene& s) { s.open(); }},
      {"panel-custom-recording.png", true, gui::Appearance::light,
       [](Scene& s) {
         s.open();
         s.panel.perform(A::SelectSet{ShortcutSet::custom});
         s.panel.perform(A::ClearKey{ActionID::toggleFlag});
         s.panel.perform(A::Record{ActionID::send});
         s.panel.handleLocalEvent(s.key(platform::KeyCode::e, "e"));
       }},
      {"panel-baseline-chooser.png", true, gui::Appearance::light,
       [](Scene& s) {
         s.open();
         s.panel.perform(A::EditShortcuts{});
         s.widget.viewState.choosingBaseline = true;
         s.widget.viewState.hoveredBaseline = CustomKeymap::Baseline::outlookMac;
         s.panel.refresh();
       }},
      {"panel-help.png", true, gui::Appearance::light,
       [](Scene& s) {
         s.open();
         s.panel.perform(A::ToggleHelp{});
       }},
      {"panel-warnings.png", true, gui::Appearance::light,
       [](Scene& s) {
         std::ofstream(s.session.controller().keymapStore().fileURL())
             << R"({"keys": {"q": "quit", "w": "wander", "x": "fly", "y": "swim", "z": "run"}})";
         s.session.manualLoop()->advance(platform::Duration(0.5));
         s.open();
       }},
      {"panel-debug.png", true, gui::Appearance::light, [](Scene& s) { s.open(true); }},
      {"panel-needs-accessibility.png", false, gui::Appearance::light, [](Scene& s) { s.open(); }},
  };
  return table;
}

bool statusMenuShot(const fs::path& folder) {
  Scene scene(true);
  sim::SimStatusItem menuItem;
  StatusMenuController controller(menuItem, scene.session.controller(),
                                  scene.session.application());
  menuItem.click();  // rebuilds the menu as an opening does
  const platform::Menu opened{*menuItem.openMenu(), nullptr};
  QMenu menu;
  gui::fillQMenu(menu, opened);
  menu.ensurePolished();
  menu.resize(menu.sizeHint());
  return save(menu.grab().toImage(), folder / "status-menu.png");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: quillo-panel-screenshots OUTPUT_FOLDER\n";
    return 2;
  }
  QApplication application(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  QApplication::setFont(QFont(QStringLiteral("DejaVu Sans")));
  const fs::path folder = argv[1];
  fs::create_directories(folder);
  bool ok = true;
  for (const Shot& shot : shots()) {
    Scene scene(shot.accessibility);
    scene.widget.setAppearance(shot.appearance);
    shot.setUp(scene);
    // Shown, as the panel is, so that every layout has done its work.
    const auto size = scene.widget.fittingSize();
    scene.widget.resize(static_cast<int>(size->width), static_cast<int>(size->height));
    scene.widget.show();
    QApplication::processEvents();
    ok = save(picture(scene.widget), folder / shot.file) && ok;
    ok = unsqueezed(scene.widget, shot.file) && ok;
  }
  ok = statusMenuShot(folder) && ok;
  return ok ? 0 : 1;
}
