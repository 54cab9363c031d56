// Limits on the JSON files Quillo reads (keymap.json, custom.json).
//
// Both files are untrusted: any editor, script or download can write them.
// Real files are a few kilobytes and nest about six levels deep; anything far
// beyond that is rejected before it is parsed, so no file can exhaust the
// stack (deep nesting) or memory (sheer size).
#pragma once

#include <cstddef>

namespace quillo::FileLimits {

inline constexpr std::size_t maximumNesting = 32;
inline constexpr std::size_t maximumSize = 4 * 1024 * 1024;

}  // namespace quillo::FileLimits
