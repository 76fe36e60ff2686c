// The Windows data pipe and the worker on real overlapped handles under
// Wine: a named pipe stands in for the device's "PIPE01". Prints
// "N passed, M failed"; exit code 0 when all checks pass.
#include <windows.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "backend_win32.h"
#include "module.h"

namespace {

int passed = 0, failed = 0;

void Check(bool ok, const char* what) {
  if (ok) {
    ++passed;
  } else {
    ++failed;
    std::printf("FAILED: %s\n", what);
  }
}

using Packet = std::array<uint8_t, corvex::kPacketSize>;

// A server end that buffers at most one packet, and the overlapped client end
// the library writes to.
struct PipePair {
  HANDLE server = INVALID_HANDLE_VALUE;
  HANDLE client = INVALID_HANDLE_VALUE;

  explicit PipePair(int n) {
    const std::wstring name = L"\\\\.\\pipe\\corvex-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(n);
    server = CreateNamedPipeW(name.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1,
                              0, corvex::kPacketSize, 0, nullptr);
    client = CreateFileW(name.c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OVERLAPPED, nullptr);
  }
  ~PipePair() {
    if (server != INVALID_HANDLE_VALUE) CloseHandle(server);
  }
  bool ok() const { return server != INVALID_HANDLE_VALUE && client != INVALID_HANDLE_VALUE; }

  // Reads exactly one packet from the server end.
  bool Read(Packet& p) {
    size_t got = 0;
    while (got < p.size()) {
      DWORD n = 0;
      if (!ReadFile(server, p.data() + got, static_cast<DWORD>(p.size() - got), &n, nullptr) || n == 0) return false;
      got += n;
    }
    return true;
  }
  // Bytes waiting in the server end.
  DWORD Waiting() {
    DWORD avail = 0;
    PeekNamedPipe(server, nullptr, 0, nullptr, &avail, nullptr);
    return avail;
  }
};

Packet Pattern(uint8_t seed) {
  Packet p;
  for (size_t i = 0; i < p.size(); ++i) p[i] = static_cast<uint8_t>(seed + i * 3);
  return p;
}

void TestWritesAndTimeOut() {
  PipePair pair(1);
  Check(pair.ok(), "named pipe pair opens");
  if (!pair.ok()) return;
  auto pipe = corvex::MakeOverlappedPipe(pair.client);
  Check(pipe != nullptr, "overlapped pipe is made");
  if (!pipe) return;

  const Packet a = Pattern(1), b = Pattern(2), c = Pattern(3);
  Check(pipe->Write(a.data(), a.size(), 100) == corvex::WriteResult::Done, "write into an empty pipe is done");
  // Nobody reads: the pipe is full, the next write waits its 100 ms and is
  // cancelled.
  Check(pipe->Write(b.data(), b.size(), 100) == corvex::WriteResult::TimedOut, "write into a full pipe times out");
  Packet got{};
  Check(pair.Read(got) && got == a, "the first packet arrives whole");
  // Whatever the cancelled write left, the pipe takes the next one.
  while (pair.Waiting() > 0) {
    char sink[64];
    DWORD n = 0;
    ReadFile(pair.server, sink, sizeof sink, &n, nullptr);
  }
  Check(pipe->Write(c.data(), c.size(), 100) == corvex::WriteResult::Done, "the pipe works again after a cancel");
  Check(pair.Read(got) && got == c, "the packet after the cancel arrives whole");

  CloseHandle(pair.server);
  pair.server = INVALID_HANDLE_VALUE;
  Check(pipe->Write(a.data(), a.size(), 100) == corvex::WriteResult::Failed, "a write to a closed pipe fails");
}

class OnePipeBackend : public corvex::Backend {
 public:
  explicit OnePipeBackend(HANDLE client) : client_(client) {}
  std::unique_ptr<corvex::Pipe> OpenPipe() override { return corvex::MakeOverlappedPipe(client_); }

 private:
  HANDLE client_;
};

void TestWorkerStreamsFrames() {
  PipePair pair(2);
  Check(pair.ok(), "second named pipe pair opens");
  if (!pair.ok()) return;
  OnePipeBackend backend(pair.client);
  corvex::Module module(&backend);
  Check(module.Command(1, 0, nullptr) == 2, "first call");
  Check(module.Started() && module.WorkerAlive(), "the worker runs over the overlapped pipe");

  std::vector<uint8_t> frame(corvex::kSlots);
  for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>(i + 7);
  Packet want{};
  for (size_t g = 0; g < corvex::kGroups; ++g) want[g * 8] = static_cast<uint8_t>(g);

  Packet got{};
  Check(pair.Read(got) && got == want, "before any frame the device gets group numbers and zeros");
  Check(module.Command(4, 512, frame.data()) == 512, "frame command");
  for (size_t i = 0; i < frame.size(); ++i) want[corvex::SlotByte(i)] = frame[i];
  bool seen = false;
  for (int n = 0; n < 50 && !seen; ++n) seen = pair.Read(got) && got == want;
  Check(seen, "the frame reaches the pipe");

  std::atomic<bool> draining{true};
  std::thread reader([&] {
    Packet sink;
    while (draining.load() && pair.Read(sink)) {
    }
  });
  Check(module.Stop(), "the stop step ends the worker");
  Check(!module.WorkerAlive(), "no worker after the stop step");
  draining.store(false);
  reader.join();  // the worker closed its end: a waiting read sees the broken pipe
}

}  // namespace

int main() {
  TestWritesAndTimeOut();
  TestWorkerStreamsFrames();
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
