// A stand-in for a BCF2000 surface on a JACK server: it opens MIDI ports named
// "BCF2000 Port 1", plays the control changes it is told on standard input and
// prints every message the desk sends back, one per line.
//
//   stdin:  cc C V        send a control change (channel 1) from the surface
//           raw S D1 D2   send any three-byte message
//           ping          answers "pong" (a marker in the output)
//           quit          ends the peer
//   stdout: ready         once the ports exist
//           recv S D1 D2  for every message received
//           sent S D1 D2  once the message has gone through the JACK graph
//           pong / err TEXT
//
// "sent" waits until a monitor port of the peer, fed from the same output,
// has received the message: JACK hands it to every reader of that output in
// the same cycle, so the desk's driver has it by then too.
//
// The JACK server is taken from JACK_DEFAULT_SERVER; the peer waits for it up
// to --wait-ms milliseconds (default 10000), since it is started beside it.
#include <rtmidi/RtMidi.h>

#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr const char* kClient = "BCF2000 Port 1";

std::mutex outMu;
void Line(const std::string& s) {
  std::lock_guard<std::mutex> g(outMu);
  std::fwrite(s.data(), 1, s.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

// RtMidi reports a missing server as a warning, not an exception.
std::atomic<bool> driverTrouble{false};
void OnError(RtMidiError::Type type, const std::string& text, void*) {
  driverTrouble = true;
  if (type != RtMidiError::WARNING && type != RtMidiError::DEBUG_WARNING) Line("err " + text);
}

void OnMessage(double, std::vector<unsigned char>* m, void*) {
  if (!m || m->empty()) return;
  std::string s = "recv";
  for (unsigned char b : *m) s += " " + std::to_string(b);
  Line(s);
}

std::mutex monMu;
std::condition_variable monCv;
uint64_t monSeen = 0;
void OnMonitor(double, std::vector<unsigned char>* m, void*) {
  if (!m || m->empty()) return;
  std::lock_guard<std::mutex> g(monMu);
  ++monSeen;
  monCv.notify_all();
}

bool ParseByte(const std::string& t, unsigned char& out) {
  if (t.empty() || t.size() > 3 || t.find_first_not_of("0123456789") != std::string::npos) return false;
  const int v = std::atoi(t.c_str());
  if (v > 255) return false;
  out = static_cast<unsigned char>(v);
  return true;
}

// One JACK client per RtMidi object: retried until the server answers.
template <typename T>
std::unique_ptr<T> OpenClient(const char* name, std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    driverTrouble = false;
    std::unique_ptr<T> p;
    try {
      p = std::make_unique<T>(RtMidi::UNIX_JACK, name);
      p->setErrorCallback(&OnError, nullptr);
      // Connects again when the constructor could not; a warning means the
      // server is not there yet.
      driverTrouble = false;
      p->getPortCount();
    } catch (const RtMidiError&) {
      driverTrouble = true;
    }
    if (p && !driverTrouble) return p;
    if (std::chrono::steady_clock::now() > deadline) return nullptr;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

}  // namespace

int main(int argc, char** argv) {
  int waitMs = 10000;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--wait-ms") == 0 && i + 1 < argc) waitMs = std::atoi(argv[++i]);
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);

  auto out = OpenClient<RtMidiOut>(kClient, deadline);  // surface -> desk
  auto in = OpenClient<RtMidiIn>(kClient, deadline);    // desk -> surface
  // Not named like the surface, so the desk never takes it for one.
  auto monitor = OpenClient<RtMidiIn>("bcf-peer-monitor", deadline);
  if (!out || !in || !monitor) {
    Line("err no JACK server");
    return 2;
  }
  try {
    in->ignoreTypes(false, false, false);
    in->setCallback(&OnMessage, nullptr);
    out->openVirtualPort("out");
    in->openVirtualPort("in");
    monitor->ignoreTypes(false, false, false);
    monitor->setCallback(&OnMonitor, nullptr);
    const std::string own = std::string(kClient) + ":out";
    unsigned src = monitor->getPortCount();
    for (unsigned i = 0; i < monitor->getPortCount(); ++i)
      if (monitor->getPortName(i) == own) src = i;
    if (src == monitor->getPortCount()) {
      Line("err own output port not found");
      return 2;
    }
    monitor->openPort(src, "monitor");
  } catch (const RtMidiError& e) {
    Line(std::string("err ") + e.what());
    return 2;
  }
  if (driverTrouble) {
    Line("err cannot create the ports");
    return 2;
  }
  Line("ready");

  std::string pending;
  for (;;) {
    char buf[1024];
    const ssize_t n = read(STDIN_FILENO, buf, sizeof buf);
    if (n <= 0) break;
    pending.append(buf, static_cast<std::size_t>(n));
    std::size_t nl;
    while ((nl = pending.find('\n')) != std::string::npos) {
      std::istringstream line(pending.substr(0, nl));
      pending.erase(0, nl + 1);
      std::string cmd, a, b, c;
      line >> cmd >> a >> b >> c;
      if (cmd.empty()) continue;
      if (cmd == "quit") return 0;
      if (cmd == "ping") {
        Line("pong");
        continue;
      }
      std::vector<unsigned char> msg(3);
      bool ok = false;
      if (cmd == "cc") {
        msg[0] = 176;
        ok = ParseByte(a, msg[1]) && ParseByte(b, msg[2]) && msg[1] < 128 && msg[2] < 128 && c.empty();
      } else if (cmd == "raw") {
        ok = ParseByte(a, msg[0]) && ParseByte(b, msg[1]) && ParseByte(c, msg[2]);
      }
      if (!ok) {
        Line("err usage: cc C V | raw S D1 D2 | ping | quit");
        continue;
      }
      try {
        std::unique_lock<std::mutex> g(monMu);
        const uint64_t before = monSeen;
        out->sendMessage(&msg);
        if (!monCv.wait_for(g, std::chrono::seconds(3), [&] { return monSeen > before; })) {
          Line("err not delivered");
          continue;
        }
        g.unlock();
        Line("sent " + std::to_string(msg[0]) + " " + std::to_string(msg[1]) + " " + std::to_string(msg[2]));
      } catch (const RtMidiError& e) {
        Line(std::string("err ") + e.what());
      }
    }
  }
  return 0;
}
