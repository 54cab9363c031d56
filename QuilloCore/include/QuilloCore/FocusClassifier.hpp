// FocusClassifier: turns a focus snapshot into a FocusContext under a policy.
//
// Pure and total: no snapshot gives `unknown`, anything unrecognised gives
// `other`. Makes no system calls; safe from any thread.
#pragma once

#include <optional>

#include "QuilloCore/Export.hpp"
#include "QuilloCore/FocusContext.hpp"
#include "QuilloCore/FocusPolicy.hpp"
#include "QuilloCore/FocusSnapshot.hpp"

namespace quillo::FocusClassifier {

QUILLO_CORE_EXPORT FocusContext classify(const FocusSnapshot& snapshot, const FocusPolicy& policy);

inline FocusContext classify(const std::optional<FocusSnapshot>& snapshot,
                             const FocusPolicy& policy) {
  return snapshot ? classify(*snapshot, policy) : FocusContext::unknown;
}

}  // namespace quillo::FocusClassifier
