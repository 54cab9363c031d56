// MacDispatchSource: owns a resumed Dispatch source (a timer or a vnode
// source) and cancels it once — when asked or when destroyed. After
// dispatch_source_cancel no event handler runs again on the main queue, and
// the source's cancel handler (closing a descriptor, say) runs once.
// Main thread only. ARC releases the source with the holder.
#pragma once

#include <dispatch/dispatch.h>

namespace quillo::platform::mac {

class MacDispatchSource final {
 public:
  explicit MacDispatchSource(dispatch_source_t source) : source_(source) {}
  ~MacDispatchSource() { cancel(); }
  MacDispatchSource(const MacDispatchSource&) = delete;
  MacDispatchSource& operator=(const MacDispatchSource&) = delete;

  void cancel() {
    if (source_ == nil) return;
    dispatch_source_cancel(source_);
    source_ = nil;
  }

 private:
  dispatch_source_t source_;
};

}  // namespace quillo::platform::mac
