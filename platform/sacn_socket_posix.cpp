// POSIX backend of the sACN sender's socket.
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/sacn_socket.h"

namespace lumora {

namespace {

class PosixSacnSocket : public SacnSocket {
 public:
  ~PosixSacnSocket() override { Close(); }

  std::string Open(const std::string& interfaceAddress) override {
    Close();
    in_addr local{};
    local.s_addr = htonl(INADDR_ANY);
    if (!interfaceAddress.empty() && inet_pton(AF_INET, interfaceAddress.c_str(), &local) != 1)
      return "'" + interfaceAddress + "' is not an IPv4 address";
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return std::strerror(errno);
    auto failed = [fd](const std::string& what) {
      const std::string e = what + ": " + std::strerror(errno);
      close(fd);
      return e;
    };
    if (!interfaceAddress.empty()) {
      // Multicast leaves through this interface, and every datagram carries
      // its address as the source.
      if (setsockopt(fd, IPPROTO_IP, IP_MULTICAST_IF, &local, sizeof local) != 0)
        return failed("interface " + interfaceAddress);
      sockaddr_in a{};
      a.sin_family = AF_INET;
      a.sin_addr = local;
      a.sin_port = 0;
      if (bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0)
        return failed("interface " + interfaceAddress);
    }
    fd_ = fd;
    return "";
  }

  void Close() override {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }
  bool isOpen() const override { return fd_ >= 0; }

  bool SendTo(uint32_t ipv4, uint16_t port, const uint8_t* data, std::size_t size) override {
    if (fd_ < 0) return false;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(ipv4);
    const ssize_t n =
        sendto(fd_, data, size, MSG_DONTWAIT | MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&a), sizeof a);
    return n == static_cast<ssize_t>(size);
  }

 private:
  int fd_ = -1;
};

}  // namespace

std::unique_ptr<SacnSocket> MakePosixSacnSocket() { return std::make_unique<PosixSacnSocket>(); }

std::vector<LocalInterface> LocalIPv4Interfaces() {
  std::vector<LocalInterface> out, loop;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return out;
  for (ifaddrs* i = list; i; i = i->ifa_next) {
    if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET || !(i->ifa_flags & IFF_UP)) continue;
    char buf[INET_ADDRSTRLEN] = {};
    const auto* sin = reinterpret_cast<const sockaddr_in*>(i->ifa_addr);
    if (!inet_ntop(AF_INET, &sin->sin_addr, buf, sizeof buf)) continue;
    ((i->ifa_flags & IFF_LOOPBACK) ? loop : out).push_back({i->ifa_name ? i->ifa_name : "", buf});
  }
  freeifaddrs(list);
  out.insert(out.end(), loop.begin(), loop.end());
  return out;
}

}  // namespace lumora
