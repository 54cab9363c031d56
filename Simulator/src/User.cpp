#include "Simulator/User.hpp"

#include <stdexcept>

#include "Platform/Text.hpp"
#include "Simulator/USKeyboard.hpp"

namespace quillo::sim {

namespace Flags = platform::EventFlags;

User::User(SimulatedMac& mac, std::function<void()> settle,
           std::function<void(platform::Duration)> wait)
    : mac_(mac), settle_(std::move(settle)), wait_(std::move(wait)) {}

User::Keystroke User::keystroke(std::string_view spec) {
  // Split at "+", keeping a trailing "+" as the key itself ("cmd++").
  std::vector<std::string> pieces;
  std::string piece;
  for (std::size_t i = 0; i < spec.size(); ++i) {
    if (spec[i] == '+' && !piece.empty()) {
      pieces.push_back(piece);
      piece.clear();
    } else {
      piece += spec[i];
    }
  }
  pieces.push_back(piece);
  const std::string key = pieces.back();
  std::uint64_t flags = 0;
  for (std::size_t i = 0; i + 1 < pieces.size(); ++i) {
    const std::string& word = pieces[i];
    if (word == "cmd" || word == "command") {
      flags |= Flags::command;
    } else if (word == "ctrl" || word == "control") {
      flags |= Flags::control;
    } else if (word == "opt" || word == "option" || word == "alt") {
      flags |= Flags::alternate;
    } else if (word == "shift") {
      flags |= Flags::shift;
    } else {
      throw UnknownKey("\"" + word + "\" is not a modifier (cmd, ctrl, option, shift)");
    }
  }
  const std::u32string scalars = platform::text::scalars(key);
  if (scalars.size() == 1) {
    if (const auto stroke = USKeyboard::keystrokeFor(scalars.front())) {
      return {stroke->keyCode, flags | (stroke->shift ? Flags::shift : 0)};
    }
  }
  if (const auto code = USKeyboard::keyCodeNamed(key)) return {*code, flags};
  throw UnknownKey("\"" + key + "\" is not a key on the keyboard");
}

void User::press(std::string_view spec) {
  hold(spec, 0);
}

void User::strike(const std::vector<Keystroke>& strokes) {
  // One key after another at a typist's pace, each held for a moment.
  platform::Duration released{0};
  for (std::size_t i = 0; i < strokes.size(); ++i) {
    released = mac_.windowServer().pressKey(strokes[i].keyCode, strokes[i].flags, 0,
                                            static_cast<double>(i) * keystrokeInterval);
  }
  wait_(released);
  settle();
}

void User::press(const std::vector<std::string>& specs) {
  std::vector<Keystroke> strokes;
  for (const auto& spec : specs)
    strokes.push_back(keystroke(spec));  // every key checked before any goes down
  strike(strokes);
}

void User::hold(std::string_view spec, int repeats) {
  const Keystroke stroke = keystroke(spec);
  wait_(mac_.windowServer().pressKey(stroke.keyCode, stroke.flags, repeats));
  settle();
}

void User::type(std::string_view text) {
  std::vector<Keystroke> strokes;
  for (char32_t c : platform::text::scalars(std::string(text))) {
    const auto stroke = USKeyboard::keystrokeFor(c);
    if (!stroke) throw UnknownKey("this keyboard cannot type U+" + std::to_string(c));
    strokes.push_back({stroke->keyCode, stroke->shift ? Flags::shift : 0});
  }
  strike(strokes);
}

MailApp& User::mail() {
  MailApp* mail = mac_.mail();
  if (!mail) throw std::logic_error("Mail is not running");
  return *mail;
}

bool User::click(MailApp::Place place) {
  const bool done = mail().focus(place);
  mac_.activate(mail().pid());
  settle();
  return done;
}

MailApp& User::openMail() {
  MailApp* mail = mac_.mail();
  if (mail) {
    mac_.activate(mail->pid());
  } else {
    mail = &mac_.launchMail();  // comes to the front as it starts
  }
  settle();
  return *mail;
}

MailApp& User::relaunchMail(MailVariant variant) {
  if (MailApp* mail = mac_.mail()) mac_.quit(mail->pid());
  settle();
  MailApp& mail = mac_.launchMail(std::move(variant));
  settle();
  return mail;
}

void User::quitMail() {
  if (MailApp* mail = mac_.mail()) mac_.quit(mail->pid());
  settle();
}

void User::switchTo(const std::string& bundleID, const std::string& name) {
  if (bundleID == SimulatedMac::mailBundleID) {
    openMail();
    return;
  }
  if (SimApp* app = mac_.app(bundleID)) {
    mac_.activate(app->pid());
  } else {
    mac_.launchApp(bundleID, name.empty() ? bundleID : name);  // comes to the front as it starts
  }
  settle();
}

void User::showPanel(const std::string& bundleID, const std::string& name) {
  SimApp* app = mac_.app(bundleID);
  if (!app) app = &mac_.launchInBackground<TextApp>(bundleID, name);
  mac_.workspace().showPanel(app->pid());
  settle();
}

void User::closePanel() {
  mac_.workspace().closePanel();
  settle();
}

void User::setAccessibility(bool granted) {
  mac_.permissions.accessibility = granted;
  settle();
}

void User::setInputMonitoring(bool granted) {
  mac_.permissions.inputMonitoring = granted;
  settle();
}

}  // namespace quillo::sim
