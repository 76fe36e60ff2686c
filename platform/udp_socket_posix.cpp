// POSIX backend of the desk's UDP socket.
#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <linux/filter.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
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

// The host's IPv4 addresses (network order), at most `max`.
std::vector<uint32_t> LocalIPv4s(std::size_t max) {
  std::vector<uint32_t> out;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return out;
  for (ifaddrs* i = list; i && out.size() < max; i = i->ifa_next) {
    if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET) continue;
    out.push_back(reinterpret_cast<const sockaddr_in*>(i->ifa_addr)->sin_addr.s_addr);
  }
  freeifaddrs(list);
  return out;
}

// A classic socket filter: accept everything except datagrams whose source
// address is one of `own`, whose source port is `port` and whose payload
// begins with `head`. A UDP socket's filter sees the UDP header at offset 0
// (the payload at 8) and the IP header through SKF_NET_OFF.
std::vector<sock_filter> OwnDatagramFilter(const std::vector<uint32_t>& own, uint16_t port,
                                           const std::vector<uint8_t>& head) {
  std::vector<sock_filter> f;
  // Jump offsets are relative to the next instruction; "accept" is the last
  // instruction, "drop" the one before it.
  const std::size_t accept = 1 + own.size() + 2 + 2 * head.size() + 1;
  auto jeq = [&f](uint32_t k, std::size_t ifEqual, std::size_t ifNot) {
    const std::size_t next = f.size() + 1;
    f.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, k, static_cast<uint8_t>(ifEqual - next),
                         static_cast<uint8_t>(ifNot - next)));
  };
  f.push_back(BPF_STMT(BPF_LD | BPF_W | BPF_ABS, static_cast<uint32_t>(SKF_NET_OFF + 12)));
  const std::size_t portCheck = 1 + own.size();
  for (std::size_t i = 0; i < own.size(); ++i)
    jeq(ntohl(own[i]), portCheck, i + 1 < own.size() ? f.size() + 1 : accept);
  f.push_back(BPF_STMT(BPF_LD | BPF_H | BPF_ABS, 0));
  jeq(port, f.size() + 1, accept);
  for (std::size_t j = 0; j < head.size(); ++j) {
    f.push_back(BPF_STMT(BPF_LD | BPF_B | BPF_ABS, static_cast<uint32_t>(8 + j)));
    jeq(head[j], f.size() + 1, accept);
  }
  f.push_back(BPF_STMT(BPF_RET | BPF_K, 0));
  f.push_back(BPF_STMT(BPF_RET | BPF_K, 0xffffffffu));
  return f;
}

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

  bool IgnoreOwn(uint16_t port, const std::vector<uint8_t>& head) override {
    // Offsets of the filter's jumps are 8 bits: keep the program short.
    if (fd_ < 0 || head.size() > 32) return false;
    std::vector<uint32_t> own = LocalIPv4s(32);
    in_addr extra{};
    if (!override_.empty() && inet_pton(AF_INET, override_.c_str(), &extra) == 1 &&
        std::find(own.begin(), own.end(), extra.s_addr) == own.end())
      own.push_back(extra.s_addr);
    if (own.empty()) return false;
    std::vector<sock_filter> code = OwnDatagramFilter(own, port, head);
    sock_fprog prog{static_cast<unsigned short>(code.size()), code.data()};
    return setsockopt(fd_, SOL_SOCKET, SO_ATTACH_FILTER, &prog, sizeof prog) == 0;
  }

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
