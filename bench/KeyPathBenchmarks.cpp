// The cost of one key press in the event tap's callback: KeyInterceptor
// handle() for an unbound key, and for a bound key whose focused element is
// unchanged (answered from the focus cache: two accessibility requests to
// the simulated Mac, with its latency at zero). The action itself runs after
// the callback and is not part of this cost.
#include <benchmark/benchmark.h>

#include "AXFocusInspector.hpp"
#include "DebugLog.hpp"
#include "FrontmostAppMonitor.hpp"
#include "KeyInterceptor.hpp"
#include "MailMenu.hpp"
#include "Platform/linux/LinuxServices.hpp"
#include "Platform/linux/ManualMainLoop.hpp"
#include "Session/RecordedServices.hpp"
#include "Simulator/SimulatedMac.hpp"
#include "Simulator/USKeyboard.hpp"
#include "Simulator/User.hpp"

namespace quillo {
namespace {

using namespace platform;

/// Performs nothing: the benchmark measures the callback, not Mail.
struct IdlePerformer final : ActionPerforming {
  void perform(ActionID, const ActionSpec&, pid_t, Done done) override {
    done(ActionOutcome::Unavailable{});
  }
};

struct KeyPath {
  ManualMainLoop loop;
  sim::SimulatedMac mac{loop, [this](Duration d) { loop.elapse(d); }};
  XdgPaths paths;
  RecordingSystemLog systemLog;
  DebugLog log{paths, systemLog, [this] { return loop.now(); }};
  IdlePerformer performer;
  std::unique_ptr<FrontmostAppMonitor> frontmost;
  std::unique_ptr<AXFocusInspector> inspector;
  std::unique_ptr<KeyInterceptor> interceptor;

  KeyPath() {
    mac.permissions.accessibility = true;
    mac.launchMail();
    loop.runUntilIdle();
    frontmost = std::make_unique<FrontmostAppMonitor>(mac.workspace());
    inspector = std::make_unique<AXFocusInspector>(mac.accessibility(), log, loop);
    interceptor = std::make_unique<KeyInterceptor>(*inspector, performer, *frontmost, log, loop,
                                                   mac.windowServer());
  }

  Event key(const char* spec, bool repeat = false) {
    const auto stroke = sim::User::keystroke(spec);
    Event event(EventType::keyDown);
    event.setFlags(stroke.flags);
    event.setIntegerValueField(EventField::keyboardEventKeycode, stroke.keyCode);
    event.setIntegerValueField(EventField::keyboardEventAutorepeat, repeat ? 1 : 0);
    event.setKeyboardUnicodeString(sim::USKeyboard::eventCharacters(stroke.keyCode, stroke.flags));
    return event;
  }
};

void BM_HandleUnboundKey(benchmark::State& state) {
  KeyPath path;
  const Event event = path.key("q");
  for (auto _ : state)
    benchmark::DoNotOptimize(path.interceptor->handle(EventType::keyDown, event));
}
BENCHMARK(BM_HandleUnboundKey);

void BM_HandleBoundKeyCachedFocus(benchmark::State& state) {
  KeyPath path;
  const Event event = path.key("e");
  path.interceptor->handle(EventType::keyDown, event);  // classifies the focus once
  path.loop.runUntilIdle();
  std::size_t handled = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(path.interceptor->handle(EventType::keyDown, event));
    if (++handled % 4096 == 0) {
      state.PauseTiming();
      path.loop.runUntilIdle();  // the scheduled actions, outside the callback
      state.ResumeTiming();
    }
  }
}
BENCHMARK(BM_HandleBoundKeyCachedFocus);

void BM_HandleBoundKeyRepeatSwallowed(benchmark::State& state) {
  KeyPath path;
  const Event event = path.key("e", true);
  path.interceptor->handle(EventType::keyDown, event);
  for (auto _ : state)
    benchmark::DoNotOptimize(path.interceptor->handle(EventType::keyDown, event));
}
BENCHMARK(BM_HandleBoundKeyRepeatSwallowed);

/// A sequence's two keys, G then X (archive), in an unchanged focus: the
/// first starts the wait, the second completes it. Reports the
/// accessibility requests per key, which must be those of a single key.
void BM_HandleSequenceCachedFocus(benchmark::State& state) {
  KeyPath path;
  Keymap keymap = path.interceptor->keymap();
  keymap.bindSequence(KeySection::keys, *KeySequence::fromKeymapString("g x"), ActionID::archive);
  path.interceptor->setKeymap(std::move(keymap));
  const Event first = path.key("g");
  const Event second = path.key("x");
  path.interceptor->handle(EventType::keyDown, first);  // classifies the focus once
  path.interceptor->handle(EventType::keyDown, second);
  path.loop.runUntilIdle();
  path.mac.accessibility().resetRoundTrips();
  std::size_t handled = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(path.interceptor->handle(EventType::keyDown, first));
    benchmark::DoNotOptimize(path.interceptor->handle(EventType::keyDown, second));
    if (++handled % 2048 == 0) {
      state.PauseTiming();
      path.loop.runUntilIdle();
      state.ResumeTiming();
    }
  }
  state.counters["requestsPerKey"] =
      static_cast<double>(path.mac.accessibility().totalRoundTrips()) /
      static_cast<double>(2 * handled);
}
BENCHMARK(BM_HandleSequenceCachedFocus);

/// The same single key with requests counted, to compare with the above.
void BM_HandleBoundKeyRequests(benchmark::State& state) {
  KeyPath path;
  const Event event = path.key("e");
  path.interceptor->handle(EventType::keyDown, event);
  path.loop.runUntilIdle();
  path.mac.accessibility().resetRoundTrips();
  std::size_t handled = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(path.interceptor->handle(EventType::keyDown, event));
    if (++handled % 4096 == 0) {
      state.PauseTiming();
      path.loop.runUntilIdle();
      state.ResumeTiming();
    }
  }
  state.counters["requestsPerKey"] =
      static_cast<double>(path.mac.accessibility().totalRoundTrips()) /
      static_cast<double>(handled);
}
BENCHMARK(BM_HandleBoundKeyRequests);

}  // namespace
}  // namespace quillo
