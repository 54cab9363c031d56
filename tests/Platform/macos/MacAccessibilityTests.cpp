// The Accessibility adapter over the MacShim, for what a Mac answers: the
// AXError codes passed through unchanged (time-outs, the API disabled, an
// element of a quit Mail, no value, a missing attribute), CF values
// converted to the seam's, element identity by CFEqual, time-outs per
// reference, and ownership that leaves nothing behind.
#include <gtest/gtest.h>

#include <functional>

#include "MacShimFixture.hpp"
#include "Platform/macos/MacAccessibility.hpp"

namespace quillo {
namespace {

using namespace platform;

class MacAccessibilityTest : public testing::MacShimTest {
 protected:
  void releaseAdapters() override {
    values.clear();
    ax.reset();
  }

  Accessibility& adapter() { return *ax; }
  AXUIElement application() { return ax->createApplication(mail->pid()); }
  AXUIElement read(const AXUIElement& element, std::string_view attribute) {
    CFValue value;
    EXPECT_EQ(ax->copyAttributeValue(element, attribute, value), AXError::success) << attribute;
    const auto* found = value.get<AXUIElement>();
    return found ? *found : AXUIElement{};
  }
  AXUIElement focused() { return read(application(), "AXFocusedUIElement"); }

  std::unique_ptr<Accessibility> ax = std::make_unique<macos::MacAccessibility>();
  std::vector<CFValue> values;  // kept past a test's checks
};

struct ErrorCase {
  const char* what;
  std::function<void(sim::SimulatedMac&)> fault;
  bool ofFocusedElement;  // else of the application
  const char* attribute;
  AXError expected;
};

TEST_F(MacAccessibilityTest, ErrorsPassThroughUnchanged) {
  const ErrorCase cases[] = {
      {"a plain read", nullptr, false, "AXRole", AXError::success},
      {"an attribute the application lacks", nullptr, false, "AXIdentifier",
       AXError::attributeUnsupported},
      {"an attribute nobody has", nullptr, true, "AXNoSuchThing", AXError::attributeUnsupported},
      {"a table without a subrole", nullptr, true, "AXSubrole", AXError::noValue},
      {"the permission revoked", [](sim::SimulatedMac& m) { m.permissions.accessibility = false; },
       false, "AXRole", AXError::apiDisabled},
      {"Mail slower than the time-out", [](sim::SimulatedMac& m) { m.mail()->latency = 7.0; },
       false, "AXRole", AXError::cannotComplete},
      // Last: Mail is gone after it.
      {"an element of a quit Mail", [this](sim::SimulatedMac&) { user.quitMail(); }, true, "AXRole",
       AXError::invalidUIElement},
  };
  for (const auto& test : cases) {
    mac.permissions.accessibility = true;
    mail->latency = 0;
    const AXUIElement element = test.ofFocusedElement ? focused() : application();
    if (test.fault) test.fault(mac);
    CFValue value;
    EXPECT_EQ(ax->copyAttributeValue(element, test.attribute, value), test.expected) << test.what;
  }
}

TEST_F(MacAccessibilityTest, TheTimeOutSetOnOneReferenceHoldsForItAlone) {
  const AXUIElement hurried = application();
  const AXUIElement patient = application();
  ASSERT_EQ(ax->setMessagingTimeout(hurried, 0.1f), AXError::success);
  mail->latency = 0.3;
  const auto started = loop.now();
  CFValue value;
  EXPECT_EQ(ax->copyAttributeValue(hurried, "AXRole", value), AXError::cannotComplete);
  EXPECT_NEAR(std::chrono::duration<double>(loop.now() - started).count(), 0.1, 1e-6);
  EXPECT_EQ(ax->copyAttributeValue(patient, "AXRole", value), AXError::success);
  EXPECT_EQ(value, CFValue("AXApplication"));
}

TEST_F(MacAccessibilityTest, TheProcessWideTimeOutIsSetOnTheSystemWideElement) {
  ASSERT_EQ(ax->setMessagingTimeout(ax->createSystemWide(), 0.25f), AXError::success);
  EXPECT_FLOAT_EQ(mac.accessibility().globalTimeout(), 0.25f);
  mail->latency = 0.3;
  CFValue value;
  EXPECT_EQ(ax->copyAttributeValue(application(), "AXRole", value), AXError::cannotComplete);
}

TEST_F(MacAccessibilityTest, ReferencesToOneElementCompareEqual) {
  const AXUIElement first = focused();
  const AXUIElement again = focused();
  EXPECT_EQ(first, again);
  EXPECT_NE(first.instance, again.instance);
  EXPECT_EQ(application(), application());
  EXPECT_FALSE(first == application());
  EXPECT_EQ(read(first, "AXParent"), read(again, "AXParent"));
}

TEST_F(MacAccessibilityTest, ValuesBecomeTheSeamsValues) {
  const AXUIElement table = focused();
  CFValue value;
  ASSERT_EQ(ax->copyAttributeValue(table, "AXIdentifier", value), AXError::success);
  EXPECT_EQ(value, CFValue("Mail.messageList"));
  ASSERT_EQ(ax->copyAttributeValue(table, "AXFocused", value), AXError::success);
  EXPECT_EQ(value, CFValue(true));
  ASSERT_EQ(ax->copyAttributeValue(table, "AXChildren", value), AXError::success);
  const auto* rows = value.get<CFValue::Array>();
  ASSERT_NE(rows, nullptr);
  ASSERT_FALSE(rows->empty());
  ASSERT_NE((*rows)[0].get<AXUIElement>(), nullptr);
  EXPECT_EQ(read(*(*rows)[0].get<AXUIElement>(), "AXParent"), table);
}

TEST_F(MacAccessibilityTest, SeveralAttributesAtOnceMarkTheUnreadableOnes) {
  CFValue values;
  ASSERT_EQ(ax->copyMultipleAttributeValues(focused(), {"AXRole", "AXSubrole", "AXIdentifier"}, 0,
                                            values),
            AXError::success);
  EXPECT_EQ(values,
            CFValue(CFValue::Array{"AXTable", AXValueError{AXError::noValue}, "Mail.messageList"}));
}

TEST_F(MacAccessibilityTest, TheProcessOfAnElement) {
  pid_t pid = 0;
  EXPECT_EQ(ax->getPid(focused(), pid), AXError::success);
  EXPECT_EQ(pid, mail->pid());
  EXPECT_EQ(ax->getPid(ax->createSystemWide(), pid), AXError::illegalArgument);
}

TEST_F(MacAccessibilityTest, AnElementNotHandedOutByTheAdapterIsRefused) {
  CFValue value;
  EXPECT_EQ(ax->copyAttributeValue(AXUIElement{mail->pid(), 1, 0}, "AXRole", value),
            AXError::illegalArgument);
}

TEST_F(MacAccessibilityTest, AskingForTrustPromptsOnlyWhenAskedTo) {
  mac.permissions.accessibility = false;
  EXPECT_FALSE(ax->isProcessTrusted());
  EXPECT_FALSE(ax->isProcessTrustedWithOptions(false));
  EXPECT_TRUE(mac.permissions.prompts.empty());
  EXPECT_FALSE(ax->isProcessTrustedWithOptions(true));
  EXPECT_EQ(mac.permissions.prompts, std::vector<std::string>{"Accessibility"});
}

TEST_F(MacAccessibilityTest, ElementsLiveAsLongAsTheirValues) {
  const std::size_t before = macshim::liveObjectCount();
  {
    const AXUIElement table = focused();
    values.push_back(table);
    EXPECT_GT(macshim::liveObjectCount(), before);
  }
  values.clear();
  EXPECT_EQ(macshim::liveObjectCount(), before);
  // Reading the same element a thousand times holds nothing once the values go.
  for (int i = 0; i < 1000; ++i)
    focused();
  EXPECT_EQ(macshim::liveObjectCount(), before);
}

}  // namespace
}  // namespace quillo
