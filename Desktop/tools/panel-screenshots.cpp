// quillo-panel-screenshots: draws the panel in its main states, the
// classic status menu and the mailbox picker into PNG files; fails when a control of the panel
// did not get the height it asks for — from the real model of Quillo
// running on the simulated Mac in virtual time, each state in a fresh
// temporary home. Also the menu-bar icon: a picture of it on light and dark
// bars, at 1× and 2× and magnified, and (when a second folder is given) the
// Mac bundle's MenuBarIcon.png and MenuBarIcon@2x.png, drawn by the same
// code as the tray's icon. Run offscreen (QT_QPA_PLATFORM=offscreen); the
// fonts are DejaVu Sans so the pictures come out the same on every machine.
//
//   quillo-panel-screenshots OUTPUT_FOLDER [MENU_BAR_ICON_FOLDER]
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFont>
#include <QImage>
#include <QLabel>
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

#include "Gui/PanelWidget.hpp"
#include "Gui/PickerWidget.hpp"
#include "Gui/QtMenu.hpp"
#include "Gui/Symbols.hpp"
#include "MailboxPicker.hpp"
#include "Platform/KeyCodes.hpp"
#include "Session/Session.hpp"
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
  simulated::Session session{[] {
    simulated::SessionOptions options;
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
  /// The screen the panel is shown on, when it matters: a short one makes
  /// the panel as tall as fits there, its middle scrolled this far down.
  std::optional<platform::Rect> visibleFrame = std::nullopt;
  int scrolledTo = 0;
};

const std::vector<Shot>& shots() {
  using A = PanelRequests;
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
      {"panel-custom-sequences.png", true, gui::Appearance::light,
       [](Scene& s) {
         s.open();
         s.panel.perform(A::SelectSet{ShortcutSet::custom});
         s.session.controller().editCustom([](CustomKeymap& custom) {
           custom.addSequence(*KeySequence::fromKeymapString("g x"), ActionID::archive);
           custom.addSequence(*KeySequence::fromKeymapString("g n"), ActionID::nextMessage);
         });
         s.panel.refresh();
       }},
      {"panel-baseline-chooser.png", true, gui::Appearance::light,
       [](Scene& s) {
         s.open();
         s.panel.perform(A::EditShortcuts{});
         s.widget.updateViewState({true, CustomKeymap::Baseline::outlookMac});
         s.panel.refresh();
       }},
      {"panel-help.png", true, gui::Appearance::light,
       [](Scene& s) {
         s.open();
         s.panel.perform(A::ToggleHelp{});
       }},
      {"panel-warnings.png", true, gui::Appearance::light,
       [](Scene& s) {
         std::ofstream(s.session.controller().keymapStore().filePath())
             << R"({"keys": {"q": "quit", "w": "wander", "x": "fly", "y": "swim", "z": "run"}})";
         s.session.manualLoop()->advance(platform::Duration(0.5));
         s.open();
       }},
      {"panel-debug.png", true, gui::Appearance::light, [](Scene& s) { s.open(true); }},
      {"panel-needs-accessibility.png", false, gui::Appearance::light, [](Scene& s) { s.open(); }},
      // The tallest panel (debug section, editor and chooser open) on a
      // 1280 x 800 screen: as tall as fits, its middle scrolled a little.
      {"panel-tall-scrolling.png", true, gui::Appearance::light,
       [](Scene& s) {
         s.open(true);
         s.panel.perform(A::EditShortcuts{});
         s.widget.updateViewState({true, std::nullopt});
         s.panel.refresh();
       },
       platform::Rect{0, 0, 1280, 776}, 180},
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
  return save(picture(menu), folder / "status-menu.png");
}

/// The menu-bar icon `pixels` square (its 18-point glyph at 1× or 2×), in
/// one colour, as the tray and the Mac bundle get it.
QImage menuBarGlyph(int pixels, const QColor& colour, bool warning) {
  QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  const QRectF box(0, 0, pixels, pixels);
  if (warning) {
    gui::drawSymbol(painter, gui::Symbol::warningTriangle, box, colour);
  } else {
    gui::drawMenuBarIcon(painter, box, colour);
  }
  return image;
}

/// The icon as a person judges it: on a light and a dark menu bar at 1×
/// and 2×, with its warning form, and magnified with its pixels showing.
bool iconShot(const fs::path& folder) {
  constexpr int magnified = 8, gap = 24, bar = 44;
  QImage sheet(2 * (4 * 36 + 5 * gap) + gap, 2 * bar + 2 * gap + 18 * magnified + gap,
               QImage::Format_ARGB32_Premultiplied);
  sheet.fill(QColor(0xFF, 0xFF, 0xFF));
  QPainter painter(&sheet);
  const struct {
    QColor bar, glyph;
  } bars[] = {{QColor(0xEC, 0xEC, 0xEC), Qt::black}, {QColor(0x2A, 0x2A, 0x2C), Qt::white}};
  int y = gap;
  for (const auto& look : bars) {
    painter.fillRect(QRect(0, y, sheet.width(), bar), look.bar);
    int x = gap;
    for (const int pixels : {18, 36}) {
      for (const bool warning : {false, true}) {
        painter.drawImage(QPoint(x, y + (bar - pixels) / 2),
                          menuBarGlyph(pixels, look.glyph, warning));
        x += pixels + gap;
      }
      x += gap;
    }
    y += bar + gap / 2;
  }
  y += gap / 2;
  int x = gap;
  for (const int pixels : {18, 36}) {
    for (const bool warning : {false, true}) {
      const QImage glyph = menuBarGlyph(pixels, Qt::black, warning);
      const int side = 18 * magnified;
      painter.fillRect(QRect(x, y, side, side), QColor(0xEC, 0xEC, 0xEC));
      painter.drawImage(QRect(x, y, side, side),
                        glyph.scaled(side, side, Qt::IgnoreAspectRatio, Qt::FastTransformation));
      x += side + gap;
    }
  }
  painter.end();
  return save(sheet, folder / "menu-bar-icon.png");
}

/// The Mac bundle's template images, 18 and 36 pixels square.
bool bundleIcons(const fs::path& folder) {
  fs::create_directories(folder);
  return save(menuBarGlyph(18, Qt::black, false), folder / "MenuBarIcon.png") &&
         save(menuBarGlyph(36, Qt::black, false), folder / "MenuBarIcon@2x.png");
}

/// The mailbox picker as it opens over a few of Mail's mailboxes, one of
/// them chosen recently, and as it answers a query that matches nothing —
/// its content from the picker's own rules.
bool pickerShots(const fs::path& folder) {
  const auto mailbox = [](std::vector<std::string> path) { return Mailbox{std::move(path)}; };
  const std::vector<Mailbox> mailboxes{
      mailbox({"Inbox"}),
      mailbox({"Receipts"}),
      mailbox({"Travel"}),
      mailbox({"Work", "Inbox"}),
      mailbox({"Work", "Clients", "Acme"}),
      mailbox({"Work", "Clients", "Globex"}),
      mailbox({"Work", "Projects", "Quillo"}),
      mailbox({"Family", "School"}),
      mailbox({"Newsletters"}),
      mailbox({"Old Receipts"}),
      mailbox({"Archive"}),
  };
  bool ok = true;
  const struct {
    const char* file;
    gui::Appearance appearance;
    std::string query;
  } pictures[] = {
      {"picker.png", gui::Appearance::light, ""},
      {"picker-dark.png", gui::Appearance::dark, ""},
      {"picker-no-match.png", gui::Appearance::light, "xyz"},
  };
  for (const auto& shot : pictures) {
    MailboxPicker picker(MailboxPicker::Purpose::move, {mailbox({"Work", "Clients", "Acme"})});
    picker.setMailboxes(mailboxes);
    picker.setQuery(shot.query);
    gui::PickerWidget widget;
    widget.setAppearance(shot.appearance);
    widget.display(picker.content());
    widget.show();
    QApplication::processEvents();
    ok = save(picture(widget), folder / shot.file) && ok;
    // Its size was measured from the fonts once: each text must have the
    // height it asks for there.
    for (auto* label : widget.findChildren<QLabel*>()) {
      if (!label->isVisibleTo(&widget) || label->wordWrap() ||
          label->height() >= label->sizeHint().height())
        continue;
      std::cerr << shot.file << ": \"" << label->text().toStdString() << "\" is " << label->height()
                << " points high and asks for " << label->sizeHint().height() << "\n";
      ok = false;
    }
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::cerr << "usage: quillo-panel-screenshots OUTPUT_FOLDER [MENU_BAR_ICON_FOLDER]\n";
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
    if (shot.visibleFrame) {
      scene.item.visibleFrame = *shot.visibleFrame;
      scene.item.buttonFrame =
          platform::Rect{shot.visibleFrame->maxX() - 40, shot.visibleFrame->maxY() + 1, 22, 22};
    }
    scene.widget.setAppearance(shot.appearance);
    shot.setUp(scene);
    // Shown, as the panel is, so that every layout has done its work — as
    // large as the panel's window was made.
    const platform::Rect frame = scene.window.frame();
    scene.widget.resize(static_cast<int>(frame.width), static_cast<int>(frame.height));
    scene.widget.show();
    QApplication::processEvents();
    if (shot.scrolledTo > 0) {
      scene.widget.scrollTo(shot.scrolledTo);
      QApplication::processEvents();
    }
    ok = save(picture(scene.widget), folder / shot.file) && ok;
    ok = unsqueezed(scene.widget, shot.file) && ok;
  }
  ok = statusMenuShot(folder) && ok;
  ok = pickerShots(folder) && ok;
  ok = iconShot(folder) && ok;
  if (argc == 3) ok = bundleIcons(argv[2]) && ok;
  return ok ? 0 : 1;
}
