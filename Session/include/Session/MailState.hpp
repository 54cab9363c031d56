// MailState: what a user can see of the simulated Mail at one moment, and
// the visible differences between two such moments — the "Mail:" lines of a
// scenario transcript.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Simulator/SimulatedMac.hpp"

namespace quillo::simulated {

struct MailState {
  std::optional<pid_t> pid;  // none when Mail is not running
  struct Message {
    std::string mailbox;
    std::string subject;
    bool read;
    bool flagged;
  };
  std::map<std::uint64_t, Message> messages;
  std::string currentMailbox;
  std::optional<std::string> selected;
  std::vector<std::string> windows;  // front to back
  std::string focus;
  std::map<std::string, std::string> texts;  // "subject field" → text
  std::string front;                         // the frontmost application's name

  static MailState of(sim::SimulatedMac& mac);
  /// What changed, in words, in a fixed order.
  static std::vector<std::string> changes(const MailState& before, const MailState& after);
};

}  // namespace quillo::simulated
