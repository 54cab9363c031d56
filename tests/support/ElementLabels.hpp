// Reads an element written as its label — role, "/subrole", "#identifier",
// "?" for no role — back into an ElementInfo, for compact fixtures.
#pragma once

#include <string>

#include "QuilloCore/FocusSnapshot.hpp"

namespace quillo::testing {

inline ElementInfo elementFromLabel(const std::string& label) {
  ElementInfo info;
  std::string rest = label;
  if (const auto hash = rest.find('#'); hash != std::string::npos) {
    info.identifier = rest.substr(hash + 1);
    rest.resize(hash);
  }
  if (const auto slash = rest.find('/'); slash != std::string::npos) {
    info.subrole = rest.substr(slash + 1);
    rest.resize(slash);
  }
  if (rest != "?") info.role = rest;
  return info;
}

}  // namespace quillo::testing
