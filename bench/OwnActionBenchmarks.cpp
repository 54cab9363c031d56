// Actions a keymap defines itself: reading a keymap.json with 50 of them
// (goal: at most 100 µs), and deciding a key bound to one (goal: at most
// 2 µs, as for any key). The focus function is trivial: these are the
// core's own costs.
#include <benchmark/benchmark.h>

#include <string>

#include "QuilloCore/Decider.hpp"
#include "QuilloCore/KeymapFile.hpp"

namespace quillo {
namespace {

/// The default keys plus 50 own actions, each filing into a mailbox by a
/// menu path written as one string, with a title and places, each bound to
/// a chord.
std::string fiftyOwnActions() {
  std::string actions;
  std::string keys;
  for (int i = 0; i < 50; ++i) {
    const std::string name = "moveToFolder" + std::to_string(i);
    if (i > 0) {
      actions += ",\n";
      keys += ",\n";
    }
    actions += "\"" + name + "\": {\"menu\": [\"Message \u203A Move to \u203A Folder " +
               std::to_string(i) + "\", [\"**\", \"Folder " + std::to_string(i) +
               "\"]], \"title\": \"Move to folder " + std::to_string(i) +
               "\", \"in\": [\"messageList\", \"openMessage\"]}";
    keys += "\"ctrl+option+" + std::string(1, static_cast<char>('a' + i % 26)) +
            (i >= 26 ? " x" : "") + "\": \"" + name + "\"";
  }
  return "{\"keys\": {\"e\": \"archive\", \"j\": \"nextMessage\",\n" + keys +
         "},\n\"actions\": {\n" + actions + "}}";
}

void BM_KeymapParseFiftyOwnActions(benchmark::State& state) {
  const std::string data = fiftyOwnActions();
  const auto result = Keymap::parse(data);
  if (result.keymap.userActions.size() != 50 || !result.warnings.empty()) {
    state.SkipWithError("the keymap did not read as 50 own actions without warnings");
  }
  for (auto _ : state)
    benchmark::DoNotOptimize(Keymap::parse(data));
}
BENCHMARK(BM_KeymapParseFiftyOwnActions)->Unit(benchmark::kMicrosecond);

void BM_DecideChordOfAnOwnAction(benchmark::State& state) {
  const Keymap keymap = Keymap::parse(fiftyOwnActions()).keymap;
  const auto key = KeyToken::typed("b");
  const KeyModifiers modifiers = KeyModifiers::control | KeyModifiers::option;
  const auto focus = [] { return FocusContext::messageList; };
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        Decider::decide(key, modifiers, false, Decider::mailBundleID, focus, keymap, true));
  }
}
BENCHMARK(BM_DecideChordOfAnOwnAction);

}  // namespace
}  // namespace quillo
