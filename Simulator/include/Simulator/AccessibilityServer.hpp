// AccessibilityServer: the simulated Mac's accessibility API.
//
// Answers attribute reads and actions on the system-wide element, on
// application elements and on the nodes of each application's tree, with the
// AXError codes of the real API: kAXErrorAPIDisabled while the process is not
// trusted, kAXErrorInvalidUIElement for elements of a quit application,
// kAXErrorNoValue / kAXErrorAttributeUnsupported for missing attributes, and
// kAXErrorCannotComplete when the application takes longer than the messaging
// time-out (the call then blocks for the time-out). Pressing a menu item whose
// command is slow or runs a modal sheet does what a Mac does: the command
// runs, but the application does not answer the AXPress until it is done, so
// the call blocks for the time-out and fails with kAXErrorCannotComplete.
// Every element it hands out (created, or read from an attribute) is a new
// reference with a time-out of its own, unset until the caller sets it, as
// on a Mac. Counts every round trip
// (attribute read, multiple-attribute read, action) per process.
#pragma once

#include <map>
#include <memory>
#include <utility>

#include "Platform/Accessibility.hpp"

namespace quillo::sim {

class SimulatedMac;
class SimApp;
class AXNode;

class AccessibilityServer final : public platform::Accessibility {
 public:
  explicit AccessibilityServer(SimulatedMac& mac);

  bool isProcessTrusted() const override;
  bool isProcessTrustedWithOptions(bool prompt) override;
  platform::AXUIElement createSystemWide() override;
  platform::AXUIElement createApplication(pid_t pid) override;
  platform::AXError setMessagingTimeout(const platform::AXUIElement& element,
                                        float seconds) override;
  platform::AXError copyAttributeValue(const platform::AXUIElement& element,
                                       std::string_view attribute,
                                       platform::CFValue& value) override;
  platform::AXError copyMultipleAttributeValues(const platform::AXUIElement& element,
                                                const std::vector<std::string>& attributes,
                                                std::uint32_t options,
                                                platform::CFValue& values) override;
  platform::AXError getPid(const platform::AXUIElement& element, pid_t& pid) const override;
  platform::AXError performAction(const platform::AXUIElement& element,
                                  std::string_view action) override;

  /// Round trips to `pid` (0: the system-wide element) since the last reset.
  std::size_t roundTrips(pid_t pid) const;
  std::size_t totalRoundTrips() const;
  /// Time-outs set on references still held somewhere.
  std::size_t heldTimeouts() const { return timeouts_->size(); }
  void resetRoundTrips();
  /// The process-wide messaging time-out in force (macOS starts at 6 s).
  float globalTimeout() const { return globalTimeout_; }
  static constexpr float kDefaultTimeout = 6.0f;

  /// The element that stands for a node of an application, as a test names
  /// it: a reference the server never handed out, so it takes no time-out.
  static platform::AXUIElement element(pid_t pid, const AXNode& node);

 private:
  /// Checks trust, finds the app, and lets the request take its time; on
  /// success `app` is the application the element belongs to.
  platform::AXError beginRequest(const platform::AXUIElement& element, SimApp*& app);
  /// The messaging time-out of a request to `element`, in seconds.
  double timeoutFor(const platform::AXUIElement& element) const;
  platform::AXError readAttribute(const platform::AXUIElement& target, SimApp* app,
                                  std::string_view attribute, platform::CFValue& value);

  /// A new reference to the element (or to every element in the value).
  platform::AXUIElement handOut(platform::AXUIElement element);
  void handOut(platform::CFValue& value);

  SimulatedMac& mac_;
  float globalTimeout_ = kDefaultTimeout;
  std::uint64_t nextInstance_ = 1;
  /// By reference (instance); an entry goes when the last copy of its
  /// reference does, as a released CF object's time-out goes with it.
  std::shared_ptr<std::map<std::uint64_t, float>> timeouts_ =
      std::make_shared<std::map<std::uint64_t, float>>();
  std::map<pid_t, std::size_t> roundTrips_;
};

}  // namespace quillo::sim
