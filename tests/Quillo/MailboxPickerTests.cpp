#include "MailboxPicker.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "Platform/KeyCodes.hpp"
#include "Preferences.hpp"
#include "RecordingDoubles.hpp"

namespace quillo {
namespace {

using Kind = MailboxPicker::Key::Kind;
using Outcome = MailboxPicker::KeyOutcome;
namespace KeyCode = platform::KeyCode;
namespace Flags = platform::EventFlags;

/// "Work/Clients/Acme" → {"Work", "Clients", "Acme"}.
Mailbox box(const std::string& slashed) {
  Mailbox result;
  std::stringstream parts(slashed);
  for (std::string title; std::getline(parts, title, '/');)
    result.path.push_back(title);
  return result;
}

std::vector<Mailbox> boxes(const std::vector<std::string>& slashed) {
  std::vector<Mailbox> result;
  for (const auto& path : slashed)
    result.push_back(box(path));
  return result;
}

/// The rows shown, the selected one marked: "Inbox, >Receipts, Acme".
std::string rows(const MailboxPicker& picker) {
  std::string text;
  for (const auto& row : picker.content().rows)
    text += (text.empty() ? "" : ", ") + std::string(row.selected ? ">" : "") + row.name;
  return text;
}

/// The selected mailbox's path, or "none".
std::string selected(const MailboxPicker& picker) {
  const auto mailbox = picker.selection();
  return mailbox ? displayPath(*mailbox) : "none";
}

/// Presses named keys ("down", "pageDown", …) or types text ("t:acm");
/// the outcome of the last.
Outcome press(MailboxPicker& picker, const std::string& keys) {
  Outcome outcome = Outcome::unchanged;
  std::stringstream words(keys);
  for (std::string word; words >> word;) {
    MailboxPicker::Key key;
    if (word.starts_with("t:")) {
      key = {Kind::text, word.substr(2)};
    } else if (word == "down") {
      key = {Kind::down, {}};
    } else if (word == "up") {
      key = {Kind::up, {}};
    } else if (word == "pageDown") {
      key = {Kind::pageDown, {}};
    } else if (word == "pageUp") {
      key = {Kind::pageUp, {}};
    } else if (word == "delete") {
      key = {Kind::deleteBackward, {}};
    } else if (word == "return") {
      key = {Kind::choose, {}};
    } else if (word == "escape") {
      key = {Kind::close, {}};
    }
    outcome = picker.handle(key);
  }
  return outcome;
}

const std::vector<std::string> kTwelve{"Inbox",
                                       "Archive",
                                       "Trash",
                                       "Receipts",
                                       "Travel",
                                       "Taxes",
                                       "Family",
                                       "Friends",
                                       "Work/Inbox",
                                       "Work/Clients/Acme",
                                       "Work/Clients/Globex",
                                       "Work/Projects"};

MailboxPicker twelve(std::vector<Mailbox> recent = {}) {
  MailboxPicker picker(MailboxPicker::Purpose::move, std::move(recent));
  picker.setMailboxes(boxes(kTwelve));
  return picker;
}

TEST(MailboxPickerKeys, EachKeyDownIsWhatThePickerTakesItFor) {
  struct Case {
    std::uint16_t code;
    std::uint64_t flags;
    std::string characters;
    MailboxPicker::Key expected;
  };
  const std::vector<Case> cases{
      {KeyCode::escape, 0, "\x1b", {Kind::close, {}}},
      {KeyCode::returnKey, 0, "\r", {Kind::choose, {}}},
      {KeyCode::keypadEnter, 0, "\x03", {Kind::choose, {}}},
      {KeyCode::up, 0, "\xEF\x9C\x80", {Kind::up, {}}},
      {KeyCode::down, 0, "\xEF\x9C\x81", {Kind::down, {}}},
      {KeyCode::pageUp, 0, "\xEF\x9C\xAC", {Kind::pageUp, {}}},
      {KeyCode::pageDown, 0, "\xEF\x9C\xAD", {Kind::pageDown, {}}},
      {KeyCode::deleteKey, 0, "\x7f", {Kind::deleteBackward, {}}},
      {KeyCode::a, 0, "a", {Kind::text, "a"}},
      {KeyCode::a, Flags::shift, "A", {Kind::text, "A"}},
      {KeyCode::e, Flags::alternate, "\u00e9", {Kind::text, "\u00e9"}},  // after option-e
      {KeyCode::space, 0, " ", {Kind::text, " "}},
      {KeyCode::a, Flags::command, "a", {}},     // a command of the app, not text
      {KeyCode::a, Flags::control, "\x01", {}},  // a control character
      {KeyCode::e, Flags::alternate, "", {}},    // a dead key types nothing yet
      {KeyCode::tab, 0, "\t", {}},
      {KeyCode::left, 0, "\xEF\x9C\x82", {}},  // the arrow's private-use character
      {KeyCode::f1, 0, "\xEF\x9C\x84", {}},
  };
  for (const auto& c : cases) {
    platform::MonitoredEvent event;
    event.keyCode = c.code;
    event.modifierFlags = c.flags;
    event.characters = c.characters;
    EXPECT_EQ(MailboxPicker::keyOf(event), c.expected) << "key code " << c.code;
  }
  platform::MonitoredEvent click;
  click.type = platform::MonitoredEvent::Type::leftMouseDown;
  EXPECT_EQ(MailboxPicker::keyOf(click), MailboxPicker::Key{});
}

TEST(MailboxPicker, ArrowsMoveTheSelectionAndTheRowsInViewFollowIt) {
  auto picker = twelve();
  EXPECT_EQ(rows(picker),
            ">Inbox, Archive, Trash, Receipts, Travel, Taxes, Family, Friends, Inbox");
  EXPECT_EQ(press(picker, "up"), Outcome::unchanged);  // at the top already
  EXPECT_EQ(press(picker, "down down"), Outcome::changed);
  EXPECT_EQ(selected(picker), "Trash");
  press(picker, "down down down down down down down");  // the tenth: the view moves
  EXPECT_EQ(rows(picker), "Archive, Trash, Receipts, Travel, Taxes, Family, Friends, Inbox, >Acme");
  EXPECT_EQ(press(picker, "pageDown"), Outcome::changed);
  EXPECT_EQ(selected(picker), "Work \u203a Projects");  // the last, not past it
  EXPECT_EQ(press(picker, "down"), Outcome::unchanged);
  press(picker, "pageUp");
  EXPECT_EQ(selected(picker), "Trash");
  press(picker, "pageUp");
  EXPECT_EQ(rows(picker),
            ">Inbox, Archive, Trash, Receipts, Travel, Taxes, Family, Friends, Inbox");
}

TEST(MailboxPicker, TypingFiltersAndSelectsTheBestMatchDeleteTakesBackOneCharacter) {
  auto picker = twelve();
  press(picker, "down down t:t");
  EXPECT_EQ(rows(picker), ">Trash, Travel, Taxes, Receipts, Projects, Acme, Globex");
  press(picker, "t:r t:a t:v");
  EXPECT_EQ(rows(picker), ">Travel");
  EXPECT_EQ(press(picker, "t:q"), Outcome::changed);
  EXPECT_EQ(rows(picker), "");
  EXPECT_EQ(picker.content().note, "No mailbox matches \u201ctravq\u201d.");
  EXPECT_EQ(press(picker, "return"), Outcome::unchanged);  // nothing to choose: stays open
  EXPECT_EQ(press(picker, "delete"), Outcome::changed);
  EXPECT_EQ(picker.query(), "trav");
  EXPECT_EQ(press(picker, "return"), Outcome::choose);
  EXPECT_EQ(selected(picker), "Travel");
  EXPECT_EQ(press(picker, "escape"), Outcome::close);

  MailboxPicker accents(MailboxPicker::Purpose::move);
  accents.setMailboxes(boxes({"Caf\u00e9", "Cafeteria"}));
  press(accents, "t:caf\u00e9 delete");  // one character, two bytes
  EXPECT_EQ(accents.query(), "caf");
  EXPECT_EQ(press(accents, "delete delete delete delete"), Outcome::unchanged);  // empty already
  accents.setQuery(std::string(MailboxPicker::queryLimit, 'a'));
  EXPECT_EQ(press(accents, "t:a"), Outcome::unchanged);
  EXPECT_EQ(accents.query().size(), MailboxPicker::queryLimit);
}

TEST(MailboxPicker, ANewReadingOfTheListKeepsTheQueryAndTheSelectedMailbox) {
  auto picker = twelve();
  press(picker, "t:tr down");
  EXPECT_EQ(selected(picker), "Travel");
  auto more = boxes(kTwelve);
  more.insert(more.begin(), box("Tram"));
  picker.setMailboxes(more);
  EXPECT_EQ(picker.query(), "tr");
  EXPECT_EQ(rows(picker), "Tram, Trash, >Travel");
  std::erase(more, box("Travel"));
  picker.setMailboxes(more);
  EXPECT_EQ(rows(picker), ">Tram, Trash");  // gone: the best match again
}

TEST(MailboxPicker, WhatItShowsWhileTheListIsReadMissingOrEmpty) {
  struct Case {
    MailboxPicker::Purpose purpose;
    std::optional<MailboxPicker::ListState> state;  // none: an empty list read
    std::string note;
  };
  using P = MailboxPicker::Purpose;
  using S = MailboxPicker::ListState;
  for (const auto& c : std::vector<Case>{
           {P::move, S::reading, "Reading Mail's mailboxes\u2026"},
           {P::move, S::unreadable, "Couldn't read Mail's mailboxes."},
           {P::move, S::noMenu, "Mail's menus have no Move To menu to list."},
           {P::copy, S::noMenu, "Mail's menus have no Copy To menu to list."},
           {P::copy, std::nullopt, "Mail's Copy To menu lists no mailboxes."},
       }) {
    MailboxPicker picker(c.purpose);
    if (c.state) {
      picker.setMailboxes(boxes({"Inbox"}));
      picker.setListState(*c.state);
    } else {
      picker.setMailboxes({});
    }
    const auto content = picker.content();
    EXPECT_EQ(content.note, c.note);
    EXPECT_TRUE(content.rows.empty()) << c.note;
    EXPECT_EQ(content.footer, "esc closes") << c.note;
    EXPECT_EQ(picker.selection(), std::nullopt) << c.note;
  }
  MailboxPicker copy(MailboxPicker::Purpose::copy);
  copy.setMailboxes(boxes({"Inbox", "Work/Clients/Acme"}));
  const auto content = copy.content();
  EXPECT_EQ(content.title, "Copy to\u2026");
  EXPECT_EQ(content.footer, "2 of 2 \u00b7 \u21a9 copies \u00b7 esc closes");
  EXPECT_EQ(content.rows[1].place, "Work \u203a Clients");
  EXPECT_EQ(content.rows[1].accessibilityLabel, "Acme, in Work \u203a Clients");
  EXPECT_EQ(content.rows[1].choose,
            PickerRequest(PickerRequests::Choose{box("Work/Clients/Acme")}));
}

TEST(MailboxPicker, RecentChoicesComeFirstMarkedAndTheWheelMovesOnlyTheView) {
  auto picker = twelve(boxes({"Work/Clients/Acme", "Taxes"}));
  EXPECT_EQ(rows(picker), ">Acme, Taxes, Inbox, Archive, Trash, Receipts, Travel, Family, Friends");
  const auto content = picker.content();
  EXPECT_TRUE(content.rows[0].recent);
  EXPECT_FALSE(content.rows[2].recent);
  EXPECT_EQ(content.rows[0].accessibilityLabel, "Acme, in Work \u203a Clients, chosen recently");
  picker.scroll(2);
  EXPECT_EQ(rows(picker), "Inbox, Archive, Trash, Receipts, Travel, Family, Friends, Inbox, Globex");
  EXPECT_EQ(selected(picker), "Work \u203a Clients \u203a Acme");
  picker.scroll(100);  // no further than the last row
  EXPECT_EQ(picker.content().rows.size(), MailboxPicker::visibleRows);
  picker.scroll(-100);
  EXPECT_EQ(picker.content().rows.front().name, "Acme");

  EXPECT_EQ(MailboxPicker::remembered(boxes({"A", "B", "C"}), box("B")), boxes({"B", "A", "C"}));
  EXPECT_EQ(MailboxPicker::remembered(boxes({"A", "B", "C", "D", "E"}), box("F")),
            boxes({"F", "A", "B", "C", "D"}));
}

TEST(RecentMailboxes, AreKeptAsPathsAndAnythingElseUnderTheKeyReadsAsNone) {
  platform::InMemoryUserDefaults defaults;
  Preferences prefs(defaults);
  prefs.setRecentMailboxes(boxes({"Work/Clients/Acme", "Receipts"}));
  EXPECT_EQ(defaults.string(Preferences::Keys::recentMailboxes),
            R"([["Work","Clients","Acme"],["Receipts"]])");
  EXPECT_EQ(prefs.recentMailboxes(5), boxes({"Work/Clients/Acme", "Receipts"}));
  EXPECT_EQ(prefs.recentMailboxes(1), boxes({"Work/Clients/Acme"}));
  for (const auto& [stored, expected] : std::vector<std::pair<std::string, std::string>>{
           {"not json", ""},
           {R"({"Receipts": 1})", ""},
           {R"(["Receipts"])", ""},
           {R"([[], ["Receipts"]])", "Receipts"},
           {R"([["Work", 3], ["Receipts"]])", "Receipts"},
           {R"([["Work", ""], ["Travel"]])", "Travel"},
           {"[[\"" + std::string(300, 'x') + "\"], [\"Travel\"]]", "Travel"},
       }) {
    defaults.set(Preferences::Keys::recentMailboxes, stored);
    std::string read;
    for (const auto& mailbox : prefs.recentMailboxes(5))
      read += displayPath(mailbox);
    EXPECT_EQ(read, expected) << stored;
  }
  defaults.set(Preferences::Keys::recentMailboxes, true);
  EXPECT_TRUE(prefs.recentMailboxes(5).empty());
}

}  // namespace
}  // namespace quillo
