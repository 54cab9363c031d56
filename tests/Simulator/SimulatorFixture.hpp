// The simulated Mac on its own, as Quillo's code meets it: a fixture with
// Mail open and Accessibility granted, a recording event tap, and
// accessibility reads that must succeed.
#pragma once

#include <gtest/gtest.h>

#include "SimulatedMacFixture.hpp"
#include "Simulator/USKeyboard.hpp"

namespace quillo::sim::testing {

using namespace platform;
using Place = MailApp::Place;

class SimulatorTest : public quillo::testing::SimulatedMacTest {
 protected:
  void SetUp() override {
    user.openMail();
    mac.permissions.accessibility = true;
  }

  /// A session tap that records what it sees and drops the keys in `dropped`.
  struct RecordingTap {
    std::vector<std::string> seen;
    std::vector<std::uint16_t> dropped;
    std::vector<EventType> notices;

    static Event* callback(EventTapProxy, EventType type, Event* event, void* userInfo) {
      auto* self = static_cast<RecordingTap*>(userInfo);
      if (type != EventType::keyDown && type != EventType::keyUp) {
        self->notices.push_back(type);
        return event;
      }
      const auto code =
          static_cast<std::uint16_t>(event->integerValueField(EventField::keyboardEventKeycode));
      self->seen.push_back((type == EventType::keyDown ? "down " : "up ") +
                           USKeyboard::keyName(code));
      for (auto drop : self->dropped) {
        if (drop == code) return nullptr;
      }
      return event;
    }
  };

  /// A session tap for key-downs and key-ups, on the main run loop.
  template <typename Tap>
  MachPort installTap(Tap& tap) {
    const auto port = mac.windowServer().tapCreate(
        EventTapLocation::session, EventTapPlacement::headInsert, EventTapOptions::defaultTap,
        eventMaskBit(EventType::keyDown) | eventMaskBit(EventType::keyUp), &Tap::callback, &tap);
    EXPECT_TRUE(port.has_value());
    mac.windowServer().runLoopAddSource(mac.windowServer().machPortCreateRunLoopSource(*port));
    return *port;
  }

  CFValue read(const AXUIElement& element, std::string_view attribute) {
    CFValue value;
    EXPECT_EQ(mac.accessibility().copyAttributeValue(element, attribute, value), AXError::success)
        << attribute << " of element " << element.pid << ":" << element.element;
    return value;
  }
};

}  // namespace quillo::sim::testing
