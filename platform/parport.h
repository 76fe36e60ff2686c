// Parallel-port output, the Out32(port, value) call of the PC's I/O ports:
// only the low byte of the value is written. Linux reaches the ports through
// ppdev; an absent port swallows the writes silently.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace lumora {

class ParallelPort {
 public:
  virtual ~ParallelPort() = default;
  virtual void Out32(uint16_t port, uint16_t value) = 0;
};

// ppdev: 888 (0x378) and its registers go to /dev/parport0, 632 (0x278) to
// /dev/parport1; data register at the base, control register at base + 2.
std::shared_ptr<ParallelPort> MakePpdevPort();

// Which device and register an I/O address names under ppdev: device -1 when
// the address belongs to neither port; register 0 data, 1 status, 2 control.
std::pair<int, int> PpdevTarget(uint16_t port);

// The simulated port records every write (under a lock: the wire thread
// writes while the UI thread reads).
class ParallelPortSim final : public ParallelPort {
 public:
  void Out32(uint16_t port, uint16_t value) override;
  // [address, value] since the last take.
  std::vector<std::pair<uint16_t, uint8_t>> takeWrites();

 private:
  std::mutex mu_;
  std::vector<std::pair<uint16_t, uint8_t>> writes_;
};

}  // namespace lumora
