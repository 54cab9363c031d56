// A simulated Mac on the virtual-time main loop, with a user at it, for
// deterministic tests. Requests that take time move the virtual clock.
#pragma once

#include <gtest/gtest.h>

#include "Platform/linux/ManualMainLoop.hpp"
#include "Simulator/SimulatedMac.hpp"
#include "Simulator/User.hpp"

namespace quillo::testing {

class SimulatedMacTest : public ::testing::Test {
 protected:
  platform::ManualMainLoop loop;
  sim::SimulatedMac mac{loop, [this](platform::Duration d) { loop.elapse(d); }};
  sim::User user{mac, [this] { loop.runUntilIdle(); },
                 [this](platform::Duration d) { loop.advance(d); }};
};

}  // namespace quillo::testing
