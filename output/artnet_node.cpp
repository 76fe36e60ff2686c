#include "output/artnet_node.h"

#include <cstdio>

#include "output/artnet_nodes.h"

namespace lumora::artnet {

Node::Node(UdpSocket& socket, std::string& broadcast, LogFn log)
    : socket_(&socket), broadcast_(broadcast), log_(std::move(log)) {}

bool Node::Init() {
  // The address is checked before binding so that a bad override leaves no
  // socket behind.
  const std::string local = socket_->LocalAddress();
  if (!ParseIPv4(local)) {
    log("! Art-Net Init Error: invalid local IPv4 address \"" + local + "\"");
    return false;
  }
  if (socket_->bound()) {
    // A second bind of the same port would fail although the node works.
    log("Art-Net socket already bound to port 6454; keeping it");
  } else {
    std::string err = socket_->Bind(kPort);
    if (!err.empty()) {
      log("! Art-Net Init Error: " + err);
      return false;
    }
  }
  const std::string_view first = FirstPart(local);
  broadcast_ = BroadcastFor(local);
  if (first == "10") {
    log("Art-Net 10.x.x.x BCAST: " + broadcast_);
  } else if (first == "2") {
    log("Art-Net 2.x.x.x BCAST: " + broadcast_);
  } else {
    log("Network not configured for Art-Net");
    log("Please set IP address to 10.x.x.x or 2.x.x.x!!!!");
  }
  log("Art-Net Node Started...");
  return true;
}

void Node::SendDmx(uint8_t universe, const uint8_t* slots) {
  BuildArtDmx(dmx_, universe, slots);
  if (broadcast_.empty()) return;
  // Send failures are not reported: the next period sends again.
  (void)socket_->SendTo(broadcast_, kPort, dmx_.data(), dmx_.size());
}

void Node::SendPollReply() {
  PollReplyInfo info;
  if (auto ip = ParseIPv4(socket_->LocalAddress())) info.ip = *ip;
  if (shortName) info.shortName = shortName();
  if (longName) info.longName = longName();
  BuildArtPollReply(reply_, info);
  if (broadcast_.empty()) return;
  (void)socket_->SendTo(broadcast_, kPort, reply_.data(), reply_.size());
}

bool Node::SendPoll() {
  if (broadcast_.empty()) return false;
  PollPacket poll;
  BuildArtPoll(poll);
  return socket_->SendTo(broadcast_, kPort, poll.data(), poll.size());
}

void Node::Receive(const uint8_t* data, std::size_t size) {
  const auto op = ReadOpCode(data, size);
  if (!op) return;
  switch (*op) {
    case kOpPoll:
      if (size < kPollSize) return;
      log("ArtPoll Recieved");
      SendPollReply();
      return;
    case kOpDmx:
      // Received DMX has no effect on the desk.
      return;
    default: {
      char hex[8];
      std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(*op));
      log(std::string("Art-Net: NYI OpCode : 0x") + hex);
      return;
    }
  }
}

}  // namespace lumora::artnet
