#include "output/artnet_packet.h"

#include <cstring>

namespace lumora::artnet {

namespace {

constexpr uint8_t kId[8] = {'A', 'r', 't', '-', 'N', 'e', 't', 0};
constexpr uint8_t kProtVer = 14;

void PutHeader(uint8_t* p, uint16_t op) {
  std::memcpy(p, kId, sizeof kId);
  p[8] = static_cast<uint8_t>(op & 0xFF);
  p[9] = static_cast<uint8_t>(op >> 8);
}

// Decodes one UTF-8 sequence at s[i]; advances i. Malformed input yields
// U+FFFD so that it is written as '?'.
uint32_t NextCodePoint(std::string_view s, std::size_t& i) {
  const auto b0 = static_cast<uint8_t>(s[i++]);
  if (b0 < 0x80) return b0;
  int extra = b0 >= 0xF0 && b0 < 0xF8 ? 3 : b0 >= 0xE0 ? 2 : b0 >= 0xC0 ? 1 : -1;
  if (extra < 0) return 0xFFFD;
  uint32_t cp = b0 & (0x3F >> extra);
  for (int k = 0; k < extra; ++k) {
    if (i >= s.size() || (static_cast<uint8_t>(s[i]) & 0xC0) != 0x80) return 0xFFFD;
    cp = (cp << 6) | (static_cast<uint8_t>(s[i++]) & 0x3F);
  }
  return cp;
}

}  // namespace

void BuildArtDmx(DmxPacket& out, uint8_t universe, const uint8_t* slots) {
  PutHeader(out.data(), kOpDmx);
  out[10] = 0;          // ProtVerHi
  out[11] = kProtVer;   // ProtVerLo
  out[12] = 0;          // Sequence: off
  out[13] = 0;          // Physical
  out[14] = universe;   // SubUni
  out[15] = 0;          // Net
  out[16] = 2;          // LengthHi
  out[17] = 0;          // Length: 512 slots
  std::memcpy(out.data() + 18, slots, kSlots);
}

void WriteTextField(uint8_t* field, std::size_t size, std::string_view utf8) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < utf8.size() && n < size;) {
    uint32_t cp = NextCodePoint(utf8, i);
    field[n++] = cp <= 0xFF ? static_cast<uint8_t>(cp) : static_cast<uint8_t>('?');
  }
  for (; n < size; ++n) field[n] = ' ';
}

void BuildArtPollReply(PollReplyPacket& out, const PollReplyInfo& info) {
  out.fill(0);
  PutHeader(out.data(), kOpPollReply);
  std::memcpy(out.data() + 10, info.ip.data(), 4);  // IP address
  out[14] = kPort & 0xFF;                            // Port, low byte first
  out[15] = kPort >> 8;
  out[17] = kProtVer;  // VersInfo
  out[21] = 0xFF;      // Oem
  WriteTextField(out.data() + 26, 18, info.shortName);
  WriteTextField(out.data() + 44, 64, info.longName);
  WriteTextField(out.data() + 108, 64, "OK");  // NodeReport
  out[173] = 1;               // NumPortsLo
  out[174] = 0x80;            // PortTypes: port 1 outputs DMX512
  out[182] = 0x80;            // GoodOutput: port 1 transmitting
  out[190] = kInputUniverse;  // SwOut
}

std::optional<uint16_t> ReadOpCode(const uint8_t* data, std::size_t size) {
  if (!data || size < kHeaderSize) return std::nullopt;
  if (std::memcmp(data, kId, sizeof kId) != 0) return std::nullopt;
  return static_cast<uint16_t>(data[8] | (data[9] << 8));
}

std::string_view FirstPart(std::string_view address) { return address.substr(0, address.find('.')); }

std::string BroadcastFor(std::string_view localAddress) {
  std::string_view first = FirstPart(localAddress);
  if (first == "10") return "10.255.255.255";
  if (first == "2") return "2.255.255.255";
  return "255.255.255.255";
}

std::optional<std::array<uint8_t, 4>> ParseIPv4(std::string_view text) {
  std::array<uint8_t, 4> ip{};
  std::size_t pos = 0;
  for (int k = 0; k < 4; ++k) {
    if (k > 0) {
      if (pos >= text.size() || text[pos] != '.') return std::nullopt;
      ++pos;
    }
    int v = 0;
    std::size_t digits = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && digits < 4) {
      v = v * 10 + (text[pos++] - '0');
      ++digits;
    }
    if (digits == 0 || digits > 3 || v > 255) return std::nullopt;
    ip[static_cast<std::size_t>(k)] = static_cast<uint8_t>(v);
  }
  if (pos != text.size()) return std::nullopt;
  return ip;
}

}  // namespace lumora::artnet
