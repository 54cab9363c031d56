// Per-key-press costs with two-key sequences in the keymap: a single key
// decided through the sequence state must cost what the decider alone costs
// (goal: at most 2 µs), as must both keys of a sequence; and reading a
// keymap.json with sequences. The focus function is trivial: these are the
// core's own costs.
#include <benchmark/benchmark.h>

#include <string>

#include "QuilloCore/Decider.hpp"
#include "QuilloCore/KeySequenceState.hpp"
#include "QuilloCore/KeymapFile.hpp"

namespace quillo {
namespace {

/// The Gmail keys and Gmail's G sequences (bound to existing actions), a
/// chord sequence, and compose and anywhere sequences.
const char* const kSequenceKeymap = R"({
  "version": 1,
  "keys": {
    "e": "archive", "#": "delete", "j": "nextMessage", "k": "previousMessage",
    "r": "reply", "a": "replyAll", "f": "forward", "c": "newMessage", "s": "toggleFlag",
    "!": "markJunk", "I": "markRead", "U": "markUnread", "z": "undo", "/": "focusSearch",
    "o": "openMessage", "return": "openMessage",
    "g i": "archive", "g s": "toggleFlag", "g t": "reply", "g d": "delete", "g a": "replyAll",
    "g r": "markRead", "g u": "markUnread", "g j": "nextMessage", "g k": "previousMessage",
    "ctrl+x e": "forward", "ctrl+x z": "undo"
  },
  "composeKeys": {"cmd+return": "send", "cmd+enter": "send", "cmd+k s": "send"},
  "anywhereKeys": {"ctrl+c c": "copy", "ctrl+c v": "paste"}
})";

const Keymap& sequenceKeymap() {
  static const Keymap keymap = Keymap::parse(kSequenceKeymap).keymap;
  return keymap;
}

const auto kFocus = [] { return FocusContext::messageList; };

void decideThroughState(benchmark::State& state, const char* typed, KeyModifiers modifiers) {
  const Keymap& keymap = sequenceKeymap();
  const auto key = KeyToken::typed(typed);
  KeySequenceState sequences;
  for (auto _ : state) {
    benchmark::DoNotOptimize(sequences.keyDown(1, key, modifiers, false, Decider::mailBundleID,
                                               kFocus, keymap, true, KeySequenceState::Time{0}));
    sequences.keyUp(1);
  }
}

void BM_SequenceStateBoundSingleKey(benchmark::State& state) {
  decideThroughState(state, "e", {});
}
BENCHMARK(BM_SequenceStateBoundSingleKey);

void BM_SequenceStateUnboundKey(benchmark::State& state) {
  decideThroughState(state, "q", {});
}
BENCHMARK(BM_SequenceStateUnboundKey);

void BM_SequenceStateChord(benchmark::State& state) {
  decideThroughState(state, "e", KeyModifiers::command);
}
BENCHMARK(BM_SequenceStateChord);

/// Both keys of "g i": the wait begins, then the sequence completes.
void BM_SequenceStateBothKeysOfASequence(benchmark::State& state) {
  const Keymap& keymap = sequenceKeymap();
  const auto g = KeyToken::typed("g");
  const auto i = KeyToken::typed("i");
  KeySequenceState sequences;
  for (auto _ : state) {
    benchmark::DoNotOptimize(sequences.keyDown(1, g, {}, false, Decider::mailBundleID, kFocus,
                                               keymap, true, KeySequenceState::Time{0}));
    benchmark::DoNotOptimize(sequences.keyDown(2, i, {}, false, Decider::mailBundleID, kFocus,
                                               keymap, true, KeySequenceState::Time{0}));
    sequences.keyUp(1);
    sequences.keyUp(2);
  }
}
BENCHMARK(BM_SequenceStateBothKeysOfASequence);

/// The same single key through the decider alone, with the same keymap.
void BM_DecideBoundSingleKeyWithSequencesPresent(benchmark::State& state) {
  const Keymap& keymap = sequenceKeymap();
  const auto key = KeyToken::typed("e");
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        Decider::decide(key, {}, false, Decider::mailBundleID, kFocus, keymap, true));
  }
}
BENCHMARK(BM_DecideBoundSingleKeyWithSequencesPresent);

void BM_KeymapParseWithSequences(benchmark::State& state) {
  const std::string data = kSequenceKeymap;
  for (auto _ : state)
    benchmark::DoNotOptimize(Keymap::parse(data));
}
BENCHMARK(BM_KeymapParseWithSequences)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quillo
