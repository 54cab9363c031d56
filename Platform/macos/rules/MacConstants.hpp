// MacConstants: the platform numbers of the macOS services the Objective-C++
// adapters use and whose meaning is decided in plain C++ — vnode event bits
// of kqueue and Dispatch file-system sources, the login-item service's
// status values, NSEvent's types and modifier-flag mask. Named once here so the decisions can be
// tested anywhere. Pure constants, no state.
#pragma once

#include <cstdint>

namespace quillo::platform::mac {

/// The vnode events of kqueue's EVFILT_VNODE filter (NOTE_…, sys/event.h);
/// Dispatch's DISPATCH_VNODE_… flags for a vnode source have the same values.
namespace VnodeEvent {
inline constexpr std::uint32_t delete_ = 0x01;  // NOTE_DELETE: unlink() on the object
inline constexpr std::uint32_t write = 0x02;    // NOTE_WRITE: contents written
inline constexpr std::uint32_t extend = 0x04;   // NOTE_EXTEND: size grew
inline constexpr std::uint32_t attrib = 0x08;   // NOTE_ATTRIB: attributes changed
inline constexpr std::uint32_t link = 0x10;     // NOTE_LINK: link count changed
inline constexpr std::uint32_t rename = 0x20;   // NOTE_RENAME: renamed
inline constexpr std::uint32_t revoke = 0x40;   // NOTE_REVOKE: access revoked or unmounted
}  // namespace VnodeEvent

/// SMAppServiceStatus (ServiceManagement), the raw values of its cases.
namespace AppServiceStatus {
inline constexpr long notRegistered = 0;
inline constexpr long enabled = 1;
inline constexpr long requiresApproval = 2;
inline constexpr long notFound = 3;
}  // namespace AppServiceStatus

/// NSEventType's raw values of the events Quillo's monitors ask for.
namespace EventType {
inline constexpr std::uint64_t leftMouseDown = 1;   // NSEventTypeLeftMouseDown
inline constexpr std::uint64_t rightMouseDown = 3;  // NSEventTypeRightMouseDown
inline constexpr std::uint64_t keyDown = 10;        // NSEventTypeKeyDown
}  // namespace EventType

/// NSEventModifierFlagDeviceIndependentFlagsMask: the bits of the modifier
/// keys themselves (the low 16 bits are device-dependent: left or right
/// key).
inline constexpr std::uint64_t deviceIndependentFlagsMask = 0xffff0000;

}  // namespace quillo::platform::mac
