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
    ++refreshes;
    const std::string now(rawValue(app_.status()));
    if (shown.empty() || shown.back() != now) shown.push_back(now);
    if (inner_) inner_->refresh();
  }

  int refreshes = 0;
  /// Every status shown, in order, each once per change.
  std::vector<std::string> shown;

 private:
  AppController& app_;
  std::unique_ptr<StatusUI> inner_;
};

}  // namespace quillo
