// MacFileSources: the main loop's file-system object sources on macOS — a
// Dispatch vnode source on the main queue over a descriptor opened with
// O_EVTONLY (for events only: it never keeps a volume from being
// unmounted). The vnode events become FileEvents as MacFileEvents.hpp says;
// a batch with none of the wanted events does not call the handler. The
// source keeps watching the object it opened wherever it is renamed to, and
// closes its descriptor once Dispatch has cancelled it. Main thread only.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>

#include "Platform/MainLoop.hpp"

namespace quillo::platform::mac {

/// Opens `path` (following a symbolic link) and watches it; none when it
/// cannot be opened.
std::unique_ptr<FileSource> watchFile(const std::filesystem::path& path, FileEvents events,
                                      std::function<void(FileEvents)> handler);

}  // namespace quillo::platform::mac
