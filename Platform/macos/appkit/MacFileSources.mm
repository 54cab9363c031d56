#import <Foundation/Foundation.h>
#include <dispatch/dispatch.h>
#include <fcntl.h>
#include <unistd.h>

#include "MacFileSources.hpp"

#include "MacDispatchSource.h"
#include "MacFileEvents.hpp"

namespace quillo::platform::mac {

namespace {

class VnodeSource final : public FileSource {
 public:
  /// The source's cancel handler closes the descriptor.
  explicit VnodeSource(dispatch_source_t source) : source_(source) {}
  void cancel() override { source_.cancel(); }

 private:
  MacDispatchSource source_;
};

}  // namespace

std::unique_ptr<FileSource> watchFile(const std::filesystem::path& path, FileEvents events,
                                      std::function<void(FileEvents)> handler) {
  const int fd = ::open(path.c_str(), O_EVTONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  dispatch_source_t source =
      dispatch_source_create(DISPATCH_SOURCE_TYPE_VNODE, static_cast<uintptr_t>(fd),
                             vnodeMask(events), dispatch_get_main_queue());
  if (source == nil) {
    ::close(fd);
    return nullptr;
  }
  // The handler must not hold its own source strongly (a cycle); it runs
  // only while the source lives, since cancelling stops it.
  __unsafe_unretained dispatch_source_t unretained = source;
  dispatch_source_set_event_handler(source, ^{
    const FileEvents seen =
        fileEvents(static_cast<std::uint32_t>(dispatch_source_get_data(unretained)), events);
    if (!seen.isEmpty()) handler(seen);
  });
  dispatch_source_set_cancel_handler(source, ^{
    ::close(fd);
  });
  dispatch_resume(source);
  return std::make_unique<VnodeSource>(source);
}

}  // namespace quillo::platform::mac
