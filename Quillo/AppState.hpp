// AppState: the app controller's state as plain values — the status the user
// interface shows, the result of the last attempt to install the event tap,
// and the privacy permissions — so that what shows them needs nothing of
// the controller itself.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "QuilloCore/RawValueEnum.hpp"

namespace quillo {

/// What the user interface shows; the first that applies, in this order.
/// `keysHidden`: Mail is in front and shortcuts are on, but another
/// application's secure keyboard entry hides every key from the tap.
enum class AppStatus : std::uint8_t {
  needsAccessibility,
  needsInputMonitoring,
  paused,
  waitingForMail,
  keysHidden,
  active,
};

/// The result of the last attempt to install the event tap.
struct TapFinding {
  enum class Kind : std::uint8_t { installed, failed, notAttempted };
  Kind kind = Kind::notAttempted;
  bool inputMonitoringGranted = false;  // at the time of the attempt

  static TapFinding installed(bool im) { return {Kind::installed, im}; }
  static TapFinding failed(bool im) { return {Kind::failed, im}; }
  static TapFinding notAttempted() { return {}; }
  /// "installed(inputMonitoringGranted: true)", "notAttempted", …
  std::string description() const {
    const std::string flag = inputMonitoringGranted ? "true" : "false";
    switch (kind) {
      case Kind::installed:
        return "installed(inputMonitoringGranted: " + flag + ")";
      case Kind::failed:
        return "failed(inputMonitoringGranted: " + flag + ")";
      case Kind::notAttempted:
        return "notAttempted";
    }
    return {};
  }
  bool operator==(const TapFinding& other) const {
    return kind == other.kind &&
           (kind == Kind::notAttempted || inputMonitoringGranted == other.inputMonitoringGranted);
  }
};

struct PermissionState {
  bool accessibility = false;
  bool inputMonitoring = false;
  bool operator==(const PermissionState&) const = default;
};

}  // namespace quillo

template <>
struct quillo::EnumRawValues<quillo::AppStatus> {
  static constexpr std::array<std::string_view, 6> values{
      "needsAccessibility", "needsInputMonitoring", "paused",
      "waitingForMail",     "keysHidden",           "active"};
};
