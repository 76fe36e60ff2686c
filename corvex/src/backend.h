// The device side of corvex: one small interface, one implementation per
// platform chosen at build time (libusb on Linux, SetupAPI and overlapped
// pipe writes on Windows), plus fakes in the tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace corvex {

enum class WriteResult {
  Done,      // the device accepted the transfer
  TimedOut,  // not finished within the bound; the transfer was cancelled
  Failed     // refused at once (device gone, pipe broken, ...)
};

// The device's open data pipe. Closed when destroyed.
class Pipe {
 public:
  virtual ~Pipe() = default;
  // Sends one packet. Must return within about timeoutMs: a transfer still
  // running then is cancelled and reported as TimedOut.
  virtual WriteResult Write(const uint8_t* data, size_t size, uint32_t timeoutMs) = 0;
};

class Backend {
 public:
  virtual ~Backend() = default;
  // Looks for the device and opens its data pipe; null when there is no
  // device or its pipe does not open.
  virtual std::unique_ptr<Pipe> OpenPipe() = 0;
};

// The backend of this build (libusb, Windows device interface, or capture);
// null when it cannot be set up.
std::unique_ptr<Backend> MakePlatformBackend() noexcept;

}  // namespace corvex
