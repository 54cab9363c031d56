#import <AppKit/AppKit.h>

#include "MacWorkspace.hpp"

#include "MacBridging.h"
#include "MacNotificationObserver.h"

namespace quillo::platform::mac {

namespace {

std::optional<RunningApplication> toRunningApplication(NSRunningApplication* app) {
  if (app == nil) return std::nullopt;
  RunningApplication result;
  result.processIdentifier = [app processIdentifier];
  if (NSString* bundleID = [app bundleIdentifier]) result.bundleIdentifier = toStdString(bundleID);
  result.localizedName = toStdString([app localizedName]);
  return result;
}

/// The application a workspace notification is about; none when the user
/// info lacks it or holds something else.
std::optional<RunningApplication> applicationOf(NSNotification* notification) {
  id value = [[notification userInfo] objectForKey:NSWorkspaceApplicationKey];
  if (![value isKindOfClass:[NSRunningApplication class]]) return std::nullopt;
  return toRunningApplication((NSRunningApplication*)value);
}

std::unique_ptr<NotificationObserver> observeApplications(MacNotification notification,
                                                          Workspace::Handler handler) {
  return observeNotification(notification, nil, ^(NSNotification* received) {
    handler(applicationOf(received));
  });
}

NSURL* filePath(const std::filesystem::path& path) {
  return [NSURL fileURLWithPath:toNSString(path.string())];
}

}  // namespace

std::optional<RunningApplication> MacWorkspace::frontmostApplication() const {
  return toRunningApplication([[NSWorkspace sharedWorkspace] frontmostApplication]);
}

std::vector<RunningApplication> MacWorkspace::runningApplications(std::string_view bundleID) const {
  std::vector<RunningApplication> result;
  for (NSRunningApplication* app in
       [NSRunningApplication runningApplicationsWithBundleIdentifier:toNSString(bundleID)]) {
    if (auto converted = toRunningApplication(app)) result.push_back(*converted);
  }
  return result;
}

std::unique_ptr<NotificationObserver> MacWorkspace::observeActivation(Handler handler) {
  return observeApplications(MacNotification::applicationDidActivate, std::move(handler));
}

std::unique_ptr<NotificationObserver> MacWorkspace::observeTermination(Handler handler) {
  return observeApplications(MacNotification::applicationDidTerminate, std::move(handler));
}

void MacWorkspaceOpener::openURL(const std::string& url) {
  NSURL* target = [NSURL URLWithString:toNSString(url)];
  if (target) [[NSWorkspace sharedWorkspace] openURL:target];
}

void MacWorkspaceOpener::openFile(const std::filesystem::path& path) {
  [[NSWorkspace sharedWorkspace] openURL:filePath(path)];
}

void MacWorkspaceOpener::revealInFileManager(const std::filesystem::path& path) {
  [[NSWorkspace sharedWorkspace] activateFileViewerSelectingURLs:@[ filePath(path) ]];
}

}  // namespace quillo::platform::mac
