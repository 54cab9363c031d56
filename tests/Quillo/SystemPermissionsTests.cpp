#include <gtest/gtest.h>

#include "SimulatedMacFixture.hpp"
#include "SystemPermissions.hpp"

namespace quillo {
namespace {

using SystemPermissionsTest = testing::SimulatedMacTest;
using sim::SimulatedMac;

TEST_F(SystemPermissionsTest, PermissionsReadWithoutPromptingAndRequestsAreRecorded) {
  mac.permissions = {};
  SystemPermissions permissions(mac.accessibility(), mac.windowServer());
  EXPECT_EQ(permissions.state(), (PermissionState{false, false}));
  mac.permissions.inputMonitoring = true;
  EXPECT_EQ(permissions.state(), (PermissionState{false, true}));
  EXPECT_TRUE(mac.permissions.prompts.empty());
  permissions.requestAccessibility();
  permissions.requestInputMonitoring();
  EXPECT_EQ(mac.permissions.prompts,
            (std::vector<std::string>{"Accessibility", "Input Monitoring"}));
}

TEST_F(SystemPermissionsTest, FixOperationsAskAndOpenTheirPages) {
  mac.permissions = {};
  SystemPermissions permissions(mac.accessibility(), mac.windowServer());
  auto& opener = mac.workspace();
  fixAccessibility(permissions, opener);
  EXPECT_EQ(mac.permissions.prompts, std::vector<std::string>{"Accessibility"});
  EXPECT_EQ(opener.openedURLs.back(),
            "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility");
  bool asked = false;
  fixInputMonitoring(permissions, opener, asked);
  fixInputMonitoring(permissions, opener, asked);
  EXPECT_TRUE(asked);
  EXPECT_EQ(mac.permissions.prompts,
            (std::vector<std::string>{"Accessibility", "Input Monitoring"}));
  EXPECT_EQ(opener.openedURLs.size(), 3u);
  EXPECT_EQ(opener.openedURLs.back(),
            "x-apple.systempreferences:com.apple.preference.security?Privacy_ListenEvent");
  loop.runUntilIdle();
  EXPECT_EQ(mac.workspace().frontmostApplication()->bundleIdentifier,
            SimulatedMac::settingsBundleID);
}

}  // namespace
}  // namespace quillo
