// The steps of the simulated Mail: launching it, in what shape, and what the user
// does in it.
#include "StepForms.hpp"

#include <algorithm>
#include "Platform/KeyCodes.hpp"
#include "QuilloCore/KeyChord.hpp"
#include "QuilloCore/MenuResolver.hpp"
#include "Simulator/User.hpp"

namespace quillo::simulated {

using namespace steps;

namespace {

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

}  // namespace

std::vector<ScenarioRunner::Step> ScenarioRunner::mailSteps() {
  using R = ScenarioRunner;
  using S = ScenarioStep;
  static const std::string aMenuPath = inQuotes(MenuResolver::pathText({"Menu", "Item"}));
  return {
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
      {"mail latency SECONDS", "how long Mail takes to answer each accessibility request",
       [](R& r, const Words& w, const S&) { r.user_.mail().latency = number(w[2]); }},
  };
}

}  // namespace quillo::simulated
