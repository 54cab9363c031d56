#include "Session/ScenarioRunner.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string_view>

#include "MailMenu.hpp"
#include "Platform/FileSystem.hpp"
#include "Platform/KeyCodes.hpp"
#include "QuilloCore/KeyChord.hpp"
#include "QuilloCore/MenuResolver.hpp"
#include "Session/MailState.hpp"
#include "Simulator/SimulatedApplication.hpp"
#include "Simulator/USKeyboard.hpp"

namespace quillo::simulated {

using sim::MailApp;
using sim::SimulatedMac;

namespace {

struct StepFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::string joined(const std::vector<std::string>& words, std::size_t from, std::size_t to,
                   const char* separator = " ") {
  std::string text;
  for (std::size_t i = from; i < std::min(to, words.size()); ++i) {
    if (i > from) text += separator;
    text += words[i];
  }
  return text;
}

double number(const std::string& word) {
  try {
    std::size_t used = 0;
    const double value = std::stod(word, &used);
    if (used == word.size() && value >= 0) return value;
  } catch (const std::exception&) {
  }
  throw StepFailure("\"" + word + "\" is not a number");
}

/// A key as the user pressed it: "ctrl+e", "shift+I", "shift+!". This is the
/// core's chord text but with the key exactly as typed, where a chord would
/// fold "I" into "i" and drop shift from "!". A named key keeps every
/// modifier in a chord, so a chord of one gives the modifier words.
std::string describeKey(const std::optional<KeyToken>& key, KeyModifiers modifiers) {
  const KeyToken named = KeyToken::named(KeyToken::NamedKey::space);
  std::string text = KeyChord(named, modifiers).keymapString();
  text.resize(text.size() - named.text().size());
  return text + (key ? std::string(key->text()) : std::string("(no character)"));
}

/// A chord as a menu item's key equivalent in the simulated Mail: the
/// key's character and the event flags that must be held.
sim::KeyEquivalent keyEquivalent(const std::string& text) {
  const auto chord = KeyChord::fromKeymapString(text);
  if (!chord || !chord->key().isCharacter() || chord->key().character().size() != 1) {
    throw StepFailure("\"" + text + "\" is not a chord of one plain character, like ctrl+cmd+a");
  }
  namespace Flags = platform::EventFlags;
  std::uint64_t flags = 0;
  const KeyModifiers held = chord->modifiers();
  if (held.contains(KeyModifiers::shift)) flags |= Flags::shift;
  if (held.contains(KeyModifiers::control)) flags |= Flags::control;
  if (held.contains(KeyModifiers::option)) flags |= Flags::alternate;
  if (held.contains(KeyModifiers::command)) flags |= Flags::command;
  return {static_cast<char16_t>(chord->key().character().front()), flags};
}

struct KnownApp {
  std::string_view name;
  std::string_view bundleID;
};
constexpr KnownApp kKnownApps[] = {
    {"Mail", SimulatedMac::mailBundleID}, {"Safari", SimulatedMac::safariBundleID},
    {"TextEdit", "com.apple.TextEdit"},   {"Finder", SimulatedMac::finderBundleID},
    {"Notes", "com.apple.Notes"},         {"Terminal", "com.apple.Terminal"},
};

std::string lower(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

/// The names of the known applications, as "switch to" takes them.
std::string knownAppNames() {
  std::vector<std::string> names;
  for (const KnownApp& app : kKnownApps)
    names.emplace_back(app.name);
  return joined(names, 0, names.size(), "|");
}

/// The same without Mail, which has steps of its own.
std::string otherAppNames() {
  std::vector<std::string> names;
  for (const KnownApp& app : kKnownApps) {
    if (app.bundleID != SimulatedMac::mailBundleID) names.emplace_back(app.name);
  }
  return joined(names, 0, names.size(), "|");
}

std::string shortcutSetNames() {
  std::vector<std::string> names;
  for (const ShortcutSet set : allCases<ShortcutSet>())
    names.emplace_back(rawValue(set));
  return joined(names, 0, names.size(), "|");
}

const KnownApp* knownApp(const std::string& name) {
  for (const KnownApp& app : kKnownApps) {
    if (lower(std::string(app.name)) == lower(name)) return &app;
  }
  return nullptr;
}

// How a usage is read: words separated by blanks ("quoted" ones may hold
// blanks). A word of lowercase letters, digits and hyphens is written as it
// stands, in any letter case, with "|" between alternatives; any other word
// is a placeholder; from a word starting with "[" on, everything is optional.

bool isFixed(std::string_view part) {
  return !part.empty() && std::all_of(part.begin(), part.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '|';
  });
}

bool among(std::string_view alternatives, std::string_view word) {
  while (true) {
    const std::size_t bar = alternatives.find('|');
    if (alternatives.substr(0, bar) == word) return true;
    if (bar == std::string_view::npos) return false;
    alternatives.remove_prefix(bar + 1);
  }
}

/// `words` from `from` on, read by `usage`: the words with their fixed ones in
/// lowercase, or nothing when they do not fit. Words past the usage's fit
/// only when it is not `exact`.
std::optional<std::vector<std::string>> fitted(const std::string& usage,
                                               std::vector<std::string> words, std::size_t from,
                                               bool exact) {
  const auto parts = Scenario::words(usage);
  std::size_t i = 0;
  for (; i < parts.size() && !parts[i].starts_with("["); ++i) {
    if (from + i >= words.size()) return std::nullopt;
    if (!isFixed(parts[i])) continue;
    std::string& word = words[from + i];
    word = lower(word);
    if (!among(parts[i], word)) return std::nullopt;
  }
  if (exact && i == parts.size() && from + i < words.size()) return std::nullopt;
  return words;
}

}  // namespace

template <class Run>
struct ScenarioRunner::Form {
  std::string usage;        // how it is written; the first word selects it
  std::string description;  // for help; none: it shares the next form's
  Run run;
  bool exact = false;  // no words beyond the usage's
};

namespace {

/// The form `words` (from `from` on) are written in, with the words as it
/// reads them. Throws the usages of the forms its first word selects when
/// none fits, and `unknown` when the first word selects none.
template <class Form>
std::pair<const Form*, std::vector<std::string>> chosen(const std::vector<Form>& forms,
                                                        const std::vector<std::string>& words,
                                                        std::size_t from, const char* prefix,
                                                        const std::string& unknown) {
  std::string usages;
  const std::string first = from < words.size() ? lower(words[from]) : std::string();
  for (const Form& form : forms) {
    if (!among(Scenario::words(form.usage).front(), first)) continue;
    if (auto fit = fitted(form.usage, words, from, form.exact)) return {&form, std::move(*fit)};
    usages += (usages.empty() ? "" : " | ") + std::string(prefix) + form.usage;
  }
  throw StepFailure(usages.empty() ? unknown : "usage: " + usages);
}

constexpr std::string_view kExpect = "expect";
/// Quillo's folder as transcripts write it.
constexpr std::string_view kFolderName = "<Quillo's folder>";
/// The folder of application support that holds Quillo's folder and its
/// settings, likewise.
constexpr std::string_view kSupportFolderName = "<Application Support>";
/// The debug log's folder, likewise.
constexpr std::string_view kLogFolderName = "<debug log's folder>";

}  // namespace

const std::vector<ScenarioRunner::Step>& ScenarioRunner::steps() {
  using R = ScenarioRunner;
  using S = ScenarioStep;
  static const std::string aMenuPath = inQuotes(MenuResolver::pathText({"Menu", "Item"}));
  static const std::vector<Step> table{
      {"start",
       "Quillo finishes launching (the program does this before the first step of a script "
       "that has no start step)",
       [](R& r, const Words&, const S&) {
         if (r.host_.isRunning()) throw StepFailure("Quillo is already running");
         r.host_.start();
       }},
      {"grant|revoke accessibility|input-monitoring",
       "the privacy permissions of Quillo in System Settings",
       [](R& r, const Words& w, const S&) {
         const bool granted = w[0] == "grant";
         if (w[1] == "accessibility") {
           r.user_.setAccessibility(granted);
         } else {
           r.user_.setInputMonitoring(granted);
         }
       }},
      {"launch mail", "", [](R& r, const Words&, const S&) { r.user_.openMail(); }},
      {"quit mail", "", [](R& r, const Words&, const S&) { r.user_.quitMail(); }},
      {"relaunch mail [junk TITLE] [without " + aMenuPath + "] [disabling " + aMenuPath +
           "] [unreadable " + aMenuPath + "] [blocking " + aMenuPath +
           "] [focus window|detached] [nesting N] [filler N] [body text-area] [lagging-menus] "
           "[language en|de|fr] [shortcut " +
           aMenuPath + " CHORD] [latency SECONDS]",
       "start, quit or restart Mail (a new process), optionally a Mail whose Junk item has "
       "another title, that lacks or never enables a menu item, or whose item's enabled state "
       "cannot be read; whose item, pressed over Accessibility, does its job but blocks until "
       "the time-out (a modal sheet); whose focused element is its window, or a message list "
       "outside any window; whose message list sits in N plain groups; whose viewer holds N "
       "anonymous groups before one with a Mail identifier; "
       "whose compose body is a plain text area; whose menu items tell accessibility the "
       "enabled state of their menu's last validation; whose menus are in German or French; "
       "where the user gave a menu item (titled in Mail's language) another key equivalent "
       "in System Settings' App Shortcuts (CHORD as in keymap.json: ctrl+cmd+a); that answers "
       "each accessibility request in SECONDS from its start",
       [](R& r, const Words& w, const S&) {
         sim::MailVariant variant;
         for (std::size_t i = 2; i < w.size(); i += 2) {
           if (w[i] == "lagging-menus") {
             variant.lagMenus = true;
             --i;  // a word alone
           } else if (i + 1 == w.size()) {
             throw StepFailure("relaunch mail: \"" + w[i] + "\" needs a value");
           } else if (w[i] == "junk") {
             variant.junkTitle = w[i + 1];
           } else if (w[i] == "without") {
             variant.missingItems.push_back(MenuResolver::pathFromText(w[i + 1]));
           } else if (w[i] == "disabling") {
             variant.disabledItems.push_back(MenuResolver::pathFromText(w[i + 1]));
           } else if (w[i] == "unreadable") {
             variant.unreadableEnabledItems.push_back(MenuResolver::pathFromText(w[i + 1]));
           } else if (w[i] == "blocking") {
             variant.blockingItems.push_back(MenuResolver::pathFromText(w[i + 1]));
           } else if (w[i] == "focus" && (w[i + 1] == "window" || w[i + 1] == "detached")) {
             variant.focus = w[i + 1] == "window" ? sim::MailVariant::Focus::onWindow
                                                  : sim::MailVariant::Focus::outsideWindows;
           } else if (w[i] == "nesting") {
             variant.listNesting = static_cast<int>(number(w[i + 1]));
           } else if (w[i] == "filler") {
             variant.fillerGroups = static_cast<int>(number(w[i + 1]));
           } else if (w[i] == "body" && w[i + 1] == "text-area") {
             variant.plainTextBody = true;
           } else if (w[i] == "latency") {
             variant.latency = number(w[i + 1]);
           } else if (w[i] == "language" && sim::isMenuLanguage(w[i + 1])) {
             variant.language = w[i + 1];
           } else if (w[i] == "shortcut" && i + 2 < w.size()) {
             variant.appShortcuts.push_back(
                 {MenuResolver::pathFromText(w[i + 1]), keyEquivalent(w[i + 2])});
             ++i;  // a path and a chord
           } else {
             throw StepFailure(
                 "relaunch mail knows junk, without, disabling, unreadable, blocking, focus "
                 "window|detached, nesting, filler, body text-area, lagging-menus, language "
                 "en|de|fr, shortcut PATH CHORD and latency SECONDS, not \"" +
                 w[i] + " " + w[i + 1] + "\"");
           }
         }
         r.user_.relaunchMail(std::move(variant));
       }},
      {"quillo comes to the front",
       "Quillo's own process becomes the active application, as its alerts make it (and as "
       "raising a window would, on a Mac)",
       [](R& r, const Words&, const S&) {
         const std::string bundleID = sim::SimulatedApplication::bundleID;
         if (!r.mac_.app(bundleID)) throw StepFailure("Quillo's process is not running");
         r.user_.switchTo(bundleID, "Quillo");
       }},
      {"switch to " + knownAppNames(), "bring an application to the front",
       [](R& r, const Words& w, const S&) {
         const KnownApp* app = knownApp(w[2]);
         if (!app) throw StepFailure("no application \"" + w[2] + "\"");
         r.user_.switchTo(std::string(app->bundleID), std::string(app->name));
       }},
      {"app " + knownAppNames() + " secure input on|off",
       "a running application turns secure keyboard entry on or off (as a password field or a "
       "terminal does); while any application holds it on, event taps see no keys, which still "
       "reach the application in front; each off undoes one on, and quitting ends it",
       [](R& r, const Words& w, const S&) {
         const KnownApp* app = knownApp(w[1]);
         if (!app) throw StepFailure("no application \"" + w[1] + "\"");
         sim::SimApp* running = r.mac_.app(std::string(app->bundleID));
         if (!running) throw StepFailure(std::string(app->name) + " is not running");
         auto& server = r.mac_.windowServer();
         if (w[4] == "on") {
           server.enableSecureEventInput(running->pid());
         } else {
           server.disableSecureEventInput(running->pid());
         }
       }},
      {"when-front-quits nothing|previous [SECONDS]",
       "what the system brings forward when the front application quits: nothing (as at "
       "first), or the application active before it, SECONDS (0.5) later unless another came "
       "forward first",
       [](R& r, const Words& w, const S&) {
         auto& after = r.mac_.afterFrontQuits;
         after.activatesPrevious = w[1] == "previous";
         if (w.size() > 2) after.delay = platform::Duration(number(w[2]));
       }},
      {"press KEY [KEY…]",
       "press keys: e, I, #, return, down, f1, cmd+return, ctrl+shift+r, cmd++ (shift is "
       "implied where needed)",
       [](R& r, const Words& w, const S&) {
         r.singleKeyStep_ = w.size() == 2;
         r.user_.press(std::vector<std::string>(w.begin() + 1, w.end()));
       }},
      {"hold KEY N", "hold a key down for N auto-repeats",
       [](R& r, const Words& w, const S&) { r.user_.hold(w[1], static_cast<int>(number(w[2]))); }},
      {"type \"TEXT\"", "type text, key by key",
       [](R& r, const Words& w, const S&) {
         r.typingStep_ = true;
         r.user_.type(joined(w, 1, w.size()));
       }},
      {"click|option-click|right-click status item",
       "click Quillo's status item, holding option or not, or with the right button (its button "
       "acts on either): with its menu attached (the classic menu), the menu opens, read anew "
       "as it opens; otherwise the panel opens or closes, with the debug section when option "
       "is held",
       [](R& r, const Words& w, const S&) {
         r.requireQuillo();
         auto& item = r.mac_.statusItem();
         if (w[0] == "right-click") {
           item.rightClick();
         } else {
           item.click(w[0] == "option-click" ? platform::EventFlags::alternate : 0);
         }
       },
       true},
      {"click panel key \"TITLE\"", "",
       [](R& r, const Words& w, const S&) {
         r.requireQuillo();
         if (auto error = r.host_.clickPanel(w[3], true)) throw StepFailure(*error);
       },
       true},
      {"click panel \"TITLE\"",
       "click a control of Quillo's open panel by its title (a switch, a set, a button, an icon "
       "by its description, the editor's \"Start from SET\" chooser and then one of its "
       "entries), or the keys of a shortcut row, which start recording a new key while the "
       "editor is open",
       [](R& r, const Words& w, const S&) {
         r.requireQuillo();
         if (auto error = r.host_.clickPanel(w[2], false)) throw StepFailure(*error);
       },
       true},
      {"click outside",
       "a click into Mail's window, outside Quillo's panel (Quillo hears it, Mail's window takes "
       "the keyboard)",
       [](R& r, const Words&, const S&) {
         const sim::SimApp* mail = r.mac_.mail();
         if (!mail) throw StepFailure("Mail is not running");
         r.mac_.windowServer().mouseDown(mail->pid());
       },
       true},
      {"click PLACE",
       "put Mail's focus into: message list, mailbox list, search field, preview, to field, "
       "subject field, body, message content",
       [](R& r, const Words& w, const S&) {
         const std::string name = joined(w, 1, w.size());
         const auto place = sim::placeNamed(name);
         if (!place) throw StepFailure("no place \"" + name + "\" in Mail");
         if (!r.user_.click(*place)) throw StepFailure("Mail has no " + name + " to click into");
       }},
      {"select N|\"SUBJECT\"", "select the Nth message (from 1) or one by subject",
       [](R& r, const Words& w, const S&) {
         const bool isIndex = !w[1].empty() && std::all_of(w[1].begin(), w[1].end(), ::isdigit);
         const bool done =
             isIndex ? r.user_.mail().select(static_cast<std::size_t>(std::stoul(w[1])) - 1)
                     : r.user_.mail().selectSubject(w[1]);
         if (!done) throw StepFailure("no message " + inQuotes(w[1]) + " to select");
       }},
      {"mailbox NAME", "show Inbox, Archive, Junk, Sent or Trash",
       [](R& r, const Words& w, const S&) { r.user_.mail().showMailbox(w[1]); }},
      {"new message", "", [](R& r, const Words&, const S&) { r.user_.mail().newMessage(); }},
      {"open message", "",
       [](R& r, const Words&, const S&) {
         if (!r.user_.mail().openSelectedMessage()) throw StepFailure("no message is selected");
       }},
      {"close window", "write a new message, open the selected one, or close Mail's front window",
       [](R& r, const Words&, const S&) { r.user_.mail().closeKeyWindow(); }},
      {"show panel APP", "",
       [](R& r, const Words& w, const S&) {
         if (lower(w[2]) == "spotlight") {
           r.user_.showPanel("com.apple.Spotlight", "Spotlight");
           return;
         }
         const KnownApp* app = knownApp(w[2]);
         if (!app) throw StepFailure("no application \"" + w[2] + "\"");
         r.user_.showPanel(std::string(app->bundleID), std::string(app->name));
       }},
      {"close panel",
       "a window of another process takes the keyboard while Mail stays in front: Spotlight's "
       "search field, or a panel of Safari, TextEdit, …; closing it gives the keyboard back",
       [](R& r, const Words&, const S&) { r.user_.closePanel(); }},
      {"show panel",
       "open Quillo's panel with a click on its icon, unless it is open. The panel reads as "
       "one line per row: switches \"Shortcuts enabled [on]\", sets \"(•) Gmail — …\", "
       "warnings \"⚠ …\", shortcuts \"Archive [E] ⟨⌘⌫⟩ ●●○\" (filled keys in brackets, "
       "the Mac's own in angle brackets, then ● or ○ for the message list, an open message and "
       "writing; \"[record]\" and \"[clear]\" while editing, \"⟦Press keys…⟧\" while "
       "recording), buttons \"[Edit Shortcuts…]\". The transcript says \"panel: opened\" and "
       "\"panel: closed\" when it opens and closes",
       [](R& r, const Words&, const S&) {
         r.requireQuillo();
         if (!r.host_.panelLines()) r.mac_.statusItem().click();
         r.loop_.settle();
         if (!r.host_.panelLines()) throw StepFailure("Quillo's panel did not open");
       },
       true},
      {"read panel", "write every line of Quillo's open panel into the transcript",
       [](R& r, const Words&, const S&) {
         r.requireQuillo();
         const auto lines = r.host_.panelLines();
         if (!lines) throw StepFailure("Quillo's panel is closed");
         r.panelReadout_ = *lines;
       },
       true},
      {"sheet \"TEXT\"", "",
       [](R& r, const Words& w, const S&) { r.user_.mail().showSheet(joined(w, 1, w.size())); }},
      {"accept|cancel sheet", "",
       [](R& r, const Words& w, const S&) { r.user_.mail().dismissSheet(w[0] == "accept"); }},
      {"popover", "a sheet over Mail's front window; address suggestions",
       [](R& r, const Words&, const S&) { r.user_.mail().showPopover(); }},
      {"open menu TITLE",
       "open one of Mail's menus and close it again, which validates its items' enabled states",
       [](R& r, const Words& w, const S&) {
         const std::string title = joined(w, 2, w.size());
         if (!r.user_.mail().menuItem({title})) throw StepFailure("Mail has no menu " + title);
         r.user_.mail().validateMenus(title);
       }},
      {"show menu",
       "print the open status menu, one line per item: submenus indented under their item "
       "(marked \" ›\"), \"✓ \" for a checkmark, \"⚠ \" for a warning image, \"☑ \" for a "
       "granted image, a disabled item in parentheses, a separator as \"---\", a section header "
       "as \"== TITLE ==\", a key equivalent after the title (\"  ⌘Q\")",
       [](R& r, const Words&, const S&) {
         r.requireQuillo();
         r.shownMenu_ = r.menuLines();
       }},
      {"choose \"MENU › ITEM\"",
       "choose an item of the open status menu by its path of titles (\" > \" works too); the "
       "menu closes",
       [](R& r, const Words& w, const S&) {
         r.requireQuillo();
         if (auto error = r.mac_.statusItem().choose(MenuResolver::pathFromText(w[1])))
           throw StepFailure(*error);
       },
       true},
      {"mail latency SECONDS", "how long Mail takes to answer each accessibility request",
       [](R& r, const Words& w, const S&) { r.user_.mail().latency = number(w[2]); }},
      {"tap timeout|user-input", "the system switches the keyboard event tap off",
       [](R& r, const Words& w, const S&) {
         if (w[1] == "timeout") {
           r.mac_.windowServer().disableTapsByTimeout();
         } else {
           r.mac_.windowServer().disableTapsByUserInput();
         }
       }},
      {"tap port dies",
       "the system invalidates the port of the keyboard event tap: the tap never delivers "
       "again, and nobody is told",
       [](R& r, const Words&, const S&) { r.mac_.windowServer().invalidateTapPorts(); }},
      {"set " + shortcutSetNames(), "choose Quillo's shortcut set",
       [](R& r, const Words& w, const S&) {
         r.requireQuillo();
         const auto set = fromRawValue<ShortcutSet>(w[1]);
         if (!set) throw StepFailure("no shortcut set \"" + w[1] + "\"");
         r.host_.selectSet(*set);
       }},
      {"classic-menu on|off",
       "the user default \"classicMenu\" Quillo reads as it starts: on, a status item with the "
       "classic menu",
       [](R& r, const Words& w, const S&) {
         if (r.host_.isRunning())
           throw StepFailure("Quillo reads classicMenu as it starts: quit quillo first");
         if (!r.host_.setClassicMenu(w[1] == "on"))
           throw StepFailure("Quillo has no user defaults here");
       }},
      {"debug-log on|off", "Quillo's debug logging",
       [](R& r, const Words& w, const S&) {
         r.requireQuillo();
         r.host_.setDebugLogging(w[1] == "on");
       }},
      {"write FILE",
       "write FILE in Quillo's folder (keymap.json, custom.json) from the \"| \" lines that "
       "follow (at the console: the lines that follow, up to a line with a single \".\")",
       [](R& r, const Words& w, const S& step) {
         std::string contents;
         for (const auto& line : step.block)
           contents += line + "\n";
         const auto path = r.host_.supportFolder() / w[1];
         platform::createDirectories(path.parent_path());
         // Written in place, as an editor that saves over the file does.
         std::ofstream file(path, std::ios::trunc);
         file << contents;
         if (!file) throw StepFailure("cannot write " + path.string());
         r.written_[w[1]] = contents;
       }},
      {"remove FILE", "delete a file in Quillo's folder",
       [](R& r, const Words& w, const S&) {
         std::filesystem::remove(r.host_.supportFolder() / w[1]);
       }},
      {"answer BUTTON", "the answer to Quillo's next question (\"Open at Login\")",
       [](R& r, const Words& w, const S&) {
         if (!r.host_.answerNextAlert(joined(w, 1, w.size())))
           throw StepFailure("nothing asks questions here");
       }},
      {"run COMMAND", "run one of Quillo's commands (below)",
       [](R& r, const Words& w, const S&) {
         if (r.host_.commandNeedsQuillo(w[1])) r.requireQuillo();
         if (!r.host_.command({w.begin() + 1, w.end()}))
           throw StepFailure("no command \"" + joined(w, 1, w.size()) + "\"");
       }},
      {"wait SECONDS", "let time pass",
       [](R& r, const Words& w, const S&) { r.loop_.wait(platform::Duration(number(w[1]))); }},
      {"quit quillo",
       "Quillo quits; start launches it again as a new process on the same Mac, with the same "
       "files",
       [](R& r, const Words&, const S&) {
         r.requireQuillo();
         if (!r.host_.quit()) throw StepFailure("Quillo cannot quit here");
       }},
      {"quit " + otherAppNames(), "another application quits",
       [](R& r, const Words& w, const S&) {
         const KnownApp* app = knownApp(w[1]);
         sim::SimApp* running = app ? r.mac_.app(std::string(app->bundleID)) : nullptr;
         if (!running) throw StepFailure(w[1] + " is not running");
         r.mac_.quit(running->pid());
       }},
      {"post KEY to " + knownAppNames() + " [marked]",
       "another process posts a key event (down and up) to an application, aimed at its "
       "process; marked: carrying Quillo's own-event marker in its source user data",
       [](R& r, const Words& w, const S&) {
         const KnownApp* app = knownApp(w[3]);
         if (!app) throw StepFailure("no application \"" + w[3] + "\"");
         if (w.size() > 5 || (w.size() == 5 && lower(w[4]) != "marked"))
           throw StepFailure("post takes marked after the application, not \"" + w[4] + "\"");
         sim::SimApp* target = r.mac_.app(std::string(app->bundleID));
         if (!target) throw StepFailure(std::string(app->name) + " is not running");
         const auto stroke = sim::User::keystroke(w[1]);
         auto& server = r.mac_.windowServer();
         for (const bool down : {true, false}) {
           auto event = server.createKeyboardEvent(std::nullopt, stroke.keyCode, down);
           if (!event) throw StepFailure("the system makes no key events");
           event->setFlags(stroke.flags);
           if (w.size() == 5) {
             event->setIntegerValueField(platform::EventField::eventSourceUserData, ownEventMarker);
           }
           server.postToPid(target->pid(), *event);
         }
       }},
      {"event-details on|off",
       "show each posted key event with its flags, its source user data and whether it arrived",
       [](R& r, const Words& w, const S&) { r.eventDetails_ = w[1] == "on"; }},
      {"timing on|off",
       "after each step, the longest a typed key event was held before going on (waiting for "
       "Quillo's main loop, then in its tap callback) and the longest turn of the main loop "
       "(in virtual time only)",
       [](R& r, const Words& w, const S&) { r.timing_ = w[1] == "on"; }},
      {"save FILE in-place|truncate|atomic|recreate|symlink",
       "save FILE in Quillo's folder from the \"| \" lines as an editor does: over the old "
       "bytes, truncating first, writing a temporary file renamed over it, deleting and "
       "creating it anew, or writing the file a symbolic link FILE points to (made on first use)",
       [](R& r, const Words& w, const S& step) { r.save(w[1], w[2], step.block); }},
      {"disk full|ok", "",
       [](R& r, const Words& w, const S&) {
         r.folderFault(w[1] == "full" ? ScenarioHost::FolderFault::diskFull
                                      : ScenarioHost::FolderFault::none);
       }},
      {"folder read-only|writable",
       "Quillo's folder fails as on a full disk or a read-only volume (files there stay "
       "readable), or works again",
       [](R& r, const Words& w, const S&) {
         r.folderFault(w[1] == "read-only" ? ScenarioHost::FolderFault::readOnly
                                           : ScenarioHost::FolderFault::none);
       }},
      {"delete debug-log-folder", "delete the folder of Quillo's debug log, with the log",
       [](R& r, const Words&, const S&) {
         std::filesystem::remove_all(r.host_.debugLog().filePath().parent_path());
       }},
      // What the system and the screen may do that nothing else here brings
      // about, and more of the panel to read.
      {"taps refused|allowed",
       "the system refuses every new keyboard event tap although both permissions are granted "
       "(as security software can make it do), or allows them again",
       [](R& r, const Words& w, const S&) {
         r.mac_.permissions.tapsRefused = w[1] == "refused";
         r.loop_.settle();
       }},
      {"bundle without-version|with-version",
       "Quillo's bundle gives no version at all (the panel and the menu then say \"Version ?\"), "
       "or its own again",
       [](R& r, const Words& w, const S&) {
         if (!r.host_.setBundleVersion(w[1] == "with-version"))
           throw StepFailure("Quillo's bundle is its own here");
       }},
      {"screen WIDTH HEIGHT [visible X Y WIDTH HEIGHT]",
       "the size of the screen with Quillo's status item and its visible frame (by default all "
       "of it under the 25-point menu bar), in points from its bottom left; the status item "
       "stays in the menu bar, as far right as it fits. Quillo places its panel anew when it "
       "next opens or changes",
       [](R& r, const Words& w, const S&) {
         if (w.size() != 3 && w.size() != 8)
           throw StepFailure(
               "screen takes WIDTH HEIGHT, then visible and four numbers, or nothing");
         auto& item = r.mac_.statusItem();
         const double width = number(w[1]), height = number(w[2]);
         item.visibleFrame = {0, 0, width, height - 25};
         if (w.size() == 8) {
           if (lower(w[3]) != "visible") throw StepFailure("screen: \"visible\", not " + w[3]);
           item.visibleFrame = {number(w[4]), number(w[5]), number(w[6]), number(w[7])};
         }
         item.buttonFrame.x = std::min(item.buttonFrame.x, width - item.buttonFrame.width);
         item.buttonFrame.y = height - item.buttonFrame.height;
       }},
      {"status-item at X [WIDTH]",
       "where Quillo's status item sits in the menu bar: its left edge X points from the "
       "screen's left, WIDTH (30) points wide",
       [](R& r, const Words& w, const S&) {
         auto& item = r.mac_.statusItem();
         item.buttonFrame.x = number(w[2]);
         item.buttonFrame.width = w.size() > 3 ? number(w[3]) : 30;
       }},
      {"panel loses key",
       "Quillo's open panel stops being the key window and nothing else happens (a window of "
       "the system takes the keyboard)",
       [](R& r, const Words&, const S&) {
         r.requireQuillo();
         if (!r.host_.panelLosesKey()) throw StepFailure("Quillo's panel is not the key window");
       },
       true},
      {"alert-details on|off",
       "tell each alert Quillo shows with its informative text: \"MESSAGE\" — \"TEXT\" answered "
       "BUTTON",
       [](R& r, const Words& w, const S&) {
         if (!r.host_.setAlertDetails(w[1] == "on"))
           throw StepFailure("nothing asks questions here");
       }},
      {"read panel frame|labels",
       "write where the open panel is (\"panel | frame X Y WIDTH×HEIGHT\", from the screen's "
       "bottom left), or each shortcut row's accessibility label (\"panel | Archive: …\")",
       [](R& r, const Words& w, const S&) {
         r.requireQuillo();
         const auto frame = r.host_.panelFrame();
         if (!frame) throw StepFailure("Quillo's panel is closed");
         if (w[2] == "labels") {
           r.panelReadout_ = r.host_.panelRowLabels();
           return;
         }
         const auto n = [](double v) {
           std::ostringstream text;
           text << v;
           return text.str();
         };
         r.panelReadout_ = {"frame " + n(frame->x) + " " + n(frame->y) + " " + n(frame->width) +
                            "\u00D7" + n(frame->height)};
       },
       true},
  };
  return table;
}

const std::vector<ScenarioRunner::Expectation>& ScenarioRunner::expectations() {
  using R = ScenarioRunner;
  constexpr bool exact = true;
  constexpr bool takesTheRest = false;
  static const std::vector<Expectation> table{
      {"mailbox NAME count N", "",
       [](R& r, const Words& w, Words& unmet) {
         const auto& messages = r.user_.mail().mailbox(w[2]);
         if (messages.size() != static_cast<std::size_t>(number(w[4]))) {
           unmet.push_back("mailbox " + w[2] + " to hold " + w[4] + " messages, not " +
                           std::to_string(messages.size()));
         }
       },
       exact},
      {"mailbox NAME has \"SUBJECT\"", "",
       [](R& r, const Words& w, Words& unmet) {
         const auto& messages = r.user_.mail().mailbox(w[2]);
         const bool found = std::any_of(messages.begin(), messages.end(),
                                        [&](const auto& m) { return m.subject == w[4]; });
         if (!found) unmet.push_back("mailbox " + w[2] + " to hold " + inQuotes(w[4]));
       },
       exact},
      {"selected \"SUBJECT\"", "",
       [](R& r, const Words& w, Words& unmet) {
         const auto selected = r.user_.mail().selectedMessage();
         if (!selected || selected->subject != w[2]) {
           unmet.push_back("selected " + inQuotes(w[2]) + ", not " +
                           (selected ? inQuotes(selected->subject) : std::string("nothing")));
         }
       },
       exact},
      {"focus \"WHERE\"", "",
       [](R& r, const Words& w, Words& unmet) {
         const std::string focus = r.user_.mail().focusDescription();
         if (focus != w[2])
           unmet.push_back("focus in " + inQuotes(w[2]) + ", not in " + inQuotes(focus));
       },
       exact},
      {"text PLACE \"TEXT\"", "",
       [](R& r, const Words& w, Words& unmet) {
         const std::string name = joined(w, 2, w.size() - 1);
         const auto place = sim::placeNamed(name);
         if (!place) throw StepFailure("no place \"" + name + "\" in Mail");
         const auto text = r.user_.mail().text(*place);
         if (text != w.back()) {
           unmet.push_back(name + " to read " + inQuotes(w.back()) + ", not " +
                           inQuotes(text.value_or("(none)")));
         }
       },
       takesTheRest},
      {"front APP", "",
       [](R& r, const Words& w, Words& unmet) {
         const auto front = r.mac_.workspace().frontmostApplication();
         if (!front || lower(front->localizedName) != lower(w[2])) {
           unmet.push_back(w[2] + " in front, not " +
                           (front ? front->localizedName : std::string("nothing")));
         }
       },
       exact},
      {"panel closed", "",
       [](R& r, const Words&, Words& unmet) {
         if (r.host_.panelLines()) unmet.push_back("Quillo's panel closed, not open");
       },
       exact},
      {"panel \"TEXT\"", "",
       [](R& r, const Words& w, Words& unmet) {
         const auto lines = r.host_.panelLines();
         if (!lines) {
           unmet.push_back("the panel line " + inQuotes(w[2]) + ", but the panel is closed");
           return;
         }
         const bool shown = std::any_of(lines->begin(), lines->end(), [&](const auto& line) {
           return line.find(w[2]) != std::string::npos;
         });
         if (!shown) unmet.push_back("a panel line with " + inQuotes(w[2]));
       },
       exact},
      {"no panel \"TEXT\"", "",
       [](R& r, const Words& w, Words& unmet) {
         const auto lines = r.host_.panelLines();
         if (!lines) {
           unmet.push_back("no panel line with " + inQuotes(w[3]) + ", but the panel is closed");
           return;
         }
         for (const auto& line : *lines) {
           if (line.find(w[3]) != std::string::npos)
             unmet.push_back("no panel line with " + inQuotes(w[3]) + ": " + line);
         }
       },
       exact},
      {"status STATUS", "",
       [](R& r, const Words& w, Words& unmet) {
         const auto status = r.host_.status();
         if (status != w[2])
           unmet.push_back("status " + w[2] + ", not " + status.value_or("(none)"));
       },
       exact},
      {"windows N", "",
       [](R& r, const Words& w, Words& unmet) {
         const auto count = r.user_.mail().windowList().size();
         if (count != static_cast<std::size_t>(number(w[2])))
           unmet.push_back(w[2] + " Mail windows, not " + std::to_string(count));
       },
       exact},
      {"decision DECISION", "",
       [](R& r, const Words& w, Words& unmet) {
         const std::string decision = joined(w, 2, w.size());
         const auto& decisions = r.lastDecisions_;
         if (std::find(decisions.begin(), decisions.end(), decision) == decisions.end())
           unmet.push_back("the decision " + inQuotes(decision) + " in the step before");
       },
       takesTheRest},
      {"outcome \"TEXT\"", "",
       [](R& r, const Words& w, Words& unmet) {
         const auto& outcomes = r.lastOutcomes_;
         if (std::find(outcomes.begin(), outcomes.end(), w[2]) == outcomes.end())
           unmet.push_back("the outcome " + inQuotes(w[2]) + " in the step before");
       },
       exact},
      {"round-trips N", "",
       [](R& r, const Words& w, Words& unmet) {
         if (r.roundTripsOfLastStep_ != static_cast<std::size_t>(number(w[2]))) {
           unmet.push_back(w[2] + " accessibility round trips, not " +
                           std::to_string(r.roundTripsOfLastStep_));
         }
       },
       exact},
      {"log \"LINE\"", "",
       [](R& r, const Words& w, Words& unmet) {
         const auto lines = r.debugLogLines();
         if (std::find(lines.begin(), lines.end(), w[2]) == lines.end())
           unmet.push_back("the debug log line " + inQuotes(w[2]));
       },
       exact},
      {"menu \"ITEM\"", "",
       [](R& r, const Words& w, Words& unmet) {
         // An item as `show menu` prints it, wherever it sits, or without
         // the parentheses of a disabled item and the mark of a submenu;
         // a checkmark or an image must be written.
         std::vector<std::string> plain;
         for (std::string line : r.menuLines(&plain)) {
           line.erase(0, line.find_first_not_of(' '));
           if (line == w[2]) return;
         }
         if (std::find(plain.begin(), plain.end(), w[2]) != plain.end()) return;
         unmet.push_back("the open menu to hold " + inQuotes(w[2]));
       },
       exact},
      {"file FILE as-written", "",
       [](R& r, const Words& w, Words& unmet) {
         const auto written = r.written_.find(w[2]);
         if (written == r.written_.end())
           throw StepFailure("no step wrote " + w[2] + " in this script");
         std::ifstream in(r.host_.supportFolder() / w[2], std::ios::binary);
         const std::string now((std::istreambuf_iterator<char>(in)), {});
         if (now != written->second)
           unmet.push_back(w[2] + " to hold the very bytes the script last wrote there");
       },
       exact},
      {"file FILE as-written-to OTHER", "",
       [](R& r, const Words& w, Words& unmet) {
         // A file Quillo kept aside holds what the script wrote under the
         // other name.
         const auto written = r.written_.find(w[4]);
         if (written == r.written_.end())
           throw StepFailure("no step wrote " + w[4] + " in this script");
         std::ifstream in(r.host_.supportFolder() / w[2], std::ios::binary);
         const std::string now((std::istreambuf_iterator<char>(in)), {});
         if (!in.is_open() || now != written->second)
           unmet.push_back(w[2] + " to hold the very bytes the script last wrote to " + w[4]);
       },
       exact},
      {"keys-paired", "", [](R& r, const Words&, Words& unmet) { r.checkKeysPaired(unmet); },
       exact},
      {"no log \"TEXT\"", "",
       [](R& r, const Words& w, Words& unmet) {
         for (const auto& line : r.debugLogLines()) {
           if (line.find(w[3]) != std::string::npos)
             unmet.push_back("no debug log line with " + inQuotes(w[3]) + ": " + line);
         }
       },
       exact},
  };
  return table;
}

std::vector<ScenarioRunner::HelpEntry> ScenarioRunner::help() {
  std::vector<HelpEntry> entries;
  HelpEntry entry;
  for (const Step& step : steps()) {
    entry.usages.push_back(step.usage);
    if (step.description.empty()) continue;
    entry.description = step.description;
    entries.push_back(std::move(entry));
    entry = {};
  }
  for (const Expectation& expectation : expectations())
    entry.usages.push_back(std::string(kExpect) + " " + expectation.usage);
  entry.description = "check a fact; a script fails when one does not hold";
  entries.push_back(std::move(entry));
  return entries;
}

ScenarioRunner::ScenarioRunner(sim::SimulatedMac& mac, sim::User& user, ScenarioHost& host,
                               LoopDriver& loop)
    : mac_(mac), user_(user), host_(host), loop_(loop) {
  observeInterceptor();
}

std::vector<std::string> ScenarioRunner::debugLogLines() const {
  std::vector<std::string> lines;
  std::ifstream in(host_.debugLog().filePath());
  for (std::string line; std::getline(in, line);) {
    lines.push_back(line.size() > DebugLog::timestampWidth ? line.substr(DebugLog::timestampWidth)
                                                           : line);
  }
  return lines;
}

std::vector<std::string> ScenarioRunner::newDebugLogLines() {
  std::vector<std::string> lines;
  const auto& path = host_.debugLog().filePath();
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    debugLog_ = {};  // gone: a new one is read from its start
    return lines;
  }
  // A log that started afresh (grown too big, or deleted and made anew) is
  // another file, or shorter than what was read: read it from the start.
  if (info.st_ino != debugLog_.inode || info.st_dev != debugLog_.device ||
      static_cast<std::uintmax_t>(info.st_size) < debugLog_.offset) {
    debugLog_ = {info.st_dev, info.st_ino, 0, {}};
  }
  if (static_cast<std::uintmax_t>(info.st_size) == debugLog_.offset) return lines;
  std::ifstream in(path, std::ios::binary);
  in.seekg(static_cast<std::streamoff>(debugLog_.offset));
  std::string chunk(static_cast<std::size_t>(info.st_size) - debugLog_.offset, '\0');
  in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
  chunk.resize(static_cast<std::size_t>(in.gcount()));
  debugLog_.offset += chunk.size();
  std::string& text = debugLog_.partial;
  text += chunk;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    const std::string_view line(text.data() + start, end - start);
    lines.emplace_back(
        line.size() > DebugLog::timestampWidth ? line.substr(DebugLog::timestampWidth) : line);
  }
  text.erase(0, start);  // a line still being written waits for its end
  return lines;
}

void ScenarioRunner::observeInterceptor() {
  KeyInterceptor::Observer observer;
  observer.decided = [this](const std::optional<KeyToken>& key, KeyModifiers modifiers,
                            bool isAutoRepeat, const Decision& decision) {
    decisions_.push_back(
        {describeKey(key, modifiers) + (isAutoRepeat ? " (repeat)" : ""), decision.description()});
  };
  observer.performed = [this](ActionID action, const ActionOutcome& outcome) {
    outcomes_.push_back(std::string(rawValue(action)) + ": " + outcome.description());
  };
  host_.interceptor().addObserver(std::move(observer));
}

void ScenarioRunner::checkKeysPaired(Words& unmet) {
  // Every typed key has one fate at the tap: a key-down that passed has its
  // key-up passed (unless the application it reached quit on it), and a
  // key-down Quillo swallowed never has its key-up reach Mail.
  const auto& server = mac_.windowServer();
  if (server.eventsLogged() - pairedFrom_ > sim::WindowServer::keptEvents) {
    keysDown_.clear();  // too many at once to follow: start afresh
    pairedFrom_ = server.eventsLogged() - sim::WindowServer::keptEvents;
  }
  for (; pairedFrom_ < server.eventsLogged(); ++pairedFrom_) {
    const auto* event = server.loggedEvent(pairedFrom_);
    if (!event || event->posted) continue;
    const std::string key = sim::USKeyboard::keyName(event->keyCode);
    if (event->type == platform::EventType::keyDown) {
      if (!event->autorepeat) keysDown_[event->keyCode] = {event->droppedByTap, event->deliveredTo};
      continue;
    }
    if (event->type != platform::EventType::keyUp) continue;
    const auto down = keysDown_.find(event->keyCode);
    if (down == keysDown_.end()) continue;  // its key-down went before any check
    const KeyDown keyDown = down->second;
    keysDown_.erase(down);
    const std::optional<pid_t> downTo = keyDown.deliveredTo;
    const std::optional<pid_t> upTo = event->deliveredTo;
    // Passed both times (also to two windows: Esc closes the panel on its
    // key-down, and its key-up goes to Mail; or to none, when nothing is in
    // front to take it), or swallowed both times.
    if (keyDown.swallowed == event->droppedByTap) continue;
    if (!keyDown.swallowed) {
      if (downTo && !mac_.app(*downTo)) continue;  // it quit on the key-down
    } else {
      if (!upTo) continue;
      // Swallowed, then passed: harmless for an application other than
      // Mail, the one whose key-downs Quillo takes (Quillo's own question
      // that came to the front, say).
      const sim::SimApp* mail = mac_.mail();
      if (!mail || *upTo != mail->pid()) continue;
    }
    const auto fate = [this](bool swallowed, std::optional<pid_t> to) {
      return swallowed ? std::string("swallowed")
                       : "passed to " + (to ? targetName(*to) : std::string("no one"));
    };
    unmet.push_back(key + "'s key-down " + fate(keyDown.swallowed, downTo) + " and its key-up " +
                    fate(event->droppedByTap, upTo) + " to have the same fate");
  }
  // Once every key is up, Quillo holds none as swallowed.
  if (keysDown_.empty() && host_.isRunning() && !host_.interceptor().swallowedKeyCodes().empty()) {
    std::string codes;
    for (const auto code : host_.interceptor().swallowedKeyCodes())
      codes +=
          (codes.empty() ? "" : ", ") + sim::USKeyboard::keyName(static_cast<std::uint16_t>(code));
    unmet.push_back("no key held as swallowed once every key is up, not " + codes);
  }
}

void ScenarioRunner::requireQuillo() const {
  if (!host_.isRunning()) throw StepFailure("Quillo is not running (start starts it)");
}

void ScenarioRunner::folderFault(ScenarioHost::FolderFault fault) {
  if (!host_.setFolderFault(fault)) throw StepFailure("the files here cannot fail");
}

void ScenarioRunner::save(const std::string& name, const std::string& how,
                          const std::vector<std::string>& block) {
  std::string contents;
  for (const auto& line : block)
    contents += line + "\n";
  const auto folder = host_.supportFolder();
  const auto path = folder / name;
  platform::createDirectories(folder);
  const auto write = [](const std::filesystem::path& to, const std::string& text,
                        std::ios::openmode mode) {
    std::ofstream file(to, std::ios::binary | mode);
    file << text;
    if (!file) throw StepFailure("cannot write " + to.string());
  };
  if (how == "in-place") {
    // Over the old bytes, then cut what is left of a longer file: the file
    // keeps its inode throughout.
    if (!std::filesystem::exists(path)) write(path, "", std::ios::out);
    {
      std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
      file.seekp(0);
      file << contents;
      if (!file) throw StepFailure("cannot write " + path.string());
    }
    std::filesystem::resize_file(path, contents.size());
  } else if (how == "truncate") {
    write(path, "", std::ios::out | std::ios::trunc);
    write(path, contents, std::ios::out | std::ios::app);
  } else if (how == "atomic") {
    const auto temporary = folder / ("." + name + ".swp");
    write(temporary, contents, std::ios::out | std::ios::trunc);
    std::filesystem::rename(temporary, path);
  } else if (how == "recreate") {
    std::filesystem::remove(path);
    write(path, contents, std::ios::out | std::ios::trunc);
  } else {
    // Kept elsewhere, as in a folder of dotfiles, and linked into place.
    const auto target = folder.parent_path() / "dotfiles" / name;
    platform::createDirectories(target.parent_path());
    write(target, contents, std::ios::out | std::ios::trunc);
    if (!std::filesystem::is_symlink(path)) {
      std::filesystem::remove(path);
      std::filesystem::create_symlink(target, path);
    }
  }
  written_[name] = contents;
}

StepResult ScenarioRunner::run(const ScenarioStep& step) {
  StepResult result;
  if (step.words.empty()) return result;
  if (step.words.front() == kExpect) {
    try {
      expect(step.words, result);
    } catch (const std::exception& error) {
      result.failures.push_back(error.what());
    }
    return result;
  }

  const MailState before = MailState::of(mac_);
  auto& server = mac_.windowServer();
  const std::uint64_t eventsBefore = server.eventsLogged();
  const std::size_t promptsBefore = mac_.permissions.prompts.size();
  const std::size_t urlsBefore = mac_.workspace().openedURLs.size();
  const std::size_t filesBefore = mac_.workspace().openedFiles.size();
  const std::size_t revealedBefore = mac_.workspace().revealedFiles.size();
  const std::size_t alertsBefore = host_.alertLines().size();
  // Lines written between steps belong to no step.
  newDebugLogLines();
  host_.newSystemLogLines();
  const auto statusBefore = host_.status();
  const StatusItemLook lookBefore = statusItemLook();
  shownMenu_.clear();
  const bool panelBefore = host_.panelLines().has_value();
  decisions_.clear();
  outcomes_.clear();
  panelReadout_.clear();
  singleKeyStep_ = false;
  typingStep_ = false;
  mac_.accessibility().resetRoundTrips();
  loop_.takeLongestTurn();

  try {
    execute(step);
    loop_.settle();
  } catch (const std::exception& error) {
    result.failures.push_back(error.what());
  }
  roundTripsOfLastStep_ = mac_.accessibility().totalRoundTrips();

  auto& out = result.observations;
  // Decisions: one line per key-down; typed text in one line that counts
  // the decisions, so a reader sees at once whether any key acted.
  if (typingStep_ && !decisions_.empty()) {
    std::vector<std::pair<std::string, int>> counts;
    bool acted = false;
    for (const auto& decided : decisions_) {
      acted = acted || !decided.decision.starts_with("passThrough");
      auto found = std::find_if(counts.begin(), counts.end(),
                                [&](const auto& c) { return c.first == decided.decision; });
      if (found == counts.end()) {
        counts.emplace_back(decided.decision, 1);
      } else {
        ++found->second;
      }
    }
    std::string summary;
    for (const auto& [decision, count] : counts) {
      summary += (summary.empty() ? "" : ", ") + std::to_string(count) + " " + decision;
    }
    out.push_back(std::to_string(decisions_.size()) + (acted ? " keys: " : " keys passed: ") +
                  summary);
  } else {
    for (std::size_t i = 0; i < decisions_.size();) {
      std::size_t same = i + 1;
      while (!singleKeyStep_ && same < decisions_.size() &&
             decisions_[same].decision == decisions_[i].decision) {
        ++same;
      }
      out.push_back(same - i > 1 ? std::to_string(same - i) + " keys: " + decisions_[i].decision
                                 : decisions_[i].key + ": " + decisions_[i].decision);
      i = same;
    }
  }
  // What became of the typed key events, for single presses.
  std::vector<std::string> fates;
  std::vector<std::pair<std::string, std::vector<std::string>>> posted;  // by target
  for (std::uint64_t i = eventsBefore; i < server.eventsLogged(); ++i) {
    const auto* logged = server.loggedEvent(i);
    if (!logged) continue;  // no longer kept: a step of very many keys
    const auto& event = *logged;
    std::string name = sim::USKeyboard::keyName(event.keyCode) +
                       (event.type == platform::EventType::keyDown ? " key-down" : " key-up");
    if (event.posted) {
      if (eventDetails_) name += " " + details(event);
      const std::string target = targetName(event.targetPID);
      if (posted.empty() || posted.back().first != target) posted.push_back({target, {}});
      posted.back().second.push_back(std::move(name));
    } else if (singleKeyStep_) {
      fates.push_back(name + (event.deliveredTo ? " passed" : " swallowed"));
    }
  }
  if (!fates.empty()) out.push_back("keys: " + joined(fates, 0, fates.size(), ", "));
  if (timing_) {
    const auto ms = [](platform::Duration d) {
      return std::to_string(static_cast<long long>(d.count() * 1000 + 0.5)) + " ms";
    };
    platform::Duration held{0};
    for (std::uint64_t i = eventsBefore; i < server.eventsLogged(); ++i) {
      if (const auto* logged = server.loggedEvent(i); logged && !logged->posted)
        held = std::max(held, logged->held);
    }
    const auto turn = loop_.takeLongestTurn();
    out.push_back("timing: keys held at most " + ms(held) +
                  (turn ? ", longest turn " + ms(*turn) : std::string()));
  }
  for (const auto& outcome : outcomes_)
    out.push_back(outcome);
  for (const auto& [target, events] : posted)
    out.push_back("posted to " + target + ": " + joined(events, 0, events.size(), ", "));

  const MailState after = MailState::of(mac_);
  for (auto& change : MailState::changes(before, after))
    out.push_back(std::move(change));
  if (before.front != after.front) out.push_back("front: " + after.front);
  if (const auto status = host_.status(); status != statusBefore && status) {
    out.push_back("status: " + *status);
  }
  if (auto change = lookChange(lookBefore, statusItemLook())) out.push_back(std::move(*change));
  for (auto& line : shownMenu_)
    out.push_back(std::move(line));
  if (const bool panel = host_.panelLines().has_value(); panel != panelBefore) {
    const std::string why = panel ? std::string() : host_.panelCloseReason();
    out.push_back(panel ? "panel: opened"
                        : "panel: closed" + (why.empty() ? "" : " \u2014 " + why));
  }
  for (const auto& line : panelReadout_)
    out.push_back("panel | " + line);
  for (std::size_t i = promptsBefore; i < mac_.permissions.prompts.size(); ++i) {
    out.push_back("system asks for " + mac_.permissions.prompts[i]);
  }
  for (std::size_t i = urlsBefore; i < mac_.workspace().openedURLs.size(); ++i) {
    out.push_back("opened " + mac_.workspace().openedURLs[i]);
  }
  for (std::size_t i = filesBefore; i < mac_.workspace().openedFiles.size(); ++i) {
    out.push_back("opened the file " + mac_.workspace().openedFiles[i]);
  }
  for (std::size_t i = revealedBefore; i < mac_.workspace().revealedFiles.size(); ++i) {
    out.push_back("revealed in Finder: " + mac_.workspace().revealedFiles[i]);
  }
  const auto alerts = host_.alertLines();
  for (std::size_t i = alertsBefore; i < alerts.size(); ++i)
    out.push_back("alert: " + alerts[i]);
  for (const auto& line : newDebugLogLines()) {
    // Outcomes are already shown above.
    if (std::find(outcomes_.begin(), outcomes_.end(), line) != outcomes_.end()) continue;
    out.push_back("debug log: " + line);
  }
  for (const auto& line : host_.newSystemLogLines()) {
    if (line.starts_with("debug: ")) continue;  // the debug log's mirror
    out.push_back("system log: " + line);
  }
  // Where the files are changes from run to run; a transcript names the place.
  const std::string folder = host_.supportFolder().string();
  const std::string logFolder = host_.debugLog().filePath().parent_path().string();
  const std::string supportFolder = host_.supportFolder().parent_path().string();
  for (auto& line : out) {
    for (auto at = line.find(folder); at != std::string::npos; at = line.find(folder, at))
      line.replace(at, folder.size(), kFolderName);
    for (auto at = line.find(logFolder); at != std::string::npos; at = line.find(logFolder, at))
      line.replace(at, logFolder.size(), kLogFolderName);
    for (auto at = line.find(supportFolder); at != std::string::npos;
         at = line.find(supportFolder, at))
      line.replace(at, supportFolder.size(), kSupportFolderName);
  }
  lastDecisions_.clear();
  for (const auto& decided : decisions_)
    lastDecisions_.push_back(decided.decision);
  lastOutcomes_ = outcomes_;
  return result;
}

void ScenarioRunner::execute(const ScenarioStep& step) {
  const auto [form, words] =
      chosen(steps(), step.words, 0, "", "no step \"" + step.words.front() + "\"");
  form->run(*this, words, step);
}

void ScenarioRunner::expect(const Words& w, StepResult& result) {
  const auto [form, words] =
      chosen(expectations(), w, 1, "expect ", "no expectation \"" + joined(w, 1, w.size()) + "\"");
  Words unmet;
  form->run(*this, words, unmet);
  for (const auto& what : unmet)
    result.failures.push_back("expected " + what);
}

std::optional<std::string> ScenarioRunner::difference(
    const ScenarioStep& step, const std::vector<std::string>& observations) {
  if (observations == step.expected) return std::nullopt;
  std::ostringstream diff;
  diff << "line " << step.line << " (" << step.text << "):\n";
  for (const auto& line : step.expected)
    diff << "  - " << line << "\n";
  for (const auto& line : observations)
    diff << "  + " << line << "\n";
  return diff.str();
}

std::string ScenarioRunner::targetName(pid_t pid) const {
  const sim::SimApp* app = mac_.app(pid);
  return app ? app->name() : "pid " + std::to_string(pid);
}

std::string ScenarioRunner::details(const sim::WindowServer::LoggedEvent& event) {
  namespace Flags = platform::EventFlags;
  constexpr std::pair<std::uint64_t, const char*> kNames[] = {
      {Flags::alphaShift, "caps-lock"},
      {Flags::shift, "shift"},
      {Flags::control, "ctrl"},
      {Flags::alternate, "alt"},
      {Flags::command, "cmd"},
      {Flags::numericPad, "numpad"},
      {Flags::help, "help"},
      {Flags::secondaryFn, "fn"},
  };
  std::string flags;
  std::uint64_t rest = event.flags;
  for (const auto& [bit, name] : kNames) {
    if (!(event.flags & bit)) continue;
    flags += (flags.empty() ? "" : "+") + std::string(name);
    rest &= ~bit;
  }
  char hex[32];
  if (rest != 0) {
    std::snprintf(hex, sizeof hex, "0x%llX", static_cast<unsigned long long>(rest));
    flags += (flags.empty() ? "" : "+") + std::string(hex);
  }
  std::snprintf(hex, sizeof hex, "0x%llX", static_cast<unsigned long long>(event.userData));
  const std::string userData = event.userData == ownEventMarker ? std::string("Quillo's marker")
                                                                : "user data " + std::string(hex);
  return "[flags " + (flags.empty() ? std::string("none") : flags) + ", " + userData + ", " +
         (event.deliveredTo ? "arrived" : "dropped") + "]";
}

namespace {

void addMenuLines(const std::vector<platform::MenuItem>& items, const std::string& indent,
                  std::vector<std::string>& lines, std::vector<std::string>* plain) {
  for (const auto& item : items) {
    using Kind = platform::MenuItem::Kind;
    if (item.kind == Kind::separator) {
      lines.push_back(indent + "---");
      continue;
    }
    if (item.kind == Kind::sectionHeader) {
      lines.push_back(indent + "== " + item.title + " ==");
      continue;
    }
    std::string marks;
    if (item.checked) marks += "✓ ";
    if (item.symbol == "exclamationmark.triangle") {
      marks += "⚠ ";
    } else if (item.symbol == "checkmark.circle") {
      marks += "☑ ";
    } else if (!item.symbol.empty()) {
      marks += "[" + item.symbol + "] ";
    }
    if (plain) plain->push_back(marks + item.title);
    std::string line = indent;
    for (int level = 0; level < item.indentationLevel; ++level)
      line += "  ";
    const bool enabled = item.action || !item.submenu.empty();
    line += marks + (enabled ? item.title : "(" + item.title + ")");
    if (!item.submenu.empty()) line += " ›";
    if (!item.keyEquivalent.empty()) {
      std::string key = item.keyEquivalent;
      for (char& c : key)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      line += "  ⌘" + key;
    }
    lines.push_back(std::move(line));
    addMenuLines(item.submenu, indent + "  ", lines, plain);
  }
}

}  // namespace

std::vector<std::string> ScenarioRunner::menuLines(std::vector<std::string>* plain) const {
  const auto* items = mac_.statusItem().openMenu();
  if (!items) throw StepFailure("no status menu is open");
  std::vector<std::string> lines;
  addMenuLines(*items, "", lines, plain);
  return lines;
}

ScenarioRunner::StatusItemLook ScenarioRunner::statusItemLook() const {
  const auto& item = mac_.statusItem();
  return {item.symbol(), item.accessibilityDescription(), item.dimmed(), item.alpha(),
          item.toolTip()};
}

std::optional<std::string> ScenarioRunner::lookChange(const StatusItemLook& before,
                                                      const StatusItemLook& after) {
  // Only what changed: a Quillo that never touches its status item adds
  // nothing to a transcript.
  std::vector<std::string> parts;
  if (after.symbol != before.symbol || after.description != before.description) {
    const std::string image = after.symbol.empty()                         ? "icon"
                              : after.symbol == "exclamationmark.triangle" ? "⚠"
                                                                           : after.symbol;
    parts.push_back(image + " " + inQuotes(after.description));
  }
  if (after.dimmed != before.dimmed) parts.push_back(after.dimmed ? "dimmed" : "not dimmed");
  if (after.alpha != before.alpha) {
    std::ostringstream alpha;
    alpha << "alpha " << after.alpha;
    parts.push_back(alpha.str());
  }
  if (after.toolTip != before.toolTip) parts.push_back("tool tip " + inQuotes(after.toolTip));
  if (parts.empty()) return std::nullopt;
  return "status item: " + joined(parts, 0, parts.size(), ", ");
}

ScenarioRunner::Outcome ScenarioRunner::runAll(const Scenario& scenario) {
  Outcome outcome;
  for (const ScenarioStep& step : scenario.steps) {
    StepResult result = run(step);
    for (const auto& failure : result.failures) {
      outcome.failures.push_back("line " + std::to_string(step.line) + " (" + step.text +
                                 "): " + failure);
    }
    if (auto mismatch = difference(step, result.observations))
      outcome.mismatches.push_back(std::move(*mismatch));
    outcome.observations.push_back(std::move(result.observations));
  }
  outcome.rendered = scenario.render(outcome.observations);
  return outcome;
}

}  // namespace quillo::simulated
