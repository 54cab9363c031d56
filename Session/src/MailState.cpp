#include "Session/MailState.hpp"

#include "Session/Scenario.hpp"

namespace quillo::simulated {

using sim::MailApp;

MailState MailState::of(sim::SimulatedMac& mac) {
  MailState state;
  const auto front = mac.workspace().frontmostApplication();
  state.front = front ? front->localizedName : "nothing";
  for (const auto& [mailbox, messages] : mac.mailStore().mailboxes) {
    for (const auto& message : messages) {
      state.messages[message.id] = {mailbox, message.subject, message.read, message.flagged};
    }
  }
  MailApp* mail = mac.mail();
  if (!mail) return state;
  state.pid = mail->pid();
  state.currentMailbox = mail->currentMailbox();
  if (const auto selected = mail->selectedMessage()) state.selected = selected->subject;
  for (const auto& window : mail->windowList()) {
    std::string text;
    switch (window.kind) {
      case MailApp::WindowKind::viewer:
        text = "viewer";
        break;
      case MailApp::WindowKind::message:
        text = "message " + inQuotes(window.title);
        break;
      case MailApp::WindowKind::compose:
        text = "compose " + inQuotes(window.title);
        break;
    }
    if (window.hasSheet) text += " with a sheet";
    if (window.hasPopover) text += " with suggestions";
    state.windows.push_back(std::move(text));
  }
  state.focus = mail->focusDescription();
  for (auto place : {MailApp::Place::searchField, MailApp::Place::toField,
                     MailApp::Place::subjectField, MailApp::Place::body}) {
    if (const auto text = mail->text(place)) state.texts[sim::placeName(place)] = *text;
  }
  return state;
}

std::vector<std::string> MailState::changes(const MailState& before, const MailState& after) {
  std::vector<std::string> lines;
  if (before.pid != after.pid) {
    if (!after.pid) {
      lines.push_back("Mail quit");
    } else {
      lines.push_back(std::string(before.pid ? "Mail relaunched" : "Mail launched") + " (pid " +
                      std::to_string(*after.pid) + ")");
    }
  }
  for (const auto& [id, message] : after.messages) {
    const auto was = before.messages.find(id);
    const std::string subject = inQuotes(message.subject);
    if (was == before.messages.end()) {
      lines.push_back("Mail: " + subject + " is new in " + message.mailbox);
      continue;
    }
    if (was->second.mailbox != message.mailbox) {
      lines.push_back("Mail: " + subject + " moved from " + was->second.mailbox + " to " +
                      message.mailbox);
    }
    if (was->second.read != message.read) {
      lines.push_back("Mail: " + subject + " marked " + (message.read ? "read" : "unread"));
    }
    if (was->second.flagged != message.flagged) {
      lines.push_back("Mail: " + subject + (message.flagged ? " flagged" : " unflagged"));
    }
  }
  if (!after.pid) return lines;
  if (before.currentMailbox != after.currentMailbox) {
    lines.push_back("Mail: showing " + after.currentMailbox);
  }
  if (before.selected != after.selected) {
    lines.push_back("Mail: " + (after.selected ? "selected " + inQuotes(*after.selected)
                                               : std::string("nothing selected")));
  }
  if (before.windows != after.windows) {
    std::string list;
    for (const auto& window : after.windows)
      list += (list.empty() ? "" : ", ") + window;
    lines.push_back("Mail: windows " + (list.empty() ? std::string("none") : list));
  }
  if (before.focus != after.focus) lines.push_back("Mail: focus in " + after.focus);
  for (const auto& [place, text] : after.texts) {
    const auto was = before.texts.find(place);
    if (was == before.texts.end() ? !text.empty() : was->second != text) {
      lines.push_back("Mail: " + place + " reads " + inQuotes(text));
    }
  }
  return lines;
}

}  // namespace quillo::simulated
