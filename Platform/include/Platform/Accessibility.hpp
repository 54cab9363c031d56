// Accessibility: the AX API — reading other applications' user interface
// and pressing their controls.
//
// Mirrors the C calls (AXIsProcessTrusted, AXUIElementCreateApplication,
// AXUIElementCopyAttributeValue, …) with attribute and action names as
// strings and the same AXError codes. An element is a small value that
// compares equal when it stands for the same user-interface element (the
// CFEqual identity); attribute values are the handful of Core Foundation
// types the application reads. Every call is synchronous and bounded by the
// messaging time-out: the element's own when set, else the process-wide one
// (set on the system-wide element). Main thread only.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

namespace quillo::platform {

enum class AXError : std::int32_t {
  success = 0,
  failure = -25200,
  illegalArgument = -25201,
  invalidUIElement = -25202,
  invalidUIElementObserver = -25203,
  cannotComplete = -25204,
  attributeUnsupported = -25205,
  actionUnsupported = -25206,
  notificationUnsupported = -25207,
  notImplemented = -25208,
  notificationAlreadyRegistered = -25209,
  notificationNotRegistered = -25210,
  apiDisabled = -25211,
  noValue = -25212,
  parameterizedAttributeUnsupported = -25213,
  notEnoughPrecision = -25214,
};

/// AXUIElementRef: identity is (process, element). Two references to the
/// same element compare equal (CFEqual) yet are different objects: each has
/// its own messaging time-out, so `instance` tells them apart and takes no
/// part in the comparison. `reference` is whatever the implementation that
/// handed the element out keeps alive with it (on a Mac, the retained
/// AXUIElementRef), shared by copies and let go with the last one; it takes
/// no part in the comparison either, and only that implementation reads it.
struct AXUIElement {
  pid_t pid = 0;
  std::uint64_t element = 0;
  std::uint64_t instance = 0;
  std::shared_ptr<const void> reference = nullptr;
  bool operator==(const AXUIElement& other) const {  // CFEqual
    return pid == other.pid && element == other.element;
  }
};

/// The value that stands in an array from AXUIElementCopyMultipleAttributeValues
/// for an attribute that could not be read (an AXValue of kAXValueTypeAXError).
struct AXValueError {
  AXError error = AXError::failure;
  bool operator==(const AXValueError&) const = default;
};

/// A Core Foundation value as far as the application reads them.
struct CFValue {
  using Array = std::vector<CFValue>;
  std::variant<std::monostate, bool, std::int64_t, double, std::string, AXUIElement, Array,
               AXValueError>
      value;

  CFValue() = default;
  template <class T>
  requires(!std::is_same_v<std::remove_cvref_t<T>, CFValue>) CFValue(T v)
      : value(std::move(v)) {}  // NOLINT: implicit, as CF values are
  CFValue(const char* text) : value(std::string(text)) {}

  /// The value when it is of type T (CFGetTypeID against T's type id).
  template <class T>
  const T* get() const noexcept {
    return std::get_if<T>(&value);
  }
  bool operator==(const CFValue&) const = default;
};

class Accessibility {
 public:
  virtual ~Accessibility() = default;

  /// AXIsProcessTrusted: never prompts.
  virtual bool isProcessTrusted() const = 0;
  /// AXIsProcessTrustedWithOptions with kAXTrustedCheckOptionPrompt.
  virtual bool isProcessTrustedWithOptions(bool prompt) = 0;

  virtual AXUIElement createSystemWide() = 0;
  virtual AXUIElement createApplication(pid_t pid) = 0;
  /// AXUIElementSetMessagingTimeout; on the system-wide element it sets the
  /// time-out for every element without one of its own. It holds for this
  /// reference only: another reference to the same element, even one
  /// created for the same application, keeps the process-wide time-out.
  virtual AXError setMessagingTimeout(const AXUIElement& element, float seconds) = 0;

  virtual AXError copyAttributeValue(const AXUIElement& element, std::string_view attribute,
                                     CFValue& value) = 0;
  /// AXUIElementCopyMultipleAttributeValues: `values` becomes an array with
  /// one entry per attribute, an AXValueError where one could not be read.
  virtual AXError copyMultipleAttributeValues(const AXUIElement& element,
                                              const std::vector<std::string>& attributes,
                                              std::uint32_t options, CFValue& values) = 0;
  /// AXUIElementGetPid: no messaging.
  virtual AXError getPid(const AXUIElement& element, pid_t& pid) const = 0;
  virtual AXError performAction(const AXUIElement& element, std::string_view action) = 0;
};

}  // namespace quillo::platform
