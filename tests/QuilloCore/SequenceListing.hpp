// Every two-key sequence of a keymap as "section: keys -> action", sorted:
// the form the sequence tests compare.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "QuilloCore/Keymap.hpp"

namespace quillo::testing {

inline std::vector<std::string> sequenceListing(const Keymap& keymap) {
  std::vector<std::string> lines;
  for (KeySection section : allCases<KeySection>()) {
    for (const auto& [first, seconds] : keymap.sequences(section)) {
      for (const auto& [second, action] : seconds) {
        lines.push_back(std::string(rawValue(section)) + ": " +
                        KeySequence(first, second).keymapString() + " -> " +
                        std::string(rawValue(action)));
      }
    }
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

}  // namespace quillo::testing
