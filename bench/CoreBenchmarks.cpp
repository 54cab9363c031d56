// Per-key-press costs of the core: the decider and turning typed text into a
// key token. The focus function is trivial here, so these are the core's own
// costs; what asking Mail costs is measured with the key interceptor.
#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ManyMailboxes.hpp"
#include "QuilloCore/CheatSheet.hpp"
#include "QuilloCore/CustomKeymap.hpp"
#include "QuilloCore/Decider.hpp"
#include "QuilloCore/FocusClassifier.hpp"
#include "QuilloCore/KeymapFile.hpp"
#include "QuilloCore/KeymapPreset.hpp"
#include "QuilloCore/MailboxFilter.hpp"

namespace quillo {
namespace {

void decideOnce(benchmark::State& state, const std::optional<KeyToken>& key, KeyModifiers modifiers,
                const Keymap& keymap) {
  const auto focus = [] { return FocusContext::messageList; };
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        Decider::decide(key, modifiers, false, Decider::mailBundleID, focus, keymap, true));
  }
}

void BM_DecideBoundSingleKey(benchmark::State& state) {
  decideOnce(state, KeyToken::typed("e"), {}, Keymap::default_());
}
BENCHMARK(BM_DecideBoundSingleKey);

void BM_DecideUnboundKey(benchmark::State& state) {
  decideOnce(state, KeyToken::typed("q"), {}, Keymap::default_());
}
BENCHMARK(BM_DecideUnboundKey);

void BM_DecideChord(benchmark::State& state) {
  decideOnce(state, KeyToken::typed("E"), KeyModifiers::control, keymap(KeymapPreset::outlookMac));
}
BENCHMARK(BM_DecideChord);

void BM_KeyTokenTypedASCII(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(KeyToken::typed("e"));
}
BENCHMARK(BM_KeyTokenTypedASCII);

void BM_KeyTokenTypedGrapheme(benchmark::State& state) {
  const std::string thumbsUp = "\U0001F44D\U0001F3FD";  // thumbs up with a skin tone
  for (auto _ : state)
    benchmark::DoNotOptimize(KeyToken::typed(thumbsUp));
}
BENCHMARK(BM_KeyTokenTypedGrapheme);

void BM_KeyChordFromKeymapString(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(KeyChord::fromKeymapString("shift+cmd+K"));
}
BENCHMARK(BM_KeyChordFromKeymapString);

void BM_ClassifyMessageList(benchmark::State& state) {
  // What Mail's main window looks like with the message list focused.
  const FocusSnapshot snapshot{
      .focused = {.role = "AXTable", .identifier = "Mail.messageList"},
      .ancestors = {{.role = "AXScrollArea"},
                    {.role = "AXSplitGroup", .identifier = "Mail.mainSplitView"},
                    {.role = "AXWindow", .subrole = "AXStandardWindow", .identifier = "viewer"}},
      .windowContents = {"Mail.toolbar", "Mail.mainSplitView", "Mail.searchField"},
  };
  const FocusPolicy& policy = FocusPolicy::default_();
  for (auto _ : state)
    benchmark::DoNotOptimize(FocusClassifier::classify(snapshot, policy));
}
BENCHMARK(BM_ClassifyMessageList);

void BM_CheatSheetEntries(benchmark::State& state) {
  const Keymap& gmail = keymap(KeymapPreset::gmail);
  for (auto _ : state)
    benchmark::DoNotOptimize(CheatSheet::entries(&gmail));
}
BENCHMARK(BM_CheatSheetEntries)->Unit(benchmark::kMicrosecond);

void BM_CustomKeymapKeymap(benchmark::State& state) {
  // A user's set: Gmail with a few keys of their own.
  CustomKeymap definition(CustomKeymap::Baseline::gmail, {});
  definition.assign(*KeyChord::fromKeymapString("y"), ActionID::archive);
  definition.assign(*KeyChord::fromKeymapString("ctrl+c"), ActionID::copy);
  definition.assign(*KeyChord::fromKeymapString("cmd+return"), ActionID::send);
  definition.clear(ActionID::undo);
  for (auto _ : state)
    benchmark::DoNotOptimize(definition.keymap());
}
BENCHMARK(BM_CustomKeymapKeymap)->Unit(benchmark::kMicrosecond);

void BM_KeymapParseDefaultFile(benchmark::State& state) {
  std::ifstream in(QUILLO_DEFAULT_KEYMAP_FILE);
  std::stringstream text;
  text << in.rdbuf();
  const std::string data = text.str();
  if (data.empty()) state.SkipWithError("default keymap.json not found");
  for (auto _ : state)
    benchmark::DoNotOptimize(Keymap::parse(data));
}
BENCHMARK(BM_KeymapParseDefaultFile)->Unit(benchmark::kMicrosecond);

/// One keystroke in the picker: the query as it stands after it.
void BM_FilterTwoThousandMailboxes(benchmark::State& state) {
  const MailboxIndex index(manyMailboxes());
  const std::vector<Mailbox> recent{{{"Work", "Receipts"}}, {{"iCloud", "Travel"}}};
  const char* queries[] = {"r", "rc", "rcp", "rcpt", "w rcpt", "zzz"};
  std::size_t next = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(index.filter(queries[next++ % std::size(queries)], recent));
}
BENCHMARK(BM_FilterTwoThousandMailboxes)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quillo
