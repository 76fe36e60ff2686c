// sACN (ANSI E1.31) data packets as the desk writes and reads them, and the
// rules of when a source sends. Pure C++: no desk, no Qt, no sockets.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lumora::sacn {

constexpr uint16_t kPort = 5568;
constexpr std::size_t kSlots = 512;
constexpr std::size_t kPacketSize = 638;  // root + framing + DMP layer with start code and 512 slots
constexpr std::size_t kMinPacketSize = 126;  // the same with the start code alone
constexpr std::size_t kSourceNameSize = 64;
constexpr uint16_t kMinUniverse = 1;
constexpr uint16_t kMaxUniverse = 63999;
constexpr uint8_t kMaxPriority = 200;
constexpr uint8_t kDefaultPriority = 100;

// Framing layer options.
constexpr uint8_t kOptionPreview = 0x80;
constexpr uint8_t kOptionTerminated = 0x40;
constexpr uint8_t kOptionForceSync = 0x20;

using Cid = std::array<uint8_t, 16>;
using DataPacket = std::array<uint8_t, kPacketSize>;

// What a data packet carries.
struct DataFields {
  Cid cid{};
  std::string sourceName;  // UTF-8, without its terminator
  uint8_t priority = kDefaultPriority;
  uint16_t syncAddress = 0;
  uint8_t sequence = 0;
  uint8_t options = 0;
  uint16_t universe = kMinUniverse;
  uint8_t startCode = 0;
  uint16_t slotCount = 0;  // slots after the start code (0..512)
  std::array<uint8_t, kSlots> slots{};
};

// The fixed part of a source: its CID and its name as the packet holds it.
struct Source {
  Cid cid{};
  std::array<uint8_t, kSourceNameSize> name{};  // NUL-padded UTF-8, always terminated
};
// The name cut to 63 bytes at a UTF-8 character boundary and padded with NULs.
void SetSourceName(Source& s, std::string_view utf8);

// Fills `out` with a data packet of start code 0 and 512 slots. No allocation.
void BuildDataPacket(DataPacket& out, const Source& src, uint16_t universe, uint8_t priority, uint8_t sequence,
                     uint8_t options, const uint8_t* slots);

// Reads a data packet of any slot count; nullopt for anything that is not a
// well-formed E1.31 data packet (`why`, when given, says what was wrong).
std::optional<DataFields> ParseDataPacket(const uint8_t* data, std::size_t size, std::string* why = nullptr);

// 239.255.hi.lo for a universe, as a host-order IPv4 number and as text.
uint32_t MulticastAddress(uint16_t universe);
std::string AddressText(uint32_t ipv4);
// Dotted IPv4 text as a host-order number; nullopt when it is not exactly
// four decimal parts of 0..255.
std::optional<uint32_t> ParseIPv4(std::string_view text);

// A CID as UUID text (lower-case 8-4-4-4-12) and back.
std::string CidText(const Cid& cid);
std::optional<Cid> ParseCid(std::string_view text);
// A new random (version 4) UUID.
Cid NewCid();

// When one universe's stream sends: at once when the slots or the priority
// change, the unchanged frame three times more, then a keep-alive at the
// keep-alive interval.
class Stream {
 public:
  static constexpr int64_t kKeepAliveNs = 900'000'000;  // within the standard's 800..1000 ms
  static constexpr int kUnchangedRepeats = 3;
  static constexpr int kTerminationPackets = 3;

  // Whether a data packet is due at `nowNs` for these slots and priority;
  // when it is, the stream counts it as sent.
  bool Due(int64_t nowNs, const uint8_t* slots, uint8_t priority);
  bool started() const { return started_; }
  // Starts again as a new stream (after a termination).
  void Reset();

 private:
  bool started_ = false;
  int unchanged_ = 0;  // packets sent since the last change
  int64_t lastSentNs_ = 0;
  uint8_t priority_ = 0;
  std::array<uint8_t, kSlots> last_{};
};

}  // namespace lumora::sacn
