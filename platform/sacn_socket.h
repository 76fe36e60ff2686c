// The sACN sender's socket as a platform interface: one UDP socket that sends
// to multicast groups and unicast addresses out of a chosen local interface.
// SendTo takes the address as a number, so the wire thread sends without
// text or allocation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace lumora {

class SacnSocket {
 public:
  virtual ~SacnSocket() = default;
  // Opens the socket to send from the interface with IPv4 address
  // `interfaceAddress` ("" = wherever the system routes). Opening an open
  // socket again reopens it on the new interface. "" or the error.
  virtual std::string Open(const std::string& interfaceAddress) = 0;
  virtual void Close() = 0;
  virtual bool isOpen() const = 0;
  // One datagram to a host-order IPv4 address; false when it could not go.
  virtual bool SendTo(uint32_t ipv4, uint16_t port, const uint8_t* data, std::size_t size) = 0;
};

// Real backend: POSIX sockets (multicast TTL 1 by default, the interface set
// with IP_MULTICAST_IF and the source address bound to it).
std::unique_ptr<SacnSocket> MakePosixSacnSocket();

// The local IPv4 addresses of the interfaces that are up, as "name address"
// pairs (the loopback last).
struct LocalInterface {
  std::string name;
  std::string address;
};
std::vector<LocalInterface> LocalIPv4Interfaces();

// Loop-back twin for tests and --sim: records what is sent.
class FakeSacnSocket : public SacnSocket {
 public:
  struct Sent {
    uint32_t ipv4 = 0;
    uint16_t port = 0;
    std::vector<uint8_t> data;
  };
  std::string Open(const std::string& interfaceAddress) override {
    ++openCalls;
    if (!openError.empty()) return openError;
    open = true;
    iface = interfaceAddress;
    return "";
  }
  void Close() override { open = false; }
  bool isOpen() const override { return open; }
  bool SendTo(uint32_t ipv4, uint16_t port, const uint8_t* data, std::size_t size) override {
    if (!open) return false;
    sent.push_back({ipv4, port, std::vector<uint8_t>(data, data + size)});
    return true;
  }

  bool open = false;
  std::string iface;
  std::string openError;  // non-empty: Open fails with this text
  int openCalls = 0;
  std::vector<Sent> sent;
};

}  // namespace lumora
