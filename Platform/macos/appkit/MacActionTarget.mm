#include "MacActionTarget.h"

@implementation QLOActionTarget {
  void (^_block)(id);
}

- (instancetype)initWithBlock:(void (^)(id sender))block {
  if ((self = [super init])) _block = [block copy];
  return self;
}

- (void)perform:(id)sender {
  // Held here: the action may release this target (a menu rebuilt), and
  // the block must outlive its own call.
  void (^block)(id) = _block;
  if (block) block(sender);
}

@end
