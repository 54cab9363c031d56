// StatusText: a user interface that is only text — it remembers how often it
// was asked to refresh and the status it showed, for consoles and tests. It
// may stand in front of a real menu-bar interface (the panel), counting and
// recording each refresh before passing it on.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "AppController.hpp"

namespace quillo {

class StatusText final : public StatusUI {
 public:
  /// `inner`, when given, gets every refresh after it is counted.
  explicit StatusText(AppController& app, std::unique_ptr<StatusUI> inner = nullptr)
      : app_(app), inner_(std::move(inner)) {}

  void refresh() override {
    ++refreshes_;
    const std::string now(rawValue(app_.status()));
    if (shown_.empty() || shown_.back() != now) shown_.push_back(now);
    if (inner_) inner_->refresh();
  }
  std::string showShortcuts() override {
    return inner_ ? inner_->showShortcuts() : "no list of shortcuts to show";
  }
  std::string pickMailbox(ActionID action) override {
    return inner_ ? inner_->pickMailbox(action) : "no mailbox picker";
  }

  int refreshes() const noexcept { return refreshes_; }
  /// Every status shown, in order, each once per change.
  const std::vector<std::string>& shown() const noexcept { return shown_; }

 private:
  int refreshes_ = 0;
  std::vector<std::string> shown_;
  AppController& app_;
  std::unique_ptr<StatusUI> inner_;
};

}  // namespace quillo
