// Art-Net packets as the node writes and reads them (protocol version 14).
// Pure C++: no desk, no Qt, no sockets.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lumora::artnet {

constexpr uint16_t kPort = 6454;  // 0x1936, local and remote
constexpr uint16_t kOpPoll = 0x2000;
constexpr uint16_t kOpPollReply = 0x2100;
constexpr uint16_t kOpDmx = 0x5000;
constexpr std::size_t kDmxSize = 530;
constexpr std::size_t kPollReplySize = 239;
constexpr std::size_t kPollSize = 14;  // the part of an ArtPoll the node reads
constexpr std::size_t kHeaderSize = 10;  // ID and OpCode
constexpr std::size_t kSlots = 512;
// The node's input universe.
constexpr uint8_t kInputUniverse = 0;

using DmxPacket = std::array<uint8_t, kDmxSize>;
using PollReplyPacket = std::array<uint8_t, kPollReplySize>;

// Fills `out` with an ArtDmx for `universe` carrying slots[0..511].
void BuildArtDmx(DmxPacket& out, uint8_t universe, const uint8_t* slots);

struct PollReplyInfo {
  std::array<uint8_t, 4> ip{};  // first octet first
  std::string shortName;        // UTF-8; written in the single-byte code page
  std::string longName;
};
void BuildArtPollReply(PollReplyPacket& out, const PollReplyInfo& info);

// The OpCode of a datagram that carries the Art-Net ID (with its zero byte)
// and is at least 10 bytes long; nullopt for anything else.
std::optional<uint16_t> ReadOpCode(const uint8_t* data, std::size_t size);

// The broadcast address for a local IPv4 address: networks 10 and 2 have
// their own; every other address broadcasts to 255.255.255.255.
std::string BroadcastFor(std::string_view localAddress);
// First dotted part of an address ("10" for "10.0.0.5").
std::string_view FirstPart(std::string_view address);

// Parses dotted IPv4 text; nullopt when malformed.
std::optional<std::array<uint8_t, 4>> ParseIPv4(std::string_view text);

// Writes UTF-8 text into a fixed field in the Western single-byte code page
// (characters outside it become '?'), padded with blanks, cut at the field
// size; no terminator.
void WriteTextField(uint8_t* field, std::size_t size, std::string_view utf8);

}  // namespace lumora::artnet
