// A write bounded in time on a pipe that works asynchronously (Windows
// overlapped I/O): start it, wait for it at most the bound, cancel it when the
// bound passes, then collect its result.
#pragma once

#include "backend.h"

namespace corvex {

class AsyncIo {
 public:
  enum class Start { Completed, Pending, Failed };
  virtual ~AsyncIo() = default;
  // Starts the write of data[0..size); data must stay valid until collected.
  virtual Start Begin(const uint8_t* data, size_t size) = 0;
  // Waits at most ms for the pending write; true when it finished.
  virtual bool WaitDone(uint32_t ms) = 0;
  // Asks the device to drop the pending write.
  virtual void Cancel() = 0;
  // Collects the write's result; with wait, blocks until the write is over.
  virtual bool Collect(bool wait) = 0;
};

// Runs one write: a write that is still pending after timeoutMs is
// cancelled, and its completion is awaited before returning, so the caller's
// buffer and the I/O record are free again for the next write.
WriteResult BoundedWrite(AsyncIo& io, const uint8_t* data, size_t size, uint32_t timeoutMs);

}  // namespace corvex
