// POSIX backend of the desk's UDP socket.
#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/udp_socket.h"

namespace lumora {

bool IsIPv4Address(const std::string& text) {
  in_addr a{};
  return !text.empty() && inet_pton(AF_INET, text.c_str(), &a) == 1;
}

std::string FirstInterfaceIPv4() {
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return "";
  std::string found;
  for (ifaddrs* i = list; i; i = i->ifa_next) {
    if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET) continue;
    if (!(i->ifa_flags & IFF_UP) || (i->ifa_flags & IFF_LOOPBACK)) continue;
    char buf[INET_ADDRSTRLEN] = {};
    const auto* sin = reinterpret_cast<const sockaddr_in*>(i->ifa_addr);
    if (inet_ntop(AF_INET, &sin->sin_addr, buf, sizeof buf)) {
      found = buf;
      break;
    }
  }
  freeifaddrs(list);
  return found;
}

namespace {

class PosixUdpSocket : public UdpSocket {
 public:
  explicit PosixUdpSocket(std::string addressOverride) : override_(std::move(addressOverride)) {}
  ~PosixUdpSocket() override {
    if (fd_ >= 0) close(fd_);
  }

  std::string Bind(uint16_t port) override {
    if (fd_ >= 0) return "";
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return std::strerror(errno);
    // No SO_REUSEADDR: a port held by another node must make the bind fail.
    int on = 1;
    if (setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) {
      std::string e = std::strerror(errno);
      close(fd);
      return e;
    }
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
      std::string e = std::strerror(errno);
      close(fd);
      return e;
    }
    fd_ = fd;
    return "";
  }

  bool bound() const override { return fd_ >= 0; }
  int fd() const override { return fd_; }

  std::string LocalAddress() const override {
    if (!override_.empty()) return override_;
    std::string a = FirstInterfaceIPv4();
    return a.empty() ? "127.0.0.1" : a;
  }

  bool SendTo(const std::string& host, uint16_t port, const uint8_t* data, std::size_t size) override {
    if (fd_ < 0) return false;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    if (inet_pton(AF_INET, host.c_str(), &a.sin_addr) != 1) return false;
    ssize_t n = sendto(fd_, data, size, MSG_DONTWAIT | MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&a), sizeof a);
    return n == static_cast<ssize_t>(size);
  }

  std::optional<Datagram> Receive() override {
    std::string source;
    return ReceiveFrom(source);
  }

  std::optional<Datagram> ReceiveFrom(std::string& source) override {
    source.clear();
    if (fd_ < 0) return std::nullopt;
    // A pending ICMP error surfaces as a failed receive; it is skipped.
    for (int attempt = 0; attempt < 4; ++attempt) {
      sockaddr_in from{};
      socklen_t len = sizeof from;
      ssize_t n = recvfrom(fd_, buf_.data(), buf_.size(), MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &len);
      if (n >= 0) {
        char text[INET_ADDRSTRLEN] = {};
        if (from.sin_family == AF_INET && inet_ntop(AF_INET, &from.sin_addr, text, sizeof text)) source = text;
        return Datagram(buf_.begin(), buf_.begin() + n);
      }
      if (errno == EAGAIN || errno == EWOULDBLOCK) return std::nullopt;
      if (errno != EINTR && errno != ECONNREFUSED && errno != EHOSTUNREACH && errno != ENETUNREACH) return std::nullopt;
    }
    return std::nullopt;
  }

 private:
  std::string override_;
  int fd_ = -1;
  std::vector<uint8_t> buf_ = std::vector<uint8_t>(65536);
};

}  // namespace

std::unique_ptr<UdpSocket> MakePosixUdpSocket(std::string addressOverride) {
  return std::make_unique<PosixUdpSocket>(std::move(addressOverride));
}

}  // namespace lumora
