// Per-key-press costs of the core: the decider and turning typed text into a
// key token. The focus function is trivial here, so these are the core's own
// costs; what asking Mail costs is measured with the key interceptor.
#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>

#include "QuilloCore/Decider.hpp"
#include "QuilloCore/KeymapFile.hpp"
#include "QuilloCore/KeymapPreset.hpp"

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

}  // namespace
}  // namespace quillo
