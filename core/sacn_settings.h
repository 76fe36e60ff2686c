// The sACN output settings of a show: eight output universes and the local
// interface they are sent from. Kept in the desk record and the project file.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace lumora {

inline constexpr int kSacnPorts = 8;
inline constexpr int kSacnDefaultPriority = 100;

struct SacnPortRec {
  int16_t Enabled = 0;  // -1 = sending
  int32_t Universe = 1;  // 1..63999
  int16_t Priority = kSacnDefaultPriority;  // 0..200
  std::string Unicast;  // dotted IPv4, "" = multicast only
  bool operator==(const SacnPortRec&) const = default;
};

// Port p sends universe p + 1 until the operator says otherwise.
inline std::array<SacnPortRec, kSacnPorts> DefaultSacnPorts() {
  std::array<SacnPortRec, kSacnPorts> a{};
  for (int p = 0; p < kSacnPorts; ++p) a[static_cast<std::size_t>(p)].Universe = p + 1;
  return a;
}

}  // namespace lumora
