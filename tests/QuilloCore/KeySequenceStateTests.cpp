#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Fixtures.hpp"
#include "QuilloCore/Decider.hpp"
#include "QuilloCore/KeySequenceState.hpp"
#include "QuilloCore/KeymapFile.hpp"

namespace quillo {
namespace {

const Keymap& sequenceKeymap() {
  static const Keymap keymap = [] {
    auto result = Keymap::parse(R"({
      "keys": {"e": "archive", "j": "nextMessage", "g i": "archive", "g s": "toggleFlag",
               "g j": "nextMessage", "v j": "nextMessage", "ctrl+x e": "forward"},
      "composeKeys": {"cmd+return": "send", "cmd+k s": "send"},
      "anywhereKeys": {"cmd+k c": "copy"}
    })");
    EXPECT_TRUE(result.warnings.empty());
    return std::move(result.keymap);
  }();
  return keymap;
}

/// Plays a session of key events through one KeySequenceState and writes
/// down what each did. Lines:
///   "[@ms] down KEY"      a key-down at that time (default: the last time)
///   "[@ms] repeat KEY"    its auto-repeat
///   "up KEY"              its key-up
///   "elsewhere KEY"       a key-down while another app is in front
///   "off KEY"             a key-down while Quillo is switched off
///   "focus CONTEXT"       where Mail's focus is from now on
///   "cancel"              a focus change, a click or Mail leaving the front
///   "@ms tick"            the wait's end is checked at that time
/// A key is written as in keymap.json ("g", "I", "ctrl+x"). Each result is
/// the step's description, "swallowed" or "passes" for a key-up, "ended" or
/// "-" for a tick; then " (waiting K)" while a wait is on and " [focus]" when
/// the focus was asked.
class Session {
 public:
  std::string play(std::string_view line) {
    if (line.starts_with('@')) {
      const auto space = line.find(' ');
      now_ = std::chrono::milliseconds(std::stoi(std::string(line.substr(1, space - 1))));
      line.remove_prefix(space + 1);
    }
    const auto space = line.find(' ');
    const std::string_view verb = line.substr(0, space);
    const std::string_view argument = space == line.npos ? "" : line.substr(space + 1);
    int asked = 0;
    std::string result;
    if (verb == "focus") {
      context_ = *fromRawValue<FocusContext>(argument);
      result = "-";
    } else if (verb == "cancel") {
      state_.cancel();
      result = "-";
    } else if (verb == "tick") {
      result = state_.expire(now_) ? "ended" : "-";
    } else if (verb == "up") {
      result = state_.keyUp(keyCode(argument)) ? "swallowed" : "passes";
    } else {
      const auto components = KeyChord::splitKeymapString(argument);
      const auto key = KeyToken::fromKeymapString(components->keyPart);
      const KeyModifiers modifiers = components->modifiers;
      const bool elsewhere = verb == "elsewhere";
      const std::string frontmost =
          elsewhere ? "com.apple.finder" : std::string(Decider::mailBundleID);
      const KeyStep step = state_.keyDown(
          keyCode(argument), key, modifiers, verb == "repeat", frontmost,
          [&] {
            ++asked;
            return context_;
          },
          sequenceKeymap(), verb != "off", now_);
      result = step.description();
    }
    EXPECT_LE(asked, 1) << "the focus is asked at most once per key";
    if (const auto first = state_.pendingFirstKey()) {
      result += " (waiting " + first->displayString() + ")";
    }
    if (asked > 0) result += " [focus]";
    return result;
  }

 private:
  /// The physical key: the key part, without modifiers or case.
  static std::int64_t keyCode(std::string_view text) {
    const auto components = KeyChord::splitKeymapString(text);
    std::string key(components->keyPart);
    for (char& c : key)
      c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return static_cast<std::int64_t>(std::hash<std::string>{}(key)&0xffff);
  }

  KeySequenceState state_;
  FocusContext context_ = FocusContext::messageList;
  KeySequenceState::Time now_{0};
};

// Each group of sessions in the fixture: every way a wait ends, nothing
// swallowed while typing, opened messages, repeats and key-ups, chords.
TEST(KeySequenceState, SessionsOfTheFixture) {
  const auto fixture = testing::loadFixture("key_sequence_state.json");
  ASSERT_EQ(fixture.size(), 5u);
  for (const auto& [group, sessions] : fixture.items()) {
    for (const auto& c : sessions) {
      SCOPED_TRACE(group + ": " + c["name"].get<std::string>());
      Session session;
      for (const auto& line : c["lines"])
        EXPECT_EQ(session.play(line[0].get<std::string>()), line[1].get<std::string>()) << line[0];
    }
  }
}

TEST(KeySequenceState, WithoutSequencesEveryKeyIsTheDecidersDecision) {
  const Keymap& keymap = Keymap::default_();
  KeySequenceState state;
  const char* const keys[] = {"e", "g", "j", "I", "x", "return"};
  const FocusContext contexts[] = {FocusContext::messageList, FocusContext::compose,
                                   FocusContext::messageWindow, FocusContext::unknown};
  for (const FocusContext context : contexts) {
    for (const char* text : keys) {
      SCOPED_TRACE(std::string(text) + " in " + std::string(rawValue(context)));
      const auto key = KeyToken::fromKeymapString(text);
      const auto focus = [context] { return context; };
      const KeyStep step = state.keyDown(1, key, {}, false, Decider::mailBundleID, focus, keymap,
                                         true, KeySequenceState::Time{0});
      EXPECT_EQ(step, KeyStep::single(Decider::decide(key, {}, false, Decider::mailBundleID, focus,
                                                      keymap, true)));
      state.keyUp(1);
    }
  }
}

}  // namespace
}  // namespace quillo
