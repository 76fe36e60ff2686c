#include "output/artnet_nodes.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "output/artnet_packet.h"

namespace lumora::artnet {

namespace {

constexpr std::size_t kNamesEnd = 108;
constexpr std::size_t kPortsEnd = 194;
constexpr std::size_t kBindIndexAt = 212;

// A text field in the single-byte Western code page, ended by NUL or its
// size, as UTF-8 without the trailing blanks; control characters become '?'.
std::string ReadTextField(const uint8_t* p, std::size_t size) {
  std::string out;
  for (std::size_t i = 0; i < size && p[i] != 0; ++i) {
    const uint8_t c = p[i];
    if (c < 0x20 || c == 0x7F) {
      out += '?';
    } else if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

std::string NodeName(const NodeTable::Entry& e) {
  return e.shortName.empty() ? e.ip : e.ip + " (" + e.shortName + ")";
}

}  // namespace

void BuildArtPoll(PollPacket& out) {
  out.fill(0);
  const char id[8] = {'A', 'r', 't', '-', 'N', 'e', 't', 0};
  std::memcpy(out.data(), id, sizeof id);
  out[8] = kOpPoll & 0xFF;
  out[9] = kOpPoll >> 8;
  out[11] = 14;  // ProtVerLo
  out[12] = 0;   // Flags: reply only when polled
  out[13] = 0;   // DiagPriority
}

std::string DottedIPv4(const std::array<uint8_t, 4>& ip) {
  return std::to_string(ip[0]) + "." + std::to_string(ip[1]) + "." + std::to_string(ip[2]) + "." +
         std::to_string(ip[3]);
}

std::optional<PollReplyFields> ParsePollReply(const uint8_t* data, std::size_t size) {
  const auto op = ReadOpCode(data, size);
  if (!op || *op != kOpPollReply || size < kNamesEnd) return std::nullopt;
  PollReplyFields r;
  std::memcpy(r.ip.data(), data + 10, 4);
  r.shortName = ReadTextField(data + 26, 18);
  r.longName = ReadTextField(data + 44, 64);
  if (size > kBindIndexAt) r.bindIndex = data[kBindIndexAt];
  if (size < kPortsEnd) return r;
  const uint16_t base = static_cast<uint16_t>(((data[18] & 0x7F) << 8) | ((data[19] & 0x0F) << 4));
  const int declared = std::min<int>(data[173], 4);
  for (int i = 0; i < 4; ++i) {
    // Nodes that leave NumPorts at zero still describe their ports.
    if (declared != 0 && i >= declared) break;
    const uint8_t type = data[174 + i];
    if (type & 0x80) r.outputs.push_back(static_cast<uint16_t>(base | (data[190 + i] & 0x0F)));
    if (type & 0x40) r.inputs.push_back(static_cast<uint16_t>(base | (data[186 + i] & 0x0F)));
  }
  return r;
}

std::optional<uint16_t> ParseDmxPortAddress(const uint8_t* data, std::size_t size) {
  const auto op = ReadOpCode(data, size);
  if (!op || *op != kOpDmx || size < 18) return std::nullopt;
  return static_cast<uint16_t>(((data[15] & 0x7F) << 8) | data[14]);
}

std::vector<uint16_t> NodeTable::Entry::universes() const {
  std::set<uint16_t> all;
  for (const auto& [bind, list] : outputsByBind) all.insert(list.begin(), list.end());
  return {all.begin(), all.end()};
}

std::vector<uint16_t> NodeTable::Entry::sendingNow(int64_t nowMs) const {
  std::vector<uint16_t> out;
  for (const auto& [u, at] : sending)
    if (nowMs - at <= kSendingMs) out.push_back(u);
  return out;
}

NodeTable::Entry& NodeTable::entry(const std::string& ip, int64_t nowMs) {
  for (Entry& e : nodes_)
    if (e.ip == ip) {
      e.lastSeenMs = nowMs;
      return e;
    }
  if (nodes_.size() >= kMaxNodes) {
    // The node heard least recently makes room.
    auto oldest = std::min_element(nodes_.begin(), nodes_.end(),
                                   [](const Entry& a, const Entry& b) { return a.lastSeenMs < b.lastSeenMs; });
    nodes_.erase(oldest);
  }
  nodes_.push_back(Entry{});
  nodes_.back().ip = ip;
  nodes_.back().lastSeenMs = nowMs;
  return nodes_.back();
}

void NodeTable::heardReply(const PollReplyFields& r, const std::string& from, int64_t nowMs) {
  Entry& e = entry(from.empty() ? DottedIPv4(r.ip) : from, nowMs);
  e.replied = true;
  if (r.bindIndex <= 1 || e.shortName.empty()) {
    e.shortName = r.shortName;
    e.longName = r.longName;
  }
  e.outputsByBind[r.bindIndex] = r.outputs;
  e.inputsByBind[r.bindIndex] = r.inputs;
}

void NodeTable::heardDmx(const std::string& from, uint16_t universe, int64_t nowMs) {
  if (from.empty()) return;
  entry(from, nowMs).sending[universe] = nowMs;
}

std::vector<NodeTable::Conflict> NodeTable::conflicts(const std::vector<uint16_t>& ours, int64_t nowMs) const {
  std::vector<Conflict> out;
  const std::set<uint16_t> mine(ours.begin(), ours.end());
  std::set<uint16_t> sent = mine;
  for (const Entry& e : nodes_)
    for (uint16_t u : e.sendingNow(nowMs)) sent.insert(u);
  for (const Entry& e : nodes_) {
    for (uint16_t u : e.sendingNow(nowMs))
      if (mine.count(u))
        out.push_back({Conflict::kFighting, e.ip, u,
                       NodeName(e) + " also sends universe " + std::to_string(u) + ": two sources fight over it"});
    for (uint16_t u : e.universes())
      if (!sent.count(u))
        out.push_back({Conflict::kUnfed, e.ip, u,
                       NodeName(e) + " wants universe " + std::to_string(u) + ", which nobody sends"});
  }
  return out;
}

}  // namespace lumora::artnet
