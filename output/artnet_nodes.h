// The other Art-Net nodes this desk hears: who answered a poll (ArtPollReply:
// address, names, the universes of its ports) and who sends ArtDmx on which
// universe, with the conflicts that follow: another node sending a universe
// this desk sends (two desks fighting over the same lights), and a node whose
// output port wants a universe nobody sends. Pure C++ over the packets: the
// caller hands in each datagram with its source and the time.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace lumora::artnet {

constexpr std::size_t kArtPollSize = 14;
using PollPacket = std::array<uint8_t, kArtPollSize>;
// An ArtPoll asking every node for its reply (replies only when polled).
void BuildArtPoll(PollPacket& out);

// What an ArtPollReply tells of its node.
struct PollReplyFields {
  std::array<uint8_t, 4> ip{};
  std::string shortName;  // UTF-8, trailing blanks removed
  std::string longName;
  uint8_t bindIndex = 0;           // which of a device's replies this is
  std::vector<uint16_t> outputs;   // port-addresses its output ports take from the network
  std::vector<uint16_t> inputs;    // port-addresses its input ports send
};
// nullopt unless the datagram is an ArtPollReply long enough to hold the
// names (108 bytes); ports are read when it holds them (194 bytes).
std::optional<PollReplyFields> ParsePollReply(const uint8_t* data, std::size_t size);
// The 15-bit port-address of an ArtDmx (Net, SubUni); nullopt when it is not one.
std::optional<uint16_t> ParseDmxPortAddress(const uint8_t* data, std::size_t size);
// "a.b.c.d"
std::string DottedIPv4(const std::array<uint8_t, 4>& ip);

class NodeTable {
 public:
  static constexpr std::size_t kMaxNodes = 64;
  // ArtDmx heard within this long counts as sending now.
  static constexpr int64_t kSendingMs = 10'000;

  struct Entry {
    std::string ip;
    std::string shortName;
    std::string longName;
    bool replied = false;  // known from an ArtPollReply (else only from its ArtDmx)
    std::map<uint8_t, std::vector<uint16_t>> outputsByBind;
    std::map<uint8_t, std::vector<uint16_t>> inputsByBind;
    std::map<uint16_t, int64_t> sending;  // universe -> when last heard (ms)
    int64_t lastSeenMs = 0;
    // Output port universes of every reply of the node, ascending, once each.
    std::vector<uint16_t> universes() const;
    // Universes it sent ArtDmx on within kSendingMs before nowMs.
    std::vector<uint16_t> sendingNow(int64_t nowMs) const;
  };

  struct Conflict {
    enum Kind { kFighting, kUnfed };
    Kind kind;
    std::string ip;
    uint16_t universe;
    std::string text;
  };

  // A reply heard at nowMs (`from` is the datagram's source, "" when
  // unknown: then the reply's own IP field names the node).
  void heardReply(const PollReplyFields& r, const std::string& from, int64_t nowMs);
  // ArtDmx on `universe` from `from` (ignored when the source is unknown).
  void heardDmx(const std::string& from, uint16_t universe, int64_t nowMs);
  void clear() { nodes_.clear(); }

  // In the order first heard.
  const std::vector<Entry>& nodes() const { return nodes_; }
  // `ours`: the universes this desk sends now.
  std::vector<Conflict> conflicts(const std::vector<uint16_t>& ours, int64_t nowMs) const;

 private:
  Entry& entry(const std::string& ip, int64_t nowMs);
  std::vector<Entry> nodes_;
};

}  // namespace lumora::artnet
