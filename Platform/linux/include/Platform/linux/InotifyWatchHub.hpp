// File-system object sources on Linux, built on one inotify instance — the
// one converter from inotify events to FileEvents, shared by every real loop.
//
// Each source opens its path (O_PATH, following symbolic links) and watches
// the object it opened — like a vnode source on the Mac, it keeps following
// that file when it is renamed, and reports its deletion when the last link
// to it goes, even though the source still holds it open. Events are read
// without blocking by dispatchPending(), which the owning loop calls when the
// inotify descriptor is readable (or whenever it likes).
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>

#include "Platform/MainLoop.hpp"

namespace quillo::platform {

class InotifyWatchHub {
 public:
  InotifyWatchHub();
  ~InotifyWatchHub();
  InotifyWatchHub(const InotifyWatchHub&) = delete;
  InotifyWatchHub& operator=(const InotifyWatchHub&) = delete;

  /// The inotify descriptor (non-blocking), for polling; -1 when unavailable.
  int descriptor() const noexcept { return fd_; }

  std::unique_ptr<FileSource> watch(const std::filesystem::path& path, FileEvents events,
                                    std::function<void(FileEvents)> handler);

  /// Reads every queued event and calls the handlers of the sources they
  /// concern. Handlers may cancel or create sources.
  void dispatchPending();

 private:
  struct Source {
    int wd = -1;
    int fd = -1;  // the opened object, held until the source is cancelled
    bool isDirectory = false;
    bool deleteReported = false;
    std::uintmax_t size = 0;
    FileEvents events;
    std::function<void(FileEvents)> handler;
  };
  class Handle;

  void cancel(std::uint64_t id);
  FileEvents translate(Source& source, std::uint32_t mask);

  int fd_ = -1;
  std::uint64_t nextID_ = 1;
  std::map<std::uint64_t, Source> sources_;
  std::map<int, std::set<std::uint64_t>> byWatch_;
  std::shared_ptr<InotifyWatchHub*> self_;
};

}  // namespace quillo::platform
