#include <cstdlib>
#include <thread>

#include "platform/ftdi.h"

namespace lumora {

void PreciseWait(std::chrono::microseconds us) {
  using Clock = std::chrono::steady_clock;
  const auto until = Clock::now() + us;
  // Break and mark-after-break are far below the scheduler's granularity:
  // spin on the monotonic clock, yielding only for long waits.
  if (us > std::chrono::milliseconds(2)) std::this_thread::sleep_for(us - std::chrono::milliseconds(1));
  while (Clock::now() < until) {
  }
}

std::shared_ptr<FtdiApi> MakeRealFtdi() {
  // The vendor's D2XX library is never required; an installation that wants
  // it names the file explicitly.
  if (const char* lib = std::getenv("LUMORA_FTDI_LIBRARY"); lib && *lib) return MakeD2xxFtdi(lib);
  return MakeLibFtdi();
}

}  // namespace lumora
