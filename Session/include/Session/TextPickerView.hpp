// TextPickerView: the mailbox picker drawn as text, for consoles and
// scripts. One line per part of its content:
//   the title            "Move to…"
//   the field            "[rcpt▏]", or the placeholder "[⟨Type part of …⟩]"
//   a row                "▸ Acme — Work › Clients ⏲": ▸ marks the selected
//                        row, the place follows a dash, ⏲ a recent choice
//   a note               "(Reading Mail's mailboxes…)"
//   the footer           "3 of 120 · ↩ moves · esc closes"
// It decides nothing: a click finds a row by its name (or "name — place")
// and hands its request to the controller. It asks for the picker's one
// size.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "PickerView.hpp"

namespace quillo::simulated {

class TextPickerView final : public PickerView {
 public:
  void display(const PickerContent& content) override;
  std::optional<platform::Size> fittingSize() const override;

  const std::vector<std::string>& lines() const { return lines_; }
  /// Clicks the row of this mailbox; the error's text when none is shown.
  std::optional<std::string> click(const std::string& mailbox);
  /// Turns the mouse wheel over the list by `rows`.
  void scroll(int rows) { makeRequest(PickerRequests::Scroll{rows}); }

 private:
  std::optional<PickerContent> content_;
  std::vector<std::string> lines_;
};

}  // namespace quillo::simulated
