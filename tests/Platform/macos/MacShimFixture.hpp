// A simulated Mac with Mail in front and Accessibility granted, the MacShim
// attached to it, and a check that every CF object a test made was let go:
// the count of live objects after the test is the count before.
#pragma once

#include <gtest/gtest.h>

#include <optional>

#include "MacShim/Attach.hpp"
#include "SimulatedMacFixture.hpp"

namespace quillo::testing {

class MacShimTest : public SimulatedMacTest {
 protected:
  void SetUp() override {
    mac.permissions.accessibility = true;
    mail = &user.openMail();
    liveBefore = macshim::liveObjectCount();
  }
  void TearDown() override {
    releaseAdapters();
    EXPECT_EQ(macshim::liveObjectCount(), liveBefore) << "CF objects were leaked or over-freed";
  }
  /// Lets go of whatever a fixture holds through the adapters.
  virtual void releaseAdapters() {}

  std::optional<macshim::Attachment> shim{std::in_place, mac};
  sim::MailApp* mail = nullptr;
  std::size_t liveBefore = 0;
};

}  // namespace quillo::testing
