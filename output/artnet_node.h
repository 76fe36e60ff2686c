// The Art-Net node's logic over a UDP socket: initialisation and the choice
// of the broadcast address, sending ArtDmx and ArtPollReply, and handling a
// received datagram. Knows nothing of the desk; the desk module D_ArtNet
// feeds it the frame and the names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "output/artnet_packet.h"
#include "platform/udp_socket.h"

namespace lumora::artnet {

class Node {
 public:
  using LogFn = std::function<void(const std::string&)>;

  // `broadcast` is the node's broadcast address (empty until Init has run);
  // it lives with the caller so that it can be shown and stored.
  Node(UdpSocket& socket, std::string& broadcast, LogFn log);

  // Names for ArtPollReply: ShortName and LongName.
  std::function<std::string()> shortName;
  std::function<std::string()> longName;

  // Binds the socket (keeping a binding it already has) and chooses the
  // broadcast address. On failure the broadcast address keeps its value.
  bool Init();
  // Broadcasts one ArtDmx carrying slots[0..511]; nothing before Init.
  void SendDmx(uint8_t universe, const uint8_t* slots);
  // Broadcasts one ArtPollReply; nothing before Init.
  void SendPollReply();
  // Broadcasts one ArtPoll (the other nodes answer with their replies);
  // false before Init or when it could not be sent.
  bool SendPoll();
  // Handles one received datagram of any size and content.
  void Receive(const uint8_t* data, std::size_t size);

  UdpSocket& socket() { return *socket_; }
  void setSocket(UdpSocket& s) { socket_ = &s; }
  const DmxPacket& lastDmx() const { return dmx_; }

 private:
  void log(const std::string& line) {
    if (log_) log_(line);
  }

  UdpSocket* socket_;
  std::string& broadcast_;
  LogFn log_;
  DmxPacket dmx_{};
  PollReplyPacket reply_{};
};

}  // namespace lumora::artnet
