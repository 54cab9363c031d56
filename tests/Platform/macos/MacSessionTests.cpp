// Quillo as a whole through the macOS adapters: the CF objects it holds stay
// the same in number however many keys it handles, so a long session does
// not grow, and none are left once it ends.
#include <gtest/gtest.h>

#include "MacShim/Attach.hpp"
#include "QuilloFixture.hpp"

namespace quillo {
namespace {

struct Counts {
  std::size_t afterWarmUp;
  std::size_t afterMany;
};

Counts pressing(const std::string& key, int warmUp, int many) {
  testing::TempHome home;
  auto options = testing::testSessionOptions();
  options.macAdapters = true;
  simulated::Session session(options);
  session.mac().permissions.accessibility = true;
  session.user().openMail();
  session.start();
  session.manualLoop()->runUntilIdle();
  EXPECT_TRUE(session.controller().tap().isInstalled());
  for (int i = 0; i < warmUp; ++i)
    session.user().press(key);
  const std::size_t afterWarmUp = macshim::liveObjectCount();
  for (int i = 0; i < many; ++i)
    session.user().press(key);
  return {afterWarmUp, macshim::liveObjectCount()};
}

TEST(MacAdapterSession, HandlingKeysHoldsNoMoreObjectsOverTime) {
  for (const char* key : {"j", "k", "x", "cmd+shift+e"}) {
    const std::size_t before = macshim::liveObjectCount();
    const Counts counts = pressing(key, 5, 200);
    EXPECT_GT(counts.afterWarmUp, before) << key;  // the tap, its source, cached elements
    EXPECT_EQ(counts.afterMany, counts.afterWarmUp) << key;
    EXPECT_EQ(macshim::liveObjectCount(), before) << key << ": left behind by the session";
  }
}

}  // namespace
}  // namespace quillo
