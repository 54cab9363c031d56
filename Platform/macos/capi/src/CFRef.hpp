// CFRef: one owned reference to a CoreFoundation object.
//
// Apple's rule decides how a reference comes in: what a Create or Copy
// function returns is already ours (`adopt`); what a Get function returns is
// borrowed and needs a reference of our own to be kept (`retain`). Copies
// retain, destruction releases, so every reference the adapters hold is let
// go exactly once. Main thread only, like the objects it holds.
#pragma once

#include <ApplicationServices/ApplicationServices.h>

#include <utility>

namespace quillo::platform::macos {

template <class Ref>
class CFRef {
 public:
  CFRef() = default;
  /// Takes over the caller's reference (the Create/Copy rule); NULL stays empty.
  static CFRef adopt(Ref ref) noexcept { return CFRef(ref); }
  /// Takes a reference of its own to a borrowed object (the Get rule).
  static CFRef retain(Ref ref) noexcept {
    if (ref) CFRetain(ref);
    return CFRef(ref);
  }

  CFRef(const CFRef& other) noexcept : ref_(other.ref_) {
    if (ref_) CFRetain(ref_);
  }
  CFRef(CFRef&& other) noexcept : ref_(std::exchange(other.ref_, nullptr)) {}
  CFRef& operator=(CFRef other) noexcept {
    std::swap(ref_, other.ref_);
    return *this;
  }
  ~CFRef() {
    if (ref_) CFRelease(ref_);
  }

  Ref get() const noexcept { return ref_; }
  explicit operator bool() const noexcept { return ref_ != nullptr; }

 private:
  explicit CFRef(Ref ref) noexcept : ref_(ref) {}
  Ref ref_ = nullptr;
};

}  // namespace quillo::platform::macos
