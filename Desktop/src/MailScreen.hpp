// MailScreen: what the desktop's Mail window shows of the simulated Mail at
// one moment — its mailboxes, the current mailbox's messages in order with
// the selection, its windows with their fields, where the keyboard focus is,
// and which application is in front. A plain value, read from the simulated
// Mac in one place; equal screens draw the same.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "Simulator/SimulatedMac.hpp"

namespace quillo::desktop {

struct MailScreen {
  bool running = false;
  std::string front;
  std::string focus;
  std::string currentMailbox;
  std::vector<std::string> mailboxes;
  struct Row {
    std::string subject;
    bool read = false;
    bool flagged = false;
    bool selected = false;
    bool operator==(const Row&) const = default;
  };
  std::vector<Row> rows;
  /// Front to back, as "viewer", "compose \"Subject\"", with what is over them.
  std::vector<std::string> windows;
  /// The fields of the key window that hold text: name and text.
  std::vector<std::pair<std::string, std::string>> fields;

  static MailScreen of(sim::SimulatedMac& mac);
  /// The message list's line for a row: "●" unread, "⚑" flagged, the subject.
  static std::string rowText(const Row& row);
  bool operator==(const MailScreen&) const = default;
};

}  // namespace quillo::desktop
