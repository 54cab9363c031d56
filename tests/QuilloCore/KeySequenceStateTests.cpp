#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

struct Case {
  const char* name;
  std::vector<std::pair<const char*, const char*>> lines;
};

void play(const Case& c) {
  SCOPED_TRACE(c.name);
  Session session;
  for (const auto& [line, expected] : c.lines) {
    EXPECT_EQ(session.play(line), expected) << line;
  }
}

TEST(KeySequenceState, EveryWayAWaitEnds) {
  const Case cases[] = {
      {"the second key completes the sequence, reading the focus as any key does",
       {{"down g", "startsWait (waiting G) [focus]"},
        {"up g", "swallowed (waiting G)"},
        {"down i", "completesSequence perform archive [focus]"},
        {"up i", "swallowed"}}},
      {"a second key that completes nothing is decided as itself",
       {{"down g", "startsWait (waiting G) [focus]"},
        {"down e", "perform archive [focus]"},
        {"up e", "swallowed"},
        {"up g", "swallowed"}}},
      {"an unbound second key passes as itself; the first key is not replayed",
       {{"down g", "startsWait (waiting G) [focus]"},
        {"down x", "passThrough unmappedKey [focus]"},
        {"up x", "passes"},
        {"up g", "swallowed"}}},
      {"the first key again starts a wait of its own",
       {{"down g", "startsWait (waiting G) [focus]"},
        {"up g", "swallowed (waiting G)"},
        {"down g", "startsWait (waiting G) [focus]"},
        {"down s", "completesSequence perform toggleFlag [focus]"}}},
      {"just in time",
       {{"@0 down g", "startsWait (waiting G) [focus]"},
        {"@1499 down i", "completesSequence perform archive [focus]"}}},
      {"the time runs out: the second key is decided as itself",
       {{"@0 down g", "startsWait (waiting G) [focus]"},
        {"@1500 down i", "passThrough unmappedKey"},
        {"@1600 down e", "perform archive [focus]"}}},
      {"the time runs out while nothing is pressed",
       {{"@0 down g", "startsWait (waiting G) [focus]"},
        {"up g", "swallowed (waiting G)"},
        {"@1499 tick", "- (waiting G)"},
        {"@1500 tick", "ended"},
        {"@1501 tick", "-"}}},
      {"the focus moved since the first key: the second key is decided where it lands",
       {{"down g", "startsWait (waiting G) [focus]"},
        {"focus compose", "- (waiting G)"},
        {"down i", "passThrough unmappedKey [focus]"}}},
      {"a focus change, a click or Mail leaving the front ends the wait silently",
       {{"down g", "startsWait (waiting G) [focus]"},
        {"cancel", "-"},
        {"down i", "passThrough unmappedKey"},
        {"up i", "passes"},
        {"up g", "swallowed"}}},
      {"a key while another app is in front ends the wait",
       {{"down g", "startsWait (waiting G) [focus]"},
        {"elsewhere i", "passThrough notMail"},
        {"down i", "passThrough unmappedKey"}}},
      {"switched off while waiting",
       {{"down g", "startsWait (waiting G) [focus]"},
        {"off i", "passThrough disabled"},
        {"down i", "passThrough unmappedKey"}}},
  };
  for (const auto& c : cases)
    play(c);
}

TEST(KeySequenceState, NothingIsSwallowedWhileTyping) {
  const Case cases[] = {
      {"in a compose window the first key types",
       {{"focus compose", "-"},
        {"down g", "passThrough focusNotMessageList [focus]"},
        {"up g", "passes"},
        {"down i", "passThrough unmappedKey"},
        {"up i", "passes"}}},
      {"in another text field",
       {{"focus other", "-"}, {"down g", "passThrough focusNotMessageList [focus]"}}},
      {"where the focus is unknown",
       {{"focus unknown", "-"}, {"down g", "passThrough focusUnknown [focus]"}}},
      {"another app in front", {{"elsewhere g", "passThrough notMail"}}},
      {"switched off", {{"off g", "passThrough disabled"}}},
      {"caps lock's G is not g", {{"down G", "passThrough unmappedKey"}}},
  };
  for (const auto& c : cases)
    play(c);
}

TEST(KeySequenceState, InAnOpenedMessageOnlySequencesThatWorkThereWait) {
  const Case cases[] = {
      {"g: some of its sequences work in an opened message",
       {{"focus messageWindow", "-"},
        {"down g", "startsWait (waiting G) [focus]"},
        {"down i", "completesSequence perform archive [focus]"}}},
      {"g then j: nextMessage does not work there, so j is decided as itself",
       {{"focus messageWindow", "-"},
        {"down g", "startsWait (waiting G) [focus]"},
        {"down j", "passThrough focusNotMessageList [focus]"}}},
      {"v: none of its sequences work there, so v types",
       {{"focus messageWindow", "-"},
        {"down v", "passThrough focusNotMessageList [focus]"},
        {"up v", "passes"}}},
  };
  for (const auto& c : cases)
    play(c);
}

TEST(KeySequenceState, RepeatsAndKeyUps) {
  const Case cases[] = {
      {"a held first key's repeats are swallowed and the wait goes on",
       {{"down g", "startsWait (waiting G) [focus]"},
        {"repeat g", "repeatOfFirstKey (waiting G)"},
        {"repeat g", "repeatOfFirstKey (waiting G)"},
        {"down i", "completesSequence perform archive [focus]"},
        {"up g", "swallowed"},
        {"up i", "swallowed"}}},
      {"a held first key's repeats stay swallowed after its wait ran out",
       {{"@0 down g", "startsWait (waiting G) [focus]"},
        {"@2000 repeat g", "repeatOfFirstKey"},
        {"up g", "swallowed"},
        {"up g", "passes"}}},
      {"a second key whose action repeats performs it again, without the focus",
       {{"down g", "startsWait (waiting G) [focus]"},
        {"down j", "completesSequence perform nextMessage [focus]"},
        {"repeat j", "completesSequence perform nextMessage"},
        {"up j", "swallowed"}}},
      {"a second key whose action does not repeat swallows its repeats",
       {{"down g", "startsWait (waiting G) [focus]"},
        {"down i", "completesSequence perform archive [focus]"},
        {"repeat i", "completesSequence swallow archive"},
        {"up i", "swallowed"}}},
      {"a repeat never starts a wait",
       {{"repeat g", "repeatOfFirstKey [focus]"}, {"up g", "swallowed"}}},
      {"single keys keep their key-ups",
       {{"down e", "perform archive [focus]"},
        {"up e", "swallowed"},
        {"down x", "passThrough unmappedKey"},
        {"up x", "passes"}}},
  };
  for (const auto& c : cases)
    play(c);
}

TEST(KeySequenceState, ChordsStartSequencesInTheirSection) {
  const Case cases[] = {
      {"a list chord, then a plain key",
       {{"down ctrl+x", "startsWait (waiting \u2303X) [focus]"},
        {"down e", "completesSequence perform forward [focus]"}}},
      {"a compose sequence in a compose window",
       {{"focus compose", "-"},
        {"down cmd+k", "startsWait (waiting \u2318K) [focus]"},
        {"down s", "completesSequence perform send [focus]"}}},
      {"the compose window's own chords stay",
       {{"focus compose", "-"}, {"down cmd+return", "perform send [focus]"}}},
      {"in the message list the same chord starts the anywhere sequence",
       {{"down cmd+k", "startsWait (waiting \u2318K) [focus]"},
        {"down s", "passThrough unmappedKey [focus]"},
        {"down cmd+k", "startsWait (waiting \u2318K) [focus]"},
        {"down c", "completesSequence perform copy [focus]"}}},
      {"a list chord's sequence does not wait in a compose window",
       {{"focus compose", "-"}, {"down ctrl+x", "passThrough focusNotMessageList [focus]"}}},
  };
  for (const auto& c : cases)
    play(c);
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
