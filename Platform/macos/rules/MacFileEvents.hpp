// MacFileEvents: how the vnode events of a Dispatch file-system source (or
// kqueue's EVFILT_VNODE) become the main loop's FileEvents, and which vnode
// events a source must ask for to see the FileEvents wanted.
//
// write, extend, delete and rename have a FileEvent of their own. Of the
// rest, only revoke matters: the object can no longer be reached through the
// open descriptor (its volume was unmounted, or access was revoked), which
// for the watcher is the same as the object being deleted — whoever watches
// must open the path anew. attrib (permissions, owner, times) and link (the
// link count) say nothing about the contents: the removal of a name is
// reported as delete, and a folder whose entries change also reports write.
// The Linux watcher ignores attribute changes the same way. Pure functions.
#pragma once

#include <cstdint>

#include "Platform/MainLoop.hpp"

namespace quillo::platform::mac {

/// The vnode events to ask a source for, so that every FileEvent in
/// `wanted` can be seen.
std::uint32_t vnodeMask(FileEvents wanted);

/// The FileEvents the vnode events `vnode` (a source's data) stand for,
/// limited to `wanted`; empty when none of them is wanted, in which case the
/// handler is not called.
FileEvents fileEvents(std::uint32_t vnode, FileEvents wanted);

}  // namespace quillo::platform::mac
