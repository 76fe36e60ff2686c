#include "output/sacn_packet.h"

#include <cstring>
#include <random>

namespace lumora::sacn {

namespace {

constexpr uint8_t kAcnId[12] = {'A', 'S', 'C', '-', 'E', '1', '.', '1', '7', 0, 0, 0};
constexpr uint32_t kVectorRootData = 0x00000004;
constexpr uint32_t kVectorFramingData = 0x00000002;
constexpr uint8_t kVectorDmpSetProperty = 0x02;
constexpr uint8_t kDmpAddressAndDataType = 0xA1;
// Offsets of the layers.
constexpr std::size_t kRootFlags = 16;
constexpr std::size_t kFramingFlags = 38;
constexpr std::size_t kDmpFlags = 115;
constexpr std::size_t kStartCode = 125;

void Put16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v >> 8);
  p[1] = static_cast<uint8_t>(v);
}
void Put32(uint8_t* p, uint32_t v) {
  Put16(p, static_cast<uint16_t>(v >> 16));
  Put16(p + 2, static_cast<uint16_t>(v));
}
uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
uint32_t Get32(const uint8_t* p) { return (static_cast<uint32_t>(Get16(p)) << 16) | Get16(p + 2); }
// A PDU's flags (always 0x7) and the length from its own first byte to the
// end of the packet.
void PutFlagsLength(uint8_t* packet, std::size_t at, std::size_t total) {
  Put16(packet + at, static_cast<uint16_t>(0x7000 | (total - at)));
}
bool FlagsLengthFit(const uint8_t* packet, std::size_t at, std::size_t total) {
  const uint16_t v = Get16(packet + at);
  return (v >> 12) == 0x7 && (v & 0x0FFF) == total - at;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

void SetSourceName(Source& s, std::string_view utf8) {
  std::size_t n = std::min(utf8.size(), kSourceNameSize - 1);
  // Never end inside a character: back up over continuation bytes to the
  // lead byte of a cut character.
  if (n < utf8.size()) {
    auto continuation = [&](std::size_t k) { return (static_cast<uint8_t>(utf8[k]) & 0xC0) == 0x80; };
    std::size_t k = n;
    while (k > 0 && n - k < 3 && continuation(k)) --k;
    if (!continuation(k)) n = k;  // else not UTF-8 there: cut where the room ends
  }
  s.name.fill(0);
  std::memcpy(s.name.data(), utf8.data(), n);
}

void BuildDataPacket(DataPacket& out, const Source& src, uint16_t universe, uint8_t priority, uint8_t sequence,
                     uint8_t options, const uint8_t* slots) {
  uint8_t* p = out.data();
  // Root layer
  Put16(p + 0, 0x0010);  // preamble size
  Put16(p + 2, 0x0000);  // post-amble size
  std::memcpy(p + 4, kAcnId, sizeof kAcnId);
  PutFlagsLength(p, kRootFlags, kPacketSize);
  Put32(p + 18, kVectorRootData);
  std::memcpy(p + 22, src.cid.data(), src.cid.size());
  // Framing layer
  PutFlagsLength(p, kFramingFlags, kPacketSize);
  Put32(p + 40, kVectorFramingData);
  std::memcpy(p + 44, src.name.data(), kSourceNameSize);
  p[108] = priority;
  Put16(p + 109, 0);  // synchronization address: none
  p[111] = sequence;
  p[112] = options;
  Put16(p + 113, universe);
  // DMP layer
  PutFlagsLength(p, kDmpFlags, kPacketSize);
  p[117] = kVectorDmpSetProperty;
  p[118] = kDmpAddressAndDataType;
  Put16(p + 119, 0x0000);  // first property address
  Put16(p + 121, 0x0001);  // address increment
  Put16(p + 123, static_cast<uint16_t>(kSlots + 1));  // property values: start code and slots
  p[kStartCode] = 0;
  std::memcpy(p + kStartCode + 1, slots, kSlots);
}

std::optional<DataFields> ParseDataPacket(const uint8_t* data, std::size_t size, std::string* why) {
  auto fail = [why](const char* reason) -> std::optional<DataFields> {
    if (why) *why = reason;
    return std::nullopt;
  };
  if (!data || size < kMinPacketSize) return fail("shorter than a data packet");
  if (size > kPacketSize) return fail("longer than a data packet");
  if (Get16(data) != 0x0010 || Get16(data + 2) != 0x0000) return fail("preamble or post-amble size");
  if (std::memcmp(data + 4, kAcnId, sizeof kAcnId) != 0) return fail("not the ACN packet identifier");
  if (!FlagsLengthFit(data, kRootFlags, size)) return fail("root layer flags or length");
  if (Get32(data + 18) != kVectorRootData) return fail("root vector is not E1.31 data");
  if (!FlagsLengthFit(data, kFramingFlags, size)) return fail("framing layer flags or length");
  if (Get32(data + 40) != kVectorFramingData) return fail("framing vector is not a data packet");
  if (!FlagsLengthFit(data, kDmpFlags, size)) return fail("DMP layer flags or length");
  if (data[117] != kVectorDmpSetProperty) return fail("DMP vector is not Set Property");
  if (data[118] != kDmpAddressAndDataType) return fail("DMP address and data type");
  if (Get16(data + 119) != 0 || Get16(data + 121) != 1) return fail("DMP first address or increment");
  if (Get16(data + 123) != size - kStartCode) return fail("property value count");
  DataFields f;
  std::memcpy(f.cid.data(), data + 22, f.cid.size());
  const auto* name = reinterpret_cast<const char*>(data + 44);
  f.sourceName.assign(name, strnlen(name, kSourceNameSize));
  f.priority = data[108];
  if (f.priority > kMaxPriority) return fail("priority above 200");
  f.syncAddress = Get16(data + 109);
  f.sequence = data[111];
  f.options = data[112];
  f.universe = Get16(data + 113);
  if (f.universe < kMinUniverse || f.universe > kMaxUniverse) return fail("universe outside 1..63999");
  f.startCode = data[kStartCode];
  f.slotCount = static_cast<uint16_t>(size - kStartCode - 1);
  std::memcpy(f.slots.data(), data + kStartCode + 1, f.slotCount);
  return f;
}

uint32_t MulticastAddress(uint16_t universe) { return (239u << 24) | (255u << 16) | universe; }

std::string AddressText(uint32_t ipv4) {
  return std::to_string(ipv4 >> 24) + "." + std::to_string((ipv4 >> 16) & 0xFF) + "." +
         std::to_string((ipv4 >> 8) & 0xFF) + "." + std::to_string(ipv4 & 0xFF);
}

std::optional<uint32_t> ParseIPv4(std::string_view text) {
  uint32_t ip = 0;
  std::size_t pos = 0;
  for (int k = 0; k < 4; ++k) {
    if (k > 0) {
      if (pos >= text.size() || text[pos] != '.') return std::nullopt;
      ++pos;
    }
    uint32_t v = 0;
    std::size_t digits = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && digits < 4) {
      v = v * 10 + static_cast<uint32_t>(text[pos++] - '0');
      ++digits;
    }
    if (digits == 0 || digits > 3 || v > 255) return std::nullopt;
    ip = (ip << 8) | v;
  }
  if (pos != text.size()) return std::nullopt;
  return ip;
}

std::string CidText(const Cid& cid) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string t;
  for (std::size_t i = 0; i < cid.size(); ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) t += '-';
    t += kHex[cid[i] >> 4];
    t += kHex[cid[i] & 0xF];
  }
  return t;
}

std::optional<Cid> ParseCid(std::string_view text) {
  if (text.size() != 36) return std::nullopt;
  Cid cid{};
  std::size_t n = 0;
  for (std::size_t i = 0; i < text.size();) {
    if (i == 8 || i == 13 || i == 18 || i == 23) {
      if (text[i++] != '-') return std::nullopt;
      continue;
    }
    const int hi = HexDigit(text[i]), lo = HexDigit(text[i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    cid[n++] = static_cast<uint8_t>(hi * 16 + lo);
    i += 2;
  }
  return cid;
}

Cid NewCid() {
  std::random_device rd;
  Cid cid{};
  for (std::size_t i = 0; i < cid.size(); i += 4) {
    const uint32_t v = rd();
    for (std::size_t k = 0; k < 4; ++k) cid[i + k] = static_cast<uint8_t>(v >> (8 * k));
  }
  cid[6] = static_cast<uint8_t>((cid[6] & 0x0F) | 0x40);  // version 4
  cid[8] = static_cast<uint8_t>((cid[8] & 0x3F) | 0x80);  // RFC 4122 variant
  return cid;
}

bool Stream::Due(int64_t nowNs, const uint8_t* slots, uint8_t priority) {
  const bool changed = !started_ || priority != priority_ || std::memcmp(slots, last_.data(), kSlots) != 0;
  if (changed) {
    std::memcpy(last_.data(), slots, kSlots);
    priority_ = priority;
    unchanged_ = 0;
  } else if (unchanged_ < kUnchangedRepeats) {
    ++unchanged_;
  } else if (nowNs - lastSentNs_ < kKeepAliveNs) {
    return false;
  }
  started_ = true;
  lastSentNs_ = nowNs;
  return true;
}

void Stream::Reset() {
  started_ = false;
  unchanged_ = 0;
}

}  // namespace lumora::sacn
