// Attach: tells the MacShim which simulated Mac its C functions serve.
//
// Only the code that chooses implementations (the console's session and the
// tests) includes this; the macOS adapters never do, as on a Mac there is
// nothing to attach. One Mac at a time: attaching while attached aborts.
// Main thread only.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quillo::sim {
class SimulatedMac;
}

namespace quillo::macshim {

/// While it lives, the shim's C functions act on `mac`. Destroying it
/// detaches: the main run loop lets go of the sources still added, and
/// objects still alive stop reaching the Mac (releasing them later is safe).
/// Destroy it after whatever uses the adapters and before the Mac.
class Attachment {
 public:
  explicit Attachment(sim::SimulatedMac& mac);
  ~Attachment();
  Attachment(const Attachment&) = delete;
  Attachment& operator=(const Attachment&) = delete;
};

/// The modes the main run loop's sources were added in, in order: the
/// simulated Mac has no menu tracking or modal panels to tell them apart by,
/// so tests look here.
std::vector<std::string> mainRunLoopModes();

/// CF objects alive now, constants aside: a test's count before and after
/// shows a missing or an extra CFRelease without waiting for LeakSanitizer.
std::size_t liveObjectCount();

}  // namespace quillo::macshim
