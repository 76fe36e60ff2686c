// The send steps of the parallel-port, DMX 3-1 and Quillonizer Corvex
// adapters, and the AdapterLost rule they share.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "output/adapter.h"
#include "platform/tribus31.h"

namespace lumora {

class Desk;
class ParallelPort;
class CorvexApi;

enum : int {
  kAdapterMarwick = 1,
  kAdapterTribus31 = 2,
  kAdapterOpenDmx = 3,
  kAdapterManolator = 4,
  kAdapterCorvex = 5,
};

// The adapter is gone: output off, one message, both status lines, and the
// open setup dialog back to "None".
void AdapterLost(Desk& desk, const std::string& message, const std::string& status);

// A fixed, short busy wait of `passes` empty loop passes (the parallel
// adapters' clocking; well under a microsecond each).
void BusyWait(int passes);

// Clocks slots 1..slots out byte by byte on the port at PortAddress.
class ParallelAdapter final : public OutputAdapter {
 public:
  ParallelAdapter(ParallelPort& port, int slots) : port_(port), slots_(slots) {}
  void Send(Desk& desk) override;

 private:
  ParallelPort& port_;
  int slots_;
};

// The DMX 3-1 wake-up on the port at `address`.
void Tribus31WakeUp(ParallelPort& port, int16_t address);

class Tribus31Adapter final : public OutputAdapter {
 public:
  explicit Tribus31Adapter(Tribus31Api& lib) : lib_(lib) {}
  void Send(Desk& desk) override;

 private:
  Tribus31Api& lib_;
  // Written by the library, never read by the desk.
  std::array<uint8_t, kTribus31ReceiveBytes> receive_{};
};

class CorvexAdapter final : public OutputAdapter {
 public:
  explicit CorvexAdapter(CorvexApi& lib) : lib_(lib) {}
  void Send(Desk& desk) override;

 private:
  CorvexApi& lib_;
};

}  // namespace lumora
