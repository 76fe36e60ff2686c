// D_ArtNet: the desk's Art-Net node. Broadcasts DmxFrame as ArtDmx for every
// enabled port from the main desk's Art_Time timer and answers ArtPoll.
//
// Received datagrams: the socket is non-blocking and read on the UI thread
// between two other events. A real-time host waits on the socket itself
// (data arrival wakes it, an idle network costs nothing); the manual clock and
// the loop-back twin read it from the main desk's `ArtSocket` timer (every
// 20 ms while bound). At most kMaxDatagramsPerPoll datagrams are read per
// event, so a flood cannot hold up the output tick.
//
// Diagnostic lines go to the debug log only: the last lines are kept in
// memory (console: `get ArtNet.Log`), and the environment variable
// LUMORA_ARTNET_LOG sends them to stderr ("stderr" or "-") or appends them to
// the file it names.
//
// Local address: DeskOptions::artnetAddress (--artnet-address), else
// $LUMORA_ARTNET_ADDRESS, else the first IPv4 address of an interface that is
// up and not the loopback. The socket is always the real one (also with
// --sim), except when the environment variable LUMORA_ARTNET_SIMULATE is set:
// test harnesses set it so that no test outside a private network namespace
// can reach a network; the socket is then the loop-back twin.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "core/form.h"
#include "output/artnet_node.h"
#include "output/artnet_nodes.h"
#include "platform/udp_socket.h"

namespace lumora {

class DeskBase;

class D_ArtNet {
 public:
  static constexpr int kMaxDatagramsPerPoll = 64;
  static constexpr int kPollInterval = 20;  // ms
  static constexpr int kSendInterval = 100;  // ms
  static constexpr std::size_t kLogLines = 200;

  explicit D_ArtNet(DeskBase& desk);
  ~D_ArtNet();
  D_ArtNet(const D_ArtNet&) = delete;
  D_ArtNet& operator=(const D_ArtNet&) = delete;

  bool ArtInit();
  void ArtSendDmx(uint8_t universe, const std::array<uint8_t, 513>& frame);
  void ArtReceive(const Datagram& datagram);
  void ArtSendPollReply();
  // Broadcasts an ArtPoll; false when the node is not started.
  bool ArtSendPoll();
  void ArtApply();
  // Main desk Art_Time tick.
  void Art_Time_Timer();
  // Main desk ArtSocket tick: hands every waiting datagram to ArtReceive.
  void ArtSocket_DataArrival();

  UdpSocket& socket() { return *socket_; }
  // Replaces the socket (tests hand in the loop-back twin).
  void setSocket(std::unique_ptr<UdpSocket> s);
  // The loop-back twin, or null with the real socket.
  FakeUdpSocket* fake() { return fake_; }
  const std::deque<std::string>& log() const { return log_; }
  // The local address override in force ("" = automatic).
  const std::string& addressOverride() const { return override_; }
  // The other nodes heard (ArtPollReply, ArtDmx), this desk left out.
  const artnet::NodeTable& nodes() const { return nodes_; }
  // The universes this desk sends ArtDmx on now.
  std::vector<uint16_t> sentUniverses() const;

 private:
  void debugLog(const std::string& line);
  // Notes who sent a datagram (other nodes only) before the node handles it.
  void hear(const Datagram& d, const std::string& from);
  // Reads arrivals while the socket is bound: by a watch on its descriptor
  // where the host offers one, else by the ArtSocket timer.
  void followSocket();

  DeskBase& desk_;
  std::string override_;
  std::unique_ptr<UdpSocket> socket_;
  FakeUdpSocket* fake_ = nullptr;
  artnet::Node node_;
  artnet::NodeTable nodes_;
  std::string self_;  // this node's address, as the others see it
  std::deque<std::string> log_;
  std::FILE* logFile_ = nullptr;
  bool logStderr_ = false;
  int watchedFd_ = -1;

 public:
  // The socket's data-arrival events (a timer on the main desk).
  Timer ArtSocket;
};

// The desk's node (made by SetupArtNet).
D_ArtNet& ArtNet(DeskBase& d);
// Module entry points for the other windows and the project reader.
bool ArtInit(DeskBase& d);
void ArtApply(DeskBase& d);

// Makes the node, wires Art_Time, ArtSocket and the Art_setup menu, and
// registers the console read-outs. Called from SetupOutput.
void SetupArtNet(DeskBase& d);

}  // namespace lumora
