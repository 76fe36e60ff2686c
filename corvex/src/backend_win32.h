// Windows backend pieces that the Windows test program uses on its own.
#pragma once

#include <windows.h>

#include <memory>

#include "backend.h"

namespace corvex {

// A data pipe over a handle opened with FILE_FLAG_OVERLAPPED: each write waits
// at most its time-out, then CancelIo drops it. Takes the handle; null (handle
// closed) when its event cannot be made.
std::unique_ptr<Pipe> MakeOverlappedPipe(HANDLE pipe);

}  // namespace corvex
