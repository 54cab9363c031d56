#import <AppKit/AppKit.h>

#include "MacApplication.hpp"

#include "MacBridging.h"

namespace quillo::platform::mac {

namespace {

NSApplicationActivationPolicy toNSPolicy(ActivationPolicy policy) {
  switch (policy) {
    case ActivationPolicy::regular:
      return NSApplicationActivationPolicyRegular;
    case ActivationPolicy::accessory:
      return NSApplicationActivationPolicyAccessory;
    case ActivationPolicy::prohibited:
      return NSApplicationActivationPolicyProhibited;
  }
  return NSApplicationActivationPolicyAccessory;
}

NSMenuItem* toNSMenuItem(const MainMenuItem& item) {
  if (item.title.empty()) return (NSMenuItem*)[NSMenuItem separatorItem];
  const unichar character = static_cast<unichar>(item.key);
  NSString* key = item.key ? [NSString stringWithCharacters:&character length:1] : @"";
  NSMenuItem* result =
      [[NSMenuItem alloc] initWithTitle:toNSString(item.title)
                                 action:NSSelectorFromString(toNSString(item.action))
                          keyEquivalent:key];
  // EventFlags and NSEventModifierFlags share their bits.
  [result setKeyEquivalentModifierMask:static_cast<NSEventModifierFlags>(item.modifiers)];
  return result;
}

}  // namespace

pid_t MacApplication::processIdentifier() const {
  return [[NSRunningApplication currentApplication] processIdentifier];
}

void MacApplication::setActivationPolicy(ActivationPolicy policy) {
  [[NSApplication sharedApplication] setActivationPolicy:toNSPolicy(policy)];
}

void MacApplication::setMainMenu(std::vector<MainMenuTitle> menus) {
  NSMenu* mainMenu = [[NSMenu alloc] initWithTitle:@""];
  for (const MainMenuTitle& menu : menus) {
    NSString* title = toNSString(menu.title);
    NSMenuItem* top = [[NSMenuItem alloc] initWithTitle:title action:NULL keyEquivalent:@""];
    NSMenu* submenu = [[NSMenu alloc] initWithTitle:title];
    for (const MainMenuItem& item : menu.items)
      [submenu addItem:toNSMenuItem(item)];
    [top setSubmenu:submenu];
    [mainMenu addItem:top];
  }
  [[NSApplication sharedApplication] setMainMenu:mainMenu];
}

void MacApplication::activate() {
  // activate supersedes activateIgnoringOtherApps: from macOS 14 on.
  if (@available(macOS 14.0, *)) {
    [[NSApplication sharedApplication] activate];
  } else {
    [[NSApplication sharedApplication] activateIgnoringOtherApps:YES];
  }
}

int MacApplication::runModal(const Alert& alert) {
  NSAlert* panel = [[NSAlert alloc] init];
  [panel setMessageText:toNSString(alert.messageText)];
  [panel setInformativeText:toNSString(alert.informativeText)];
  for (const std::string& button : alert.buttons)
    [panel addButtonWithTitle:toNSString(button)];
  return static_cast<int>([panel runModal]);
}

void MacApplication::terminate() {
  [[NSApplication sharedApplication] terminate:nil];
}

}  // namespace quillo::platform::mac
