#import <AppKit/AppKit.h>

#include "MacStatusItem.hpp"

#include "MacActionTarget.h"
#include "MacBridging.h"
#include "MacMenuItemForm.hpp"
#include "MacModifierFlags.hpp"

@interface QLOMenuDelegate : NSObject <NSMenuDelegate>
- (instancetype)initWithBlock:(void (^)(NSMenu* menu))block;
@end

@implementation QLOMenuDelegate {
  void (^_block)(NSMenu*);
}

- (instancetype)initWithBlock:(void (^)(NSMenu* menu))block {
  if ((self = [super init])) _block = [block copy];
  return self;
}

- (void)menuNeedsUpdate:(NSMenu*)menu {
  void (^block)(NSMenu*) = _block;
  if (block) block(menu);
}

@end

namespace quillo::platform::mac {

namespace {

/// The image the status item shows when neither the symbol nor the app's
/// icon can be loaded: without one the item would be invisible, and with it
/// the only way to reach Quillo.
NSString* const kFallbackTitle = @"Quillo";

NSImage* symbolImage(const std::string& symbol, NSString* description) {
  if (symbol.empty()) return [NSImage imageNamed:@"MenuBarIcon"];
  return [NSImage imageWithSystemSymbolName:toNSString(symbol)
                   accessibilityDescription:description];
}

}  // namespace

struct MacStatusItem::Parts {
  NSStatusItem* item = nil;
  QLOActionTarget* clickTarget = nil;
  std::function<void(std::uint64_t)> onClick;

  Menu* menu = nullptr;
  NSMenu* nativeMenu = nil;
  QLOMenuDelegate* menuDelegate = nil;
  // Menu items hold their targets weakly; these keep them alive until the
  // items are built anew.
  NSMutableArray* itemTargets = [NSMutableArray array];

  void click() {
    NSEvent* event = [[NSApplication sharedApplication] currentEvent];
    const NSEventModifierFlags flags = event ? [event modifierFlags] : [NSEvent modifierFlags];
    // A copy: the handler may replace itself.
    const auto handler = onClick;
    if (handler) handler(deviceIndependentModifierFlags(flags));
  }

  NSMenuItem* build(const MenuItem& item) {
    bool sectionHeaders = false;
    if (@available(macOS 14.0, *)) sectionHeaders = true;
    const MenuItemForm form = menuItemForm(item, sectionHeaders);
    NSString* title = toNSString(item.title);
    switch (form.shape) {
      case MenuItemForm::Shape::separator:
        return (NSMenuItem*)[NSMenuItem separatorItem];
      case MenuItemForm::Shape::sectionHeader:
        if (@available(macOS 14.0, *)) return [NSMenuItem sectionHeaderWithTitle:title];
        break;
      case MenuItemForm::Shape::item:
        break;
    }
    NSMenuItem* result = [[NSMenuItem alloc] initWithTitle:title
                                                    action:NULL
                                             keyEquivalent:toNSString(item.keyEquivalent)];
    [result setState:form.checked ? NSControlStateValueOn : NSControlStateValueOff];
    [result setIndentationLevel:item.indentationLevel];
    if (!item.symbol.empty()) {
      [result setImage:symbolImage(item.symbol, toNSString(item.symbolDescription))];
    }
    if (form.enabled && item.action) {
      const std::function<void()> action = item.action;
      QLOActionTarget* target = [[QLOActionTarget alloc] initWithBlock:^(id) {
        action();
      }];
      [itemTargets addObject:target];
      [result setTarget:target];
      [result setAction:@selector(perform:)];
    }
    if (!item.submenu.empty()) {
      NSMenu* submenu = [[NSMenu alloc] initWithTitle:title];
      fill(submenu, item.submenu);
      [result setSubmenu:submenu];
    }
    [result setEnabled:form.enabled];
    return result;
  }

  void fill(NSMenu* target, const std::vector<MenuItem>& items) {
    [target removeAllItems];
    // Enabled states are ours: an item without an action is disabled.
    [target setAutoenablesItems:NO];
    for (const MenuItem& item : items)
      [target addItem:build(item)];
  }

  void rebuild() {
    [itemTargets removeAllObjects];
    if (menu != nullptr && nativeMenu != nil) fill(nativeMenu, menu->items);
  }
};

MacStatusItem::MacStatusItem() : parts_(std::make_unique<Parts>()) {
  Parts* parts = parts_.get();
  parts->item = [[NSStatusBar systemStatusBar] statusItemWithLength:NSVariableStatusItemLength];
  // The target lives in parts, and the button only points at it weakly; it
  // goes with the item.
  parts->clickTarget = [[QLOActionTarget alloc] initWithBlock:^(id) {
    parts->click();
  }];
  NSStatusBarButton* button = [parts->item button];
  [button setTarget:parts->clickTarget];
  [button setAction:@selector(perform:)];
  [button sendActionOn:NSEventMaskLeftMouseDown | NSEventMaskRightMouseDown];
}

MacStatusItem::~MacStatusItem() {
  NSStatusBarButton* button = [parts_->item button];
  [button setTarget:nil];
  [parts_->item setMenu:nil];
  [[NSStatusBar systemStatusBar] removeStatusItem:parts_->item];
}

void MacStatusItem::setImage(const std::string& symbol,
                             const std::string& accessibilityDescription) {
  NSString* description = toNSString(accessibilityDescription);
  NSImage* image = symbolImage(symbol, description);
  NSStatusBarButton* button = [parts_->item button];
  if (image == nil) {
    [button setImage:nil];
    [button setTitle:kFallbackTitle];
    return;
  }
  // A template image follows the menu bar's appearance (light, dark,
  // highlighted, tinted) as the system's own items do.
  [image setTemplate:YES];
  [image setAccessibilityDescription:description];
  [button setTitle:@""];
  [button setImage:image];
}

void MacStatusItem::setToolTip(const std::string& toolTip) {
  [[parts_->item button] setToolTip:toNSString(toolTip)];
}

void MacStatusItem::setAppearsDisabled(bool disabled) {
  [[parts_->item button] setAppearsDisabled:disabled];
}

void MacStatusItem::setAlphaValue(double alpha) {
  [[parts_->item button] setAlphaValue:alpha];
}

void MacStatusItem::setHighlighted(bool highlighted) {
  [[parts_->item button] highlight:highlighted];
}

Rect MacStatusItem::buttonFrameOnScreen() const {
  NSStatusBarButton* button = [parts_->item button];
  NSWindow* window = [button window];
  if (window == nil) return {};
  return toRect([window convertRectToScreen:[button convertRect:[button bounds] toView:nil]]);
}

Rect MacStatusItem::visibleFrameOfButtonScreen() const {
  NSScreen* screen = [[[parts_->item button] window] screen];
  if (screen == nil) screen = [NSScreen mainScreen];
  return screen ? toRect([screen visibleFrame]) : Rect{};
}

void MacStatusItem::setOnClick(std::function<void(std::uint64_t modifierFlags)> handler) {
  parts_->onClick = std::move(handler);
}

void MacStatusItem::setMenu(Menu* menu) {
  Parts* parts = parts_.get();
  parts->menu = menu;
  if (menu == nullptr) {
    [parts->item setMenu:nil];
    parts->nativeMenu = nil;
    parts->menuDelegate = nil;
    [parts->itemTargets removeAllObjects];
    return;
  }
  parts->nativeMenu = [[NSMenu alloc] initWithTitle:@"Quillo"];
  parts->menuDelegate = [[QLOMenuDelegate alloc] initWithBlock:^(NSMenu*) {
    if (parts->menu == nullptr) return;
    const auto needsUpdate = parts->menu->needsUpdate;
    if (needsUpdate) needsUpdate();
    parts->rebuild();
  }];
  [parts->nativeMenu setDelegate:parts->menuDelegate];
  parts->rebuild();
  [parts->item setMenu:parts->nativeMenu];
}

void* MacStatusItem::buttonWindow() const {
  return (__bridge void*)[[parts_->item button] window];
}

}  // namespace quillo::platform::mac
