// PickerView: what draws the mailbox picker's content inside its window —
// the Qt widgets on a desktop, plain text on the console. It shows a
// PickerContent as it is and hands every request a control makes to the
// picker's controller; it decides nothing itself. Keys never reach it: the
// controller takes them first (its local event monitor), so what the field
// shows is always the content's query. Main thread only.
#pragma once

#include <functional>
#include <optional>

#include "PickerContent.hpp"
#include "Platform/Geometry.hpp"

namespace quillo {

class PickerView {
 public:
  virtual ~PickerView() = default;
  /// Draws the content (again).
  virtual void display(const PickerContent& content) = 0;
  /// The size the drawn content asks for; none before the first draw. The
  /// same for every content (see PickerContent).
  virtual std::optional<platform::Size> fittingSize() const = 0;

  /// Set by the controller; called with each request a control makes.
  void setOnRequest(std::function<void(const PickerRequest&)> hook) {
    onRequest_ = std::move(hook);
  }

 protected:
  void makeRequest(const PickerRequest& request) const {
    if (onRequest_) onRequest_(request);
  }

 private:
  std::function<void(const PickerRequest&)> onRequest_;
};

}  // namespace quillo
