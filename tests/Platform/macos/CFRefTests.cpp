// CFRef, the adapters' one owned CoreFoundation reference: adopting takes
// over the Create/Copy reference, retaining takes one of its own, copies
// retain, moves do not, and each holder lets go exactly once.
#include "CFRef.hpp"

#include <vector>

#include "MacShimFixture.hpp"

namespace quillo::platform::macos {
namespace {

using CFRefTest = testing::MacShimTest;

CFStringRef makeString() {
  const UniChar units[] = {u'A', u'X'};
  return CFStringCreateWithCharacters(kCFAllocatorDefault, units, 2);
}

TEST_F(CFRefTest, AdoptingTakesOverTheCreatedReferenceAndRetainingTakesOneOfItsOwn) {
  CFStringRef borrowed = makeString();
  {
    const auto adopted = CFRef<CFStringRef>::adopt(makeString());
    EXPECT_EQ(CFGetRetainCount(adopted.get()), 1);
    const auto held = CFRef<CFStringRef>::retain(borrowed);
    EXPECT_EQ(CFGetRetainCount(borrowed), 2);
  }
  EXPECT_EQ(CFGetRetainCount(borrowed), 1);
  EXPECT_EQ(macshim::liveObjectCount(), liveBefore + 1);
  CFRelease(borrowed);
}

TEST_F(CFRefTest, CopiesRetainAndMovesHandOver) {
  auto first = CFRef<CFStringRef>::adopt(makeString());
  std::vector<CFRef<CFStringRef>> copies(3, first);
  EXPECT_EQ(CFGetRetainCount(first.get()), 4);
  const auto moved = std::move(first);
  EXPECT_FALSE(first);
  EXPECT_EQ(CFGetRetainCount(moved.get()), 4);
  copies.clear();
  EXPECT_EQ(CFGetRetainCount(moved.get()), 1);
}

TEST_F(CFRefTest, AssigningLetsGoOfWhatWasHeld) {
  auto held = CFRef<CFStringRef>::adopt(makeString());
  held = CFRef<CFStringRef>::adopt(makeString());
  EXPECT_EQ(macshim::liveObjectCount(), liveBefore + 1);
  held = {};
  EXPECT_EQ(macshim::liveObjectCount(), liveBefore);
  // Null stays empty.
  EXPECT_FALSE(CFRef<CFStringRef>::adopt(nullptr));
  EXPECT_FALSE(CFRef<CFStringRef>::retain(nullptr));
}

}  // namespace
}  // namespace quillo::platform::macos
