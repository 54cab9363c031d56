// MailboxPicker: the rules of the "Move to…" picker, toolkit-free: what was
// typed, which mailboxes match it and in what order (MailboxIndex), which
// one is selected and which rows are in view, what each key does, the
// content drawn, and the list of recent choices kept in the preferences.
//
// Keys: typed characters extend the query and Delete shortens it (the
// selection goes back to the best match); ↑/↓ move the selection by one,
// Page Up/Page Down by a screenful, and the rows in view follow it; Return
// chooses the selected mailbox, Esc closes. Keys with ⌘ or ⌃ held, Tab and
// the other named keys do nothing. Value type; no platform service.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "PickerContent.hpp"
#include "Platform/EventMonitors.hpp"
#include "QuilloCore/MailboxFilter.hpp"

namespace quillo {

class MailboxPicker {
 public:
  /// Filing by Mail's Move To menu or by its Copy To menu.
  enum class Purpose : std::uint8_t { move, copy };
  /// Where the list of mailboxes stands.
  enum class ListState : std::uint8_t {
    reading,     ///< being read from Mail's menus; nothing to show yet
    read,        ///< mailboxes() is Mail's list
    noMenu,      ///< Mail's menus have no menu of mailboxes to file in
    unreadable,  ///< Mail did not answer, or its menus could not be read
  };
  struct Key {
    enum class Kind : std::uint8_t {
      text,
      deleteBackward,
      up,
      down,
      pageUp,
      pageDown,
      choose,
      close,
      other
    };
    Kind kind = Kind::other;
    /// The characters typed, for text.
    std::string text;
    bool operator==(const Key&) const = default;
  };
  enum class KeyOutcome : std::uint8_t {
    changed,    ///< the content changed: draw it
    unchanged,  ///< nothing to do
    choose,     ///< file the messages in selection() and close
    close,      ///< close without filing
  };

  static constexpr std::size_t visibleRows = 9;
  /// How many recent choices are kept.
  static constexpr std::size_t recentLimit = 5;
  /// A longer query is not a mailbox's name; typing on does nothing.
  static constexpr std::size_t queryLimit = 100;

  explicit MailboxPicker(Purpose purpose, std::vector<Mailbox> recent = {});

  Purpose purpose() const noexcept { return purpose_; }
  ListState listState() const noexcept { return state_; }
  const std::string& query() const noexcept { return query_; }
  const std::vector<Mailbox>& recent() const noexcept { return recent_; }
  /// The matching mailboxes, best first.
  std::vector<Mailbox> matches() const;
  /// The mailbox Return chooses; none when nothing matches.
  std::optional<Mailbox> selection() const;

  /// Mail's list, read: filtered by what was typed so far, the selected
  /// mailbox kept when it is still there.
  void setMailboxes(std::vector<Mailbox> mailboxes);
  /// The list is being read, or cannot be; whatever was listed goes.
  void setListState(ListState state);
  /// What typing the query anew would do.
  void setQuery(std::string query);
  KeyOutcome handle(const Key& key);
  /// The mouse wheel: moves the rows in view, not the selection.
  void scroll(int rows);

  PickerContent content() const;

  /// What a key-down in the picker's window is to it.
  static Key keyOf(const platform::MonitoredEvent& event);
  /// The recent choices after choosing `chosen`: it first, once, at most
  /// recentLimit.
  static std::vector<Mailbox> remembered(std::vector<Mailbox> recent, const Mailbox& chosen);

 private:
  void filter(std::optional<Mailbox> keep);
  void select(std::size_t position);

  Purpose purpose_;
  ListState state_ = ListState::reading;
  std::vector<Mailbox> recent_;
  MailboxIndex index_{{}};
  std::string query_;
  /// Positions in index_.mailboxes(), best first.
  std::vector<std::size_t> matches_;
  std::size_t selected_ = 0;
  std::size_t firstVisible_ = 0;
};

}  // namespace quillo
