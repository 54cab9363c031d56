#include "MacActionTarget.h"

@implementation QLOActionTarget {
  void (^_block)(id);
}

- (instancetype)initWithBlock:(void (^)(id sender))block {
  if ((self = [super init])) _block = [block copy];
  return self;
}

- (void)perform:(id)sender {
  if (_block) _block(sender);
}

@end
