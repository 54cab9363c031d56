#import <Foundation/Foundation.h>
#include <os/log.h>

#include "MacFoundationServices.hpp"

#include <map>
#include <string>

#include "MacBridging.h"

namespace quillo::platform::mac {

namespace {

std::filesystem::path userFolder(NSSearchPathDirectory directory) {
  NSURL* url = [[[NSFileManager defaultManager] URLsForDirectory:directory
                                                       inDomains:NSUserDomainMask] firstObject];
  return toStdString([url path]);
}

os_log_type_t toLogType(LogLevel level) {
  switch (level) {
    case LogLevel::debug:
      return OS_LOG_TYPE_DEBUG;
    case LogLevel::info:
      return OS_LOG_TYPE_INFO;
    case LogLevel::default_:
      return OS_LOG_TYPE_DEFAULT;
    case LogLevel::error:
      return OS_LOG_TYPE_ERROR;
  }
  return OS_LOG_TYPE_DEFAULT;
}

}  // namespace

// MARK: - Paths

std::filesystem::path MacPaths::applicationSupport() const {
  return userFolder(NSApplicationSupportDirectory);
}

std::filesystem::path MacPaths::logs() const {
  return userFolder(NSLibraryDirectory) / "Logs";
}

std::filesystem::path MacPaths::home() const {
  return toStdString(NSHomeDirectory());
}

// MARK: - User defaults

DefaultValue MacUserDefaults::value(std::string_view key) const {
  id object = [[NSUserDefaults standardUserDefaults] objectForKey:toNSString(key)];
  if (object == nil) return std::monostate{};
  // Booleans read from a property list are the two shared boolean numbers
  // (kCFBooleanTrue and kCFBooleanFalse); any other number is a number.
  if (object == [NSNumber numberWithBool:YES]) return true;
  if (object == [NSNumber numberWithBool:NO]) return false;
  if ([object isKindOfClass:[NSNumber class]]) return [(NSNumber*)object doubleValue];
  if ([object isKindOfClass:[NSString class]]) return toStdString((NSString*)object);
  return OtherDefaultValue{};
}

void MacUserDefaults::set(std::string_view key, bool value) {
  [[NSUserDefaults standardUserDefaults] setBool:value forKey:toNSString(key)];
}

void MacUserDefaults::set(std::string_view key, std::string value) {
  [[NSUserDefaults standardUserDefaults] setObject:toNSString(value) forKey:toNSString(key)];
}

void MacUserDefaults::remove(std::string_view key) {
  [[NSUserDefaults standardUserDefaults] removeObjectForKey:toNSString(key)];
}

// MARK: - System log

struct MacSystemLog::Logs {
  std::map<std::string, os_log_t, std::less<>> byCategory;
};

MacSystemLog::MacSystemLog() : logs_(std::make_unique<Logs>()) {}
MacSystemLog::~MacSystemLog() = default;

void MacSystemLog::write(std::string_view category, LogLevel level, std::string_view message) {
  auto found = logs_->byCategory.find(category);
  if (found == logs_->byCategory.end()) {
    const std::string subsystem(logSubsystem);
    const std::string name(category);
    found = logs_->byCategory.emplace(name, os_log_create(subsystem.c_str(), name.c_str())).first;
  }
  const std::string text(message);
  os_log_with_type(found->second, toLogType(level), "%{public}s", text.c_str());
}

// MARK: - Bundle

std::optional<std::filesystem::path> MacBundle::resource(std::string_view name) const {
  NSString* path = [[NSBundle mainBundle] pathForResource:toNSString(name) ofType:nil];
  if (path == nil) return std::nullopt;
  return std::filesystem::path(toStdString(path));
}

std::string MacBundle::shortVersion() const {
  id version = [[NSBundle mainBundle] objectForInfoDictionaryKey:@"CFBundleShortVersionString"];
  return [version isKindOfClass:[NSString class]] ? toStdString((NSString*)version) : std::string();
}

}  // namespace quillo::platform::mac
