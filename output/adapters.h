// The parallel-port, DMX 3-1 and Quillonizer Corvex adapters on the UI
// thread (their sends are the wire's), and the AdapterLost rule they share.
#pragma once

#include <cstdint>
#include <string>

#include "output/adapter.h"

namespace lumora {

class DeskBase;
class ParallelPort;

enum : int {
  kAdapterMarwick = 1,
  kAdapterTribus31 = 2,
  kAdapterOpenDmx = 3,
  kAdapterManolator = 4,
  kAdapterCorvex = 5,
};

// The adapter is gone: output off, one message, both status lines, and the
// open setup dialog back to "None".
void AdapterLost(DeskBase& desk, const std::string& message, const std::string& status);

// A fixed, short busy wait of `passes` empty loop passes (the parallel
// adapters' clocking; well under a microsecond each).
void BusyWait(int passes);

// Clocks frame slots 1..65 (Marwick) or 1..255 (Manolator) out byte by byte
// on the port at PortAddress; the wire does it, nothing can fail.
class ParallelAdapter final : public OutputAdapter {};

// The DMX 3-1 wake-up on the port at `address`.
void Tribus31WakeUp(ParallelPort& port, int16_t address);

class Tribus31Adapter final : public OutputAdapter {
 public:
  void Handle(DeskBase& desk, uint32_t flags) override;
};

class CorvexAdapter final : public OutputAdapter {
 public:
  void Handle(DeskBase& desk, uint32_t flags) override;
};

}  // namespace lumora
