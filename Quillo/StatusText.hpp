// StatusText: a user interface that is only text — it remembers how often it
// was asked to refresh and the status it showed, for consoles and tests,
// until the menu-bar interface takes its place.
#pragma once

#include <string>
#include <vector>

#include "AppController.hpp"

namespace quillo {

class StatusText final : public StatusUI {
 public:
  explicit StatusText(AppController& app) : app_(app) {}

  void refresh() override {
    ++refreshes;
    const std::string now(rawValue(app_.status()));
    if (shown.empty() || shown.back() != now) shown.push_back(now);
  }

  int refreshes = 0;
  /// Every status shown, in order, each once per change.
  std::vector<std::string> shown;

 private:
  AppController& app_;
};

}  // namespace quillo
