// Context: the simulated Mac the shim's C functions serve, set by an
// Attachment. Main thread only.
#pragma once

#include <cstdint>

namespace quillo::sim {
class SimulatedMac;
}

namespace quillo::macshim {

/// The attached Mac; aborts naming `call` when none is attached.
sim::SimulatedMac& mac(const char* call);
/// Counts attachments; an object remembers the one it was made under.
std::uint64_t currentGeneration();
/// The Mac of attachment `generation` while it is still attached, else null:
/// an object that outlives its Mac lets go of nothing there.
sim::SimulatedMac* macOf(std::uint64_t generation);

}  // namespace quillo::macshim
