#include "MacFileEvents.hpp"

#include <array>

#include "MacConstants.hpp"

namespace quillo::platform::mac {

namespace {

struct Correspondence {
  std::uint32_t vnode;
  FileEvent event;
};

// One writer of the correspondence: both directions read this table, so a
// source always asks for every vnode event it will translate.
constexpr std::array<Correspondence, 5> kCorrespondences{{
    {VnodeEvent::write, FileEvent::write},
    {VnodeEvent::extend, FileEvent::extend},
    {VnodeEvent::delete_, FileEvent::delete_},
    {VnodeEvent::revoke, FileEvent::delete_},
    {VnodeEvent::rename, FileEvent::rename},
}};

}  // namespace

std::uint32_t vnodeMask(FileEvents wanted) {
  std::uint32_t mask = 0;
  for (const Correspondence& each : kCorrespondences)
    if (wanted.contains(each.event)) mask |= each.vnode;
  return mask;
}

FileEvents fileEvents(std::uint32_t vnode, FileEvents wanted) {
  FileEvents seen;
  for (const Correspondence& each : kCorrespondences)
    if (vnode & each.vnode) seen = seen | each.event;
  return seen & wanted;
}

}  // namespace quillo::platform::mac
