#include "MailboxPicker.hpp"

#include <algorithm>
#include <utility>

#include "Platform/KeyCodes.hpp"

namespace quillo {

namespace {

/// Characters a key types that can go into the field: none of the control
/// characters, nor the private-use characters AppKit gives the arrow and
/// function keys (U+F700–U+F8FF, "\xEF\x9C\x80" onwards).
bool isTypedText(std::string_view text) {
  if (text.empty()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 || byte == 0x7F) return false;
    if (byte == 0xEF && i + 1 < text.size()) {
      const auto next = static_cast<unsigned char>(text[i + 1]);
      if (next >= 0x9C && next <= 0xA3) return false;
    }
  }
  return true;
}

void dropLastCharacter(std::string& text) {
  while (!text.empty()) {
    const auto byte = static_cast<unsigned char>(text.back());
    text.pop_back();
    if ((byte & 0xC0) != 0x80) return;  // not a continuation byte: its start
  }
}

std::string joined(const std::vector<std::string>& titles, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) {
    if (i) text += " \u203a ";
    text += titles[i];
  }
  return text;
}

}  // namespace

MailboxPicker::MailboxPicker(Purpose purpose, std::vector<Mailbox> recent)
    : purpose_(purpose), recent_(std::move(recent)) {
  if (recent_.size() > recentLimit) recent_.resize(recentLimit);
}

std::vector<Mailbox> MailboxPicker::matches() const {
  std::vector<Mailbox> result;
  result.reserve(matches_.size());
  for (const std::size_t i : matches_)
    result.push_back(index_.mailboxes()[i]);
  return result;
}

std::optional<Mailbox> MailboxPicker::selection() const {
  if (state_ != ListState::read || selected_ >= matches_.size()) return std::nullopt;
  return index_.mailboxes()[matches_[selected_]];
}

void MailboxPicker::setMailboxes(std::vector<Mailbox> mailboxes) {
  const auto keep = selection();
  state_ = ListState::read;
  index_ = MailboxIndex(std::move(mailboxes));
  filter(keep);
}

void MailboxPicker::setListState(ListState state) {
  state_ = state;
  if (state != ListState::read) {
    index_ = MailboxIndex({});
    filter(std::nullopt);
  }
}

void MailboxPicker::setQuery(std::string query) {
  if (query.size() > queryLimit) return;
  query_ = std::move(query);
  filter(std::nullopt);
}

void MailboxPicker::filter(std::optional<Mailbox> keep) {
  matches_ = index_.filter(query_, recent_);
  selected_ = 0;
  firstVisible_ = 0;
  if (!keep) return;
  for (std::size_t i = 0; i < matches_.size(); ++i) {
    if (index_.mailboxes()[matches_[i]] == *keep) {
      select(i);
      return;
    }
  }
}

void MailboxPicker::select(std::size_t position) {
  if (matches_.empty()) return;
  selected_ = std::min(position, matches_.size() - 1);
  if (selected_ < firstVisible_) firstVisible_ = selected_;
  if (selected_ >= firstVisible_ + visibleRows) firstVisible_ = selected_ + 1 - visibleRows;
}

MailboxPicker::KeyOutcome MailboxPicker::handle(const Key& key) {
  using Kind = Key::Kind;
  const std::size_t before = selected_;
  switch (key.kind) {
    case Kind::text:
      if (query_.size() + key.text.size() > queryLimit) return KeyOutcome::unchanged;
      setQuery(query_ + key.text);
      return KeyOutcome::changed;
    case Kind::deleteBackward: {
      if (query_.empty()) return KeyOutcome::unchanged;
      std::string shorter = query_;
      dropLastCharacter(shorter);
      setQuery(std::move(shorter));
      return KeyOutcome::changed;
    }
    case Kind::up:
      if (selected_ > 0) select(selected_ - 1);
      break;
    case Kind::down:
      select(selected_ + 1);
      break;
    case Kind::pageUp:
      select(selected_ > visibleRows ? selected_ - visibleRows : 0);
      break;
    case Kind::pageDown:
      select(selected_ + visibleRows);
      break;
    case Kind::choose:
      return selection() ? KeyOutcome::choose : KeyOutcome::unchanged;
    case Kind::close:
      return KeyOutcome::close;
    case Kind::other:
      return KeyOutcome::unchanged;
  }
  return selected_ == before ? KeyOutcome::unchanged : KeyOutcome::changed;
}

void MailboxPicker::scroll(int rows) {
  if (matches_.size() <= visibleRows) return;
  const auto last = static_cast<long>(matches_.size() - visibleRows);
  const long first = std::clamp(static_cast<long>(firstVisible_) + rows, 0L, last);
  firstVisible_ = static_cast<std::size_t>(first);
}

PickerContent MailboxPicker::content() const {
  const bool move = purpose_ == Purpose::move;
  PickerContent content;
  content.title = move ? "Move to\u2026" : "Copy to\u2026";
  content.query = query_;
  content.placeholder = "Type part of a mailbox's name";
  const std::string menu = move ? "Move To" : "Copy To";
  switch (state_) {
    case ListState::reading:
      content.note = "Reading Mail's mailboxes\u2026";
      break;
    case ListState::noMenu:
      content.note = "Mail's menus have no " + menu + " menu to list.";
      break;
    case ListState::unreadable:
      content.note = "Couldn't read Mail's mailboxes.";
      break;
    case ListState::read:
      if (index_.mailboxes().empty()) {
        content.note = "Mail's " + menu + " menu lists no mailboxes.";
      } else if (matches_.empty()) {
        content.note = "No mailbox matches \u201c" + query_ + "\u201d.";
      }
      break;
  }
  const std::size_t end = std::min(matches_.size(), firstVisible_ + visibleRows);
  for (std::size_t i = firstVisible_; i < end; ++i) {
    const Mailbox& mailbox = index_.mailboxes()[matches_[i]];
    PickerContent::Row row;
    row.name = mailbox.path.back();
    row.place = joined(mailbox.path, mailbox.path.size() - 1);
    row.recent = std::find(recent_.begin(), recent_.end(), mailbox) != recent_.end();
    row.selected = i == selected_;
    row.choose = PickerRequests::Choose{mailbox};
    row.accessibilityLabel = row.name + (row.place.empty() ? "" : ", in " + row.place) +
                             (row.recent ? ", chosen recently" : "");
    content.rows.push_back(std::move(row));
  }
  const std::string verb = move ? "moves" : "copies";
  if (state_ == ListState::read && !matches_.empty()) {
    content.footer = std::to_string(matches_.size()) + " of " +
                     std::to_string(index_.mailboxes().size()) + " \u00b7 \u21a9 " + verb +
                     " \u00b7 esc closes";
  } else {
    content.footer = "esc closes";
  }
  return content;
}

MailboxPicker::Key MailboxPicker::keyOf(const platform::MonitoredEvent& event) {
  using Kind = Key::Kind;
  namespace KeyCode = platform::KeyCode;
  namespace Flags = platform::EventFlags;
  if (event.type != platform::MonitoredEvent::Type::keyDown) return {};
  switch (event.keyCode) {
    case KeyCode::escape:
      return {Kind::close, {}};
    case KeyCode::returnKey:
    case KeyCode::keypadEnter:
      return {Kind::choose, {}};
    case KeyCode::up:
      return {Kind::up, {}};
    case KeyCode::down:
      return {Kind::down, {}};
    case KeyCode::pageUp:
      return {Kind::pageUp, {}};
    case KeyCode::pageDown:
      return {Kind::pageDown, {}};
    case KeyCode::deleteKey:
      return {Kind::deleteBackward, {}};
    default:
      break;
  }
  if ((event.modifierFlags & (Flags::command | Flags::control)) != 0) return {};
  if (!isTypedText(event.characters)) return {};
  return {Kind::text, event.characters};
}

std::vector<Mailbox> MailboxPicker::remembered(std::vector<Mailbox> recent, const Mailbox& chosen) {
  std::erase(recent, chosen);
  recent.insert(recent.begin(), chosen);
  if (recent.size() > recentLimit) recent.resize(recentLimit);
  return recent;
}

}  // namespace quillo
