#include "Platform/linux/InotifyWatchHub.hpp"

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <string>
#include <utility>
#include <vector>

namespace quillo::platform {
namespace {

constexpr std::uint32_t kWatchMask = IN_MODIFY | IN_ATTRIB | IN_CREATE | IN_DELETE | IN_MOVED_FROM |
                                     IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_MASK_ADD;

}  // namespace

/// What the owner of a source holds; it does nothing once the hub is gone.
class InotifyWatchHub::Handle final : public FileSource {
 public:
  Handle(std::weak_ptr<InotifyWatchHub*> hub, std::uint64_t id) : hub_(std::move(hub)), id_(id) {}
  ~Handle() override { cancel(); }
  void cancel() override {
    if (auto hub = hub_.lock()) (*hub)->cancel(id_);
    hub_.reset();
  }

 private:
  std::weak_ptr<InotifyWatchHub*> hub_;
  std::uint64_t id_;
};

InotifyWatchHub::InotifyWatchHub()
    : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)),
      self_(std::make_shared<InotifyWatchHub*>(this)) {}

InotifyWatchHub::~InotifyWatchHub() {
  self_.reset();
  for (auto& [id, source] : sources_) {
    if (source.fd >= 0) ::close(source.fd);
  }
  if (fd_ >= 0) ::close(fd_);
}

std::unique_ptr<FileSource> InotifyWatchHub::watch(const std::filesystem::path& path,
                                                   FileEvents events,
                                                   std::function<void(FileEvents)> handler) {
  if (fd_ < 0) return nullptr;
  const int object = ::open(path.c_str(), O_PATH | O_CLOEXEC);
  if (object < 0) return nullptr;
  struct stat info {};
  if (::fstat(object, &info) != 0) {
    ::close(object);
    return nullptr;
  }
  // Watch exactly the object opened, not whatever the path names by now.
  const std::string opened = "/proc/self/fd/" + std::to_string(object);
  const int wd = ::inotify_add_watch(fd_, opened.c_str(), kWatchMask);
  if (wd < 0) {
    ::close(object);
    return nullptr;
  }
  const std::uint64_t id = nextID_++;
  Source source;
  source.wd = wd;
  source.fd = object;
  source.isDirectory = S_ISDIR(info.st_mode);
  source.size = static_cast<std::uintmax_t>(info.st_size);
  source.events = events;
  source.handler = std::move(handler);
  sources_.emplace(id, std::move(source));
  byWatch_[wd].insert(id);
  return std::make_unique<Handle>(self_, id);
}

void InotifyWatchHub::cancel(std::uint64_t id) {
  const auto found = sources_.find(id);
  if (found == sources_.end()) return;
  Source& source = found->second;
  if (source.wd >= 0) {
    auto& ids = byWatch_[source.wd];
    ids.erase(id);
    if (ids.empty()) {
      byWatch_.erase(source.wd);
      ::inotify_rm_watch(fd_, source.wd);
    }
  }
  if (source.fd >= 0) ::close(source.fd);
  sources_.erase(found);
}

FileEvents InotifyWatchHub::translate(Source& source, std::uint32_t mask) {
  FileEvents seen;
  if (source.isDirectory) {
    if (mask & (IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO))
      seen = seen | FileEvent::write;
  } else {
    if (mask & IN_MODIFY) {
      seen = seen | FileEvent::write;
      struct stat info {};
      if (::fstat(source.fd, &info) == 0) {
        const auto size = static_cast<std::uintmax_t>(info.st_size);
        if (size > source.size) seen = seen | FileEvent::extend;
        source.size = size;
      }
    }
    if (mask & IN_ATTRIB) {
      // The file's last link went away (deleted, or another file renamed over
      // it); it lives on only because this source holds it open.
      struct stat info {};
      if (::fstat(source.fd, &info) == 0 && info.st_nlink == 0 && !source.deleteReported) {
        source.deleteReported = true;
        seen = seen | FileEvent::delete_;
      }
    }
  }
  if ((mask & IN_DELETE_SELF) && !source.deleteReported) {
    source.deleteReported = true;
    seen = seen | FileEvent::delete_;
  }
  if (mask & IN_MOVE_SELF) seen = seen | FileEvent::rename;
  return seen & source.events;
}

void InotifyWatchHub::dispatchPending() {
  if (fd_ < 0) return;
  // Translate everything first, then call handlers, so a handler that cancels
  // or creates sources cannot disturb the walk.
  std::vector<std::pair<std::uint64_t, FileEvents>> deliveries;
  alignas(inotify_event) std::array<char, 16384> buffer{};
  while (true) {
    const ssize_t length = ::read(fd_, buffer.data(), buffer.size());
    if (length <= 0) break;
    for (ssize_t offset = 0; offset < length;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + offset);
      offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      const auto watchers = byWatch_.find(event->wd);
      if (watchers == byWatch_.end()) continue;
      const std::set<std::uint64_t> ids = watchers->second;
      for (std::uint64_t id : ids) {
        Source& source = sources_.at(id);
        const FileEvents seen = translate(source, event->mask);
        if (!seen.isEmpty()) deliveries.emplace_back(id, seen);
      }
      if (event->mask & IN_IGNORED) {
        // The kernel dropped the watch; its number may be handed out again.
        for (std::uint64_t id : ids)
          sources_.at(id).wd = -1;
        byWatch_.erase(event->wd);
      }
    }
  }
  for (const auto& [id, seen] : deliveries) {
    const auto found = sources_.find(id);
    if (found == sources_.end()) continue;  // cancelled by an earlier handler
    auto handler = found->second.handler;
    handler(seen);
  }
}

}  // namespace quillo::platform
