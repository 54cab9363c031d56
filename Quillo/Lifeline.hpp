// Lifeline: how callbacks refer back to their owner without keeping it alive
// or dangling.
//
// An object holds a Lifeline to itself; callbacks capture `weak()` instead of
// `this` and reach the object only while it exists. Once the object (and
// with it the lifeline) is destroyed, the callbacks find nothing and do
// nothing. Main thread only.
#pragma once

#include <memory>

namespace quillo {

template <class T>
class Lifeline {
 public:
  explicit Lifeline(T* owner) : self_(std::make_shared<T*>(owner)) {}
  Lifeline(const Lifeline&) = delete;
  Lifeline& operator=(const Lifeline&) = delete;

  std::weak_ptr<T*> weak() const { return self_; }

  /// The owner, if it still exists.
  static T* lock(const std::weak_ptr<T*>& weak) {
    const auto strong = weak.lock();
    return strong ? *strong : nullptr;
  }

 private:
  std::shared_ptr<T*> self_;
};

}  // namespace quillo
