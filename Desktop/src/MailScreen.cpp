#include "MailScreen.hpp"

#include "Session/MailState.hpp"
#include "Simulator/MailApp.hpp"

namespace quillo::desktop {

MailScreen MailScreen::of(sim::SimulatedMac& mac) {
  // The console's reading of Mail, so both interfaces see the same Mail.
  const simulated::MailState state = simulated::MailState::of(mac);
  MailScreen screen;
  screen.front = state.front;
  for (const auto& [name, messages] : mac.mailStore().mailboxes)
    screen.mailboxes.push_back(name);
  sim::MailApp* mail = mac.mail();
  screen.running = mail != nullptr;
  if (!mail) return screen;
  screen.focus = state.focus;
  screen.currentMailbox = state.currentMailbox;
  const auto selected = mail->selectedMessage();
  for (const auto& message : mail->mailbox(state.currentMailbox)) {
    screen.rows.push_back(Row{message.subject, message.read, message.flagged,
                              selected && selected->id == message.id});
  }
  screen.windows = state.windows;
  for (const auto& [place, text] : state.texts)
    screen.fields.emplace_back(place, text);
  return screen;
}

std::string MailScreen::rowText(const Row& row) {
  return std::string(row.read ? "  " : "\u25cf ") + (row.flagged ? "\u2691 " : "  ") + row.subject;
}

}  // namespace quillo::desktop
