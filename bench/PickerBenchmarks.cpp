// The mailbox picker: one keystroke over 2,000 mailboxes (the rules and the
// content drawn after it), and opening it with Mail's list already read,
// with the Accessibility requests that costs counted (none is the goal).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "MailboxPicker.hpp"
#include "MailboxPickerController.hpp"
#include "ManyMailboxes.hpp"
#include "PanelWindowSpy.hpp"
#include "Session/Session.hpp"
#include "Simulator/SimEventMonitors.hpp"
#include "Simulator/SimStatusItem.hpp"
#include "TempHome.hpp"

namespace quillo {
namespace {

/// Typing "rcpt" then deleting it, a key at a time: each iteration is one
/// key handled and the content made for drawing, as the picker does.
void BM_PickerKeystrokeTwoThousandMailboxes(benchmark::State& state) {
  MailboxPicker picker(MailboxPicker::Purpose::move,
                       {Mailbox{{"Work", "Receipts"}}, Mailbox{{"iCloud", "Travel"}}});
  picker.setMailboxes(manyMailboxes());
  using Kind = MailboxPicker::Key::Kind;
  const std::vector<MailboxPicker::Key> keys{
      {Kind::text, "r"},          {Kind::text, "c"},          {Kind::text, "p"},
      {Kind::text, "t"},          {Kind::deleteBackward, {}}, {Kind::deleteBackward, {}},
      {Kind::deleteBackward, {}}, {Kind::deleteBackward, {}}};
  std::size_t next = 0;
  for (auto _ : state) {
    picker.handle(keys[next++ % keys.size()]);
    benchmark::DoNotOptimize(picker.content());
  }
}
BENCHMARK(BM_PickerKeystrokeTwoThousandMailboxes)->Unit(benchmark::kMicrosecond);

class NoDrawing final : public PickerView {
 public:
  void display(const PickerContent&) override {}
  std::optional<platform::Size> fittingSize() const override { return platform::Size{420, 372}; }
};

/// Opening (and closing) the picker over the simulated Mail whose list was
/// read at the first opening.
void BM_PickerOpenWithWarmCache(benchmark::State& state) {
  testing::TempHome home;
  simulated::SessionOptions options;
  options.resourceFolder = std::filesystem::path(QUILLO_RESOURCES);
  simulated::Session session(options);
  auto& mac = session.mac();
  mac.permissions.accessibility = true;
  auto& mail = session.user().openMail();
  session.start();
  auto& loop = *session.manualLoop();
  loop.runUntilIdle();
  sim::SimStatusItem item;
  testing::PanelWindowSpy window;
  sim::SimEventMonitors monitors{mac, 9999};
  NoDrawing view;
  MailboxPickerController picker(session.controller(), item, window, monitors, view, 9999);
  picker.open(ActionID::moveToMailbox);
  loop.runUntilIdle();
  picker.close("Esc");
  mac.accessibility().resetRoundTrips();
  std::size_t opened = 0;
  for (auto _ : state) {
    picker.open(ActionID::moveToMailbox);
    picker.close("Esc");
    ++opened;
  }
  state.counters["requestsPerOpen"] =
      static_cast<double>(mac.accessibility().roundTrips(mail.pid())) / static_cast<double>(opened);
}
BENCHMARK(BM_PickerOpenWithWarmCache)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quillo
