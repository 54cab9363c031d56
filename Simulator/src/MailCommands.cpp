// What the simulated Mail's commands do: choosing a mailbox and a message,
// moving, marking and flagging messages (each undoable, under the name the
// Edit menu shows after "Undo"), replying, sending, and the pasteboard.
#include <algorithm>

#include "MailWindow.hpp"
#include "Simulator/SimulatedMac.hpp"

namespace quillo::sim {

// MARK: - The mailbox and the selection

const std::vector<MailMessage>& MailApp::mailbox(const std::string& name) const {
  return store_->mailbox(name);
}

std::optional<MailMessage> MailApp::selectedMessage() const {
  if (!selectedID_) return std::nullopt;
  for (const auto& message : mailbox(currentMailbox_)) {
    if (message.id == *selectedID_) return message;
  }
  return std::nullopt;
}

bool MailApp::select(std::size_t index) {
  const auto& messages = mailbox(currentMailbox_);
  if (index >= messages.size()) return false;
  selectedID_ = messages[index].id;
  refreshTable();
  return true;
}

bool MailApp::selectSubject(const std::string& subject) {
  const auto& messages = mailbox(currentMailbox_);
  for (std::size_t i = 0; i < messages.size(); ++i) {
    if (messages[i].subject == subject) return select(i);
  }
  return false;
}

void MailApp::moveSelection(int by) {
  const auto& messages = mailbox(currentMailbox_);
  if (messages.empty()) return;
  std::size_t index = 0;
  for (std::size_t i = 0; i < messages.size(); ++i) {
    if (selectedID_ && messages[i].id == *selectedID_) index = i;
  }
  if (!selectedID_) {
    select(0);
    return;
  }
  const long next =
      std::clamp(static_cast<long>(index) + by, 0L, static_cast<long>(messages.size()) - 1);
  select(static_cast<std::size_t>(next));
}

void MailApp::showMailbox(const std::string& name) {
  if (!store_->mailboxes.contains(name)) return;
  currentMailbox_ = name;
  const auto& messages = mailbox(name);
  selectedID_ = messages.empty() ? std::nullopt : std::optional(messages.front().id);
  refreshTable();
}

void MailApp::searchMailbox() {
  if (!bringToFront(viewer())) return;
  windows_.front()->focus = windows_.front()->searchField;
}

// MARK: - Opening and writing messages

void MailApp::newMessage() {
  openWindow(makeComposeWindow("", "", "", Place::toField));
}

bool MailApp::openSelectedMessage() {
  const auto selected = selectedMessage();
  if (!selected) return false;
  if (MailMessage* message = store_->find(selected->id)) message->read = true;
  openWindow(makeMessageWindow(*selected));
  return true;
}

void MailApp::reply(bool all, bool forward) {
  const auto target = targetMessage();
  if (!target) return;
  std::string to = forward ? "" : target->sender;
  if (all) to += ", team@larkmoor.example";
  const std::string prefix = forward ? "Fwd: " : "Re: ";
  openWindow(
      makeComposeWindow(to, prefix + target->subject, "", forward ? Place::toField : Place::body));
}

void MailApp::send() {
  const auto window = keyWindow();
  if (!window || window->kind != WindowKind::compose) return;
  const std::string subject =
      window->subject->value->empty() ? "(No Subject)" : *window->subject->value;
  store_->add("Sent", "Me", subject, true);
  closeWindow(window);
  if (currentMailbox_ == "Sent") refreshTable();
}

// MARK: - Filing, marking and flagging

void MailApp::moveTarget(const std::string& to, const std::string& undoName) {
  const auto target = targetMessage();
  if (!target) return;
  std::string from;
  if (!store_->find(target->id, &from) || from == to) return;
  auto& source = store_->mailboxes[from];
  const auto at =
      std::find_if(source.begin(), source.end(), [&](const auto& m) { return m.id == target->id; });
  const auto index = static_cast<std::size_t>(at - source.begin());
  MailMessage moved = *at;
  source.erase(at);
  store_->mailboxes[to].push_back(moved);
  // The selection moves on to the message that took its place.
  if (selectedID_ == moved.id && from == currentMailbox_) {
    selectedID_ = source.empty() ? std::nullopt
                                 : std::optional(source[std::min(index, source.size() - 1)].id);
  }
  // An opened message that goes away takes its window with it.
  std::erase_if(windows_, [&](const auto& window) {
    return window->kind == WindowKind::message && window->messageID == moved.id;
  });
  refreshWindowMenu();
  refreshTable();
  undoStack_.push_back(
      {undoName, [this, moved, from, to, index] {
         auto& there = store_->mailboxes[to];
         std::erase_if(there, [&](const auto& m) { return m.id == moved.id; });
         auto& back = store_->mailboxes[from];
         back.insert(back.begin() + static_cast<long>(std::min(index, back.size())), moved);
         if (from == currentMailbox_) selectedID_ = moved.id;
         refreshTable();
       }});
}

void MailApp::deleteTarget() {
  moveTarget("Trash", "Delete");
}

void MailApp::archiveTarget() {
  moveTarget("Archive", "Archive");
}

void MailApp::junkTarget() {
  // Undone under the name this version gives the command.
  moveTarget("Junk", variant_.junkTitle);
}

void MailApp::moveTargetTo(const std::string& mailbox) {
  moveTarget(mailbox, "Move");
}

void MailApp::copyTargetTo(const std::string& mailbox) {
  const auto target = targetMessage();
  if (!target) return;
  const MailMessage* original = store_->find(target->id);
  if (!original) return;
  MailMessage copy = *original;
  copy.id = store_->nextMessageID++;
  store_->mailboxes[mailbox].push_back(copy);
  refreshTable();
  undoStack_.push_back({"Copy", [this, id = copy.id, mailbox] {
                          std::erase_if(store_->mailboxes[mailbox],
                                        [&](const auto& m) { return m.id == id; });
                          refreshTable();
                        }});
}

void MailApp::markTarget(bool read) {
  const auto target = targetMessage();
  if (!target) return;
  MailMessage* message = store_->find(target->id);
  const bool was = message->read;
  message->read = read;
  undoStack_.push_back({read ? "Mark as Read" : "Mark as Unread", [this, id = target->id, was] {
                          if (MailMessage* m = store_->find(id)) m->read = was;
                        }});
}

void MailApp::toggleFlag() {
  const auto target = targetMessage();
  if (!target) return;
  MailMessage* message = store_->find(target->id);
  message->flagged = !message->flagged;
  undoStack_.push_back({message->flagged ? "Flag" : "Unflag", [this, id = target->id] {
                          if (MailMessage* m = store_->find(id)) m->flagged = !m->flagged;
                        }});
}

// MARK: - Undo

std::optional<std::string> MailApp::undoName() const {
  if (undoStack_.empty()) return std::nullopt;
  return undoStack_.back().name;
}

void MailApp::undo() {
  if (undoStack_.empty()) return;
  auto entry = std::move(undoStack_.back());
  undoStack_.pop_back();
  entry.revert();
}

// MARK: - The pasteboard

void MailApp::copy(bool cut) {
  const auto focused = focusedElement();
  if (focused && focused->editable) {
    mac_.pasteboard = focused->value.value_or("");
    if (cut) focused->value = "";
    return;
  }
  if (const auto target = targetMessage(); target && !cut) mac_.pasteboard = target->subject;
}

void MailApp::paste() {
  const auto focused = focusedElement();
  if (focused && focused->editable) *focused->value += mac_.pasteboard;
}

}  // namespace quillo::sim
