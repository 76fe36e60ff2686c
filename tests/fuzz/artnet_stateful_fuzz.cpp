// libFuzzer target: one node lives through a whole input, a sequence of
// operations on it (datagrams received from one peer, frames and replies it
// sends, its names and local address changing, re-initialisation), so that
// the fuzzer can reach states that a single datagram never does.
//
// Input: records of [op][length][length bytes]; op % 6 picks the operation.
// After each one the node must have sent exactly what that operation sends:
// one 239-byte ArtPollReply per well-formed ArtPoll, one 530-byte ArtDmx per
// frame once initialised, and nothing otherwise.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "output/artnet_node.h"

using namespace lumora;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// The broadcast address the node must choose for a local address.
std::string ExpectedBroadcast(const std::string& local) {
  if (local.rfind("10.", 0) == 0) return "10.255.255.255";
  if (local.rfind("2.", 0) == 0) return "2.255.255.255";
  return "255.255.255.255";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  FakeUdpSocket sock;
  sock.localAddress = "10.0.0.5";
  std::string broadcast;
  std::string shortName = "Lumora", longName = "Lumora DMX Desk";
  artnet::Node node(sock, broadcast, [](const std::string&) {});
  node.shortName = [&] { return shortName; };
  node.longName = [&] { return longName; };
  if (!node.Init()) std::abort();
  bool ready = true;  // Init succeeded at least once: the node answers
  uint8_t frame[512] = {};

  std::size_t p = 0;
  while (p + 2 <= size) {
    const uint8_t op = data[p] % 6;
    std::size_t len = data[p + 1];
    p += 2;
    if (len > size - p) len = size - p;
    const uint8_t* body = data + p;
    p += len;
    sock.sent.clear();

    switch (op) {
      case 0:
      case 1: {  // a datagram from the peer (twice as likely as the rest)
        node.Receive(body, len);
        const auto code = artnet::ReadOpCode(body, len);
        const bool poll = ready && code && *code == artnet::kOpPoll && len >= artnet::kPollSize;
        Check(sock.sent.size() == (poll ? 1u : 0u));
        if (poll) {
          Check(sock.sent[0].data.size() == artnet::kPollReplySize);
          Check(sock.sent[0].host == broadcast && sock.sent[0].port == artnet::kPort);
        }
        break;
      }
      case 2: {  // a frame goes out; the body paints part of it
        for (std::size_t i = 0; i + 1 < len; i += 2) frame[(body[i] * 2u + i) % 512] = body[i + 1];
        node.SendDmx(len ? body[0] : 0, frame);
        Check(sock.sent.size() == (ready ? 1u : 0u));
        if (ready) {
          const auto& d = sock.sent[0].data;
          Check(d.size() == artnet::kDmxSize);
          Check(std::memcmp(d.data() + 18, frame, 512) == 0);
        }
        break;
      }
      case 3:  // the operator renames the desk (any length, any bytes)
        (len % 2 ? shortName : longName).assign(reinterpret_cast<const char*>(body), len);
        node.SendPollReply();
        Check(sock.sent.size() == (ready ? 1u : 0u));
        if (ready) Check(sock.sent[0].data.size() == artnet::kPollReplySize);
        break;
      case 4: {  // another local address, then Init again
        const std::string before = broadcast;
        sock.localAddress.assign(reinterpret_cast<const char*>(body), len);
        if (node.Init()) {
          ready = true;
          Check(broadcast == ExpectedBroadcast(sock.localAddress));
        } else {
          Check(broadcast == before);  // a refused address changes nothing
        }
        break;
      }
      case 5:  // the port cannot be bound (another program has it)
        if (!sock.isBound) sock.bindError = len ? "in use" : "";
        break;
    }
  }
  return 0;
}
