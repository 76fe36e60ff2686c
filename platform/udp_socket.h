// The desk's UDP socket as a platform interface: one datagram socket bound to
// a local port, sending to a host and port, read without blocking. The desk
// polls it from a timer on the UI thread, so received data is handled between
// two timer events like every other event of the desk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lumora {

using Datagram = std::vector<uint8_t>;

class UdpSocket {
 public:
  virtual ~UdpSocket() = default;

  // Binds to `port` on every local address with broadcasting allowed.
  // Returns "" on success, else a description of the error. Binding a socket
  // that is already bound keeps the existing binding and succeeds.
  virtual std::string Bind(uint16_t port) = 0;
  virtual bool bound() const = 0;
  // The local IPv4 address the node reports, as dotted text.
  virtual std::string LocalAddress() const = 0;
  // Sends one datagram; false when it could not be sent.
  virtual bool SendTo(const std::string& host, uint16_t port, const uint8_t* data, std::size_t size) = 0;
  // The next datagram waiting, without blocking.
  virtual std::optional<Datagram> Receive() = 0;
  // The same with the sender's dotted IPv4 address ("" where unknown).
  virtual std::optional<Datagram> ReceiveFrom(std::string& source) {
    source.clear();
    return Receive();
  }
  // The descriptor a host can wait on for data arrival (-1: none; poll).
  virtual int fd() const { return -1; }
  // Has the system drop, before they are queued, datagrams that come from
  // one of this host's own addresses and `port` and begin with `head`: a
  // node's own broadcasts coming back, which would otherwise wake the reader
  // for nothing. Best effort (addresses added later are not covered); false
  // when it cannot be done, and then such datagrams simply arrive.
  virtual bool IgnoreOwn(uint16_t port, const std::vector<uint8_t>& head) {
    (void)port;
    (void)head;
    return false;
  }
};

// Real backend: POSIX sockets. The local address is `addressOverride` when
// not empty, else the first IPv4 address of an interface that is up and not
// the loopback, else "127.0.0.1".
std::unique_ptr<UdpSocket> MakePosixUdpSocket(std::string addressOverride);

// First IPv4 address of an up, non-loopback interface ("" when none).
std::string FirstInterfaceIPv4();
// True when `text` is a dotted IPv4 address.
bool IsIPv4Address(const std::string& text);

// Loop-back twin for tests and --sim: records what is sent, hands out what a
// test injects, and can be told to fail the bind.
class FakeUdpSocket : public UdpSocket {
 public:
  struct Sent {
    std::string host;
    uint16_t port = 0;
    Datagram data;
  };

  std::string Bind(uint16_t port) override {
    ++bindCalls;
    if (isBound) return "";
    if (!bindError.empty()) return bindError;
    isBound = true;
    boundPort = port;
    return "";
  }
  bool bound() const override { return isBound; }
  std::string LocalAddress() const override { return localAddress; }
  bool SendTo(const std::string& host, uint16_t port, const uint8_t* data, std::size_t size) override {
    if (!isBound) return false;
    sent.push_back({host, port, Datagram(data, data + size)});
    return true;
  }
  std::optional<Datagram> Receive() override {
    std::string source;
    return ReceiveFrom(source);
  }
  std::optional<Datagram> ReceiveFrom(std::string& source) override {
    source.clear();
    if (!isBound || incoming.empty()) return std::nullopt;
    Datagram d = std::move(incoming.front());
    incoming.pop_front();
    // Sources are kept only for datagrams injected with one.
    if (incomingFrom.size() > incoming.size()) {
      source = std::move(incomingFrom.front());
      incomingFrom.pop_front();
    }
    return d;
  }
  void Inject(Datagram d, std::string source = "") {
    incoming.push_back(std::move(d));
    incomingFrom.push_back(std::move(source));
  }

  std::string localAddress = "10.0.0.1";
  std::string bindError;  // non-empty: Bind fails with this text
  bool isBound = false;
  uint16_t boundPort = 0;
  int bindCalls = 0;
  std::vector<Sent> sent;
  std::deque<Datagram> incoming;
  std::deque<std::string> incomingFrom;
};

}  // namespace lumora
