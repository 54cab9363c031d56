// FunctionRef: a non-owning reference to something callable.
//
// Lets a hot function take a callback without the allocation or indirection
// of std::function. The referenced callable must outlive the call it is
// passed to; a FunctionRef is never stored.
#pragma once

#include <memory>
#include <type_traits>
#include <utility>

namespace quillo {

template <class Signature>
class FunctionRef;

template <class R, class... Args>
class FunctionRef<R(Args...)> {
 public:
  template <class F>
  requires(!std::is_same_v<std::remove_cvref_t<F>, FunctionRef> &&
           std::is_invocable_r_v<R, F&, Args...>) FunctionRef(F&& callable)
  noexcept  // NOLINT: implicit by design
      : object_(const_cast<void*>(static_cast<const void*>(std::addressof(callable)))),
        invoke_([](void* object, Args... args) -> R {
          return (*static_cast<std::remove_reference_t<F>*>(object))(std::forward<Args>(args)...);
        }) {}

  R operator()(Args... args) const { return invoke_(object_, std::forward<Args>(args)...); }

 private:
  void* object_;
  R (*invoke_)(void*, Args...);
};

}  // namespace quillo
