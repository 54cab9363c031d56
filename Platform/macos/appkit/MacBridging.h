// MacBridging: the one converter between Foundation's values and ours —
// strings (UTF-8) and rectangles (AppKit's screen coordinates are ours
// already). Objective-C++ only: included by the .mm adapters, never by C++.
// Cheap, pure.
#pragma once

#ifndef __OBJC__
#error "MacBridging.h is for Objective-C++ files"
#endif

#import <Foundation/Foundation.h>

#include <string>
#include <string_view>

#include "Platform/Geometry.hpp"

namespace quillo::platform::mac {

/// nil reads as the empty string.
inline std::string toStdString(NSString* text) {
  if (text == nil) return {};
  const char* utf8 = [text UTF8String];
  return utf8 ? std::string(utf8) : std::string();
}

/// Never nil: AppKit raises an exception for a nil title or key
/// equivalent, so text that is not UTF-8 becomes the empty string.
inline NSString* toNSString(std::string_view text) {
  NSString* result = [[NSString alloc] initWithBytes:text.data()
                                              length:text.size()
                                            encoding:NSUTF8StringEncoding];
  return result ? result : @"";
}

inline Rect toRect(NSRect rect) {
  return Rect{rect.origin.x, rect.origin.y, rect.size.width, rect.size.height};
}

inline NSRect toNSRect(Rect rect) {
  return NSMakeRect(rect.x, rect.y, rect.width, rect.height);
}

}  // namespace quillo::platform::mac
