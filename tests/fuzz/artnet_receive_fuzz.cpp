// libFuzzer target for the node's datagram handling: any bytes may arrive on
// port 6454. Checks that nothing crashes and that only a well-formed ArtPoll
// is answered, with exactly one 239-byte reply; the node table takes the
// same bytes as a reply or an ArtDmx from another node.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "output/artnet_node.h"
#include "output/artnet_nodes.h"

using namespace lumora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  FakeUdpSocket sock;
  sock.localAddress = "10.0.0.5";
  std::string broadcast;
  artnet::Node node(sock, broadcast, [](const std::string&) {});
  node.shortName = [] { return std::string("Lumora"); };
  node.longName = [] { return std::string("Lumora DMX Desk"); };
  if (!node.Init()) std::abort();
  sock.sent.clear();
  node.Receive(data, size);
  const auto op = artnet::ReadOpCode(data, size);
  const bool poll = op && *op == artnet::kOpPoll && size >= artnet::kPollSize;
  if (sock.sent.size() != (poll ? 1u : 0u)) std::abort();
  if (poll && sock.sent[0].data.size() != artnet::kPollReplySize) std::abort();

  artnet::NodeTable table;
  if (auto r = artnet::ParsePollReply(data, size)) {
    if (r->outputs.size() > 4 || r->inputs.size() > 4) std::abort();
    table.heardReply(*r, "", 1);
  }
  if (auto u = artnet::ParseDmxPortAddress(data, size)) {
    if (*u > 0x7FFF) std::abort();
    table.heardDmx("10.0.0.6", *u, 2);
  }
  if (table.nodes().size() > 2) std::abort();
  (void)table.conflicts({0, 3}, 3);
  return 0;
}
