#include "MacShim/Attach.hpp"

#include "Platform/Text.hpp"
#include "Types.hpp"

namespace quillo::macshim {

namespace {

sim::SimulatedMac* attached = nullptr;
std::uint64_t generation = 0;

}  // namespace

sim::SimulatedMac& mac(const char* call) {
  if (!attached) fail(call, "no simulated Mac is attached");
  return *attached;
}

std::uint64_t currentGeneration() {
  return generation;
}

sim::SimulatedMac* macOf(std::uint64_t madeUnder) {
  return attached && madeUnder == generation ? attached : nullptr;
}

std::vector<std::string> mainRunLoopModes() {
  std::vector<std::string> modes;
  for (const auto& [source, mode] : mainRunLoop().sources)
    modes.push_back(platform::text::utf8(characters(mode, "mainRunLoopModes")));
  return modes;
}

Attachment::Attachment(sim::SimulatedMac& mac) {
  if (attached) fail("macshim::Attachment", "a simulated Mac is attached already");
  attached = &mac;
  ++generation;
}

Attachment::~Attachment() {
  mainRunLoop().clear();
  attached = nullptr;
}

}  // namespace quillo::macshim
