#include "platform/parport.h"

#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <string>

namespace lumora {

std::pair<int, int> PpdevTarget(uint16_t port) {
  if (port >= 888 && port <= 890) return {0, port - 888};
  if (port >= 632 && port <= 634) return {1, port - 632};
  return {-1, 0};
}

namespace {

class Ppdev final : public ParallelPort {
 public:
  ~Ppdev() override {
    for (auto& d : dev_)
      if (d.fd >= 0) {
        ioctl(d.fd, PPRELEASE);
        close(d.fd);
      }
  }

  void Out32(uint16_t port, uint16_t value) override {
    const auto [n, reg] = PpdevTarget(port);
    if (n < 0 || reg == 1) return;  // unknown address or the read-only status register
    Dev& d = dev_[static_cast<std::size_t>(n)];
    if (d.fd < 0 && !open(d, n)) return;
    unsigned char b = static_cast<unsigned char>(value & 0xFF);
    if (ioctl(d.fd, reg == 0 ? PPWDATA : PPWCONTROL, &b) != 0) {
      // The port went away (a USB adapter unplugged): drop it, retry later.
      ioctl(d.fd, PPRELEASE);
      close(d.fd);
      d.fd = -1;
      d.lastTry = std::chrono::steady_clock::now();
    }
  }

 private:
  struct Dev {
    int fd = -1;
    std::chrono::steady_clock::time_point lastTry{};
    bool tried = false;
  };

  // A missing port is looked for again at most every two seconds, not on
  // each of the thousand writes of a frame.
  bool open(Dev& d, int n) {
    const auto now = std::chrono::steady_clock::now();
    if (d.tried && now - d.lastTry < std::chrono::seconds(2)) return false;
    d.tried = true;
    d.lastTry = now;
    const std::string path = "/dev/parport" + std::to_string(n);
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return false;
    if (ioctl(fd, PPCLAIM) != 0) {
      close(fd);
      return false;
    }
    d.fd = fd;
    return true;
  }

  std::array<Dev, 2> dev_{};
};

constexpr std::size_t kMaxWrites = 1000000;

}  // namespace

std::shared_ptr<ParallelPort> MakePpdevPort() { return std::make_shared<Ppdev>(); }

void ParallelPortSim::Out32(uint16_t port, uint16_t value) {
  std::lock_guard<std::mutex> l(mu_);
  if (writes_.size() >= kMaxWrites) writes_.clear();
  writes_.emplace_back(port, static_cast<uint8_t>(value & 0xFF));
}

std::vector<std::pair<uint16_t, uint8_t>> ParallelPortSim::takeWrites() {
  std::lock_guard<std::mutex> l(mu_);
  std::vector<std::pair<uint16_t, uint8_t>> out;
  out.swap(writes_);
  return out;
}

}  // namespace lumora
