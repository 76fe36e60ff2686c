#include "bounded_write.h"

namespace corvex {

WriteResult BoundedWrite(AsyncIo& io, const uint8_t* data, size_t size, uint32_t timeoutMs) {
  switch (io.Begin(data, size)) {
    case AsyncIo::Start::Completed:
      return WriteResult::Done;
    case AsyncIo::Start::Failed:
      return WriteResult::Failed;
    case AsyncIo::Start::Pending:
      break;
  }
  if (io.WaitDone(timeoutMs)) {
    return io.Collect(false) ? WriteResult::Done : WriteResult::Failed;
  }
  io.Cancel();
  // A cancelled write may still own the buffer and the I/O record until the
  // driver completes it; reusing them before that would corrupt the next
  // write, so wait for the cancellation to land.
  io.Collect(true);
  return WriteResult::TimedOut;
}

}  // namespace corvex
