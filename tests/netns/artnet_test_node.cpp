// A small Art-Net node for the namespace tests: it answers every ArtPoll
// with an ArtPollReply (its names, one output port that wants universe
// --wants) and broadcasts ArtDmx on universe --sends every 100 ms, as
// another desk on the same network would. It runs only inside the private
// namespace its script made (it refuses any other) and ends after --seconds.
//   artnet_test_node --ip A.B.C.D --bcast A.B.C.D --sends U --wants U
//                    --short NAME --long NAME --seconds N
#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "output/artnet_packet.h"

namespace {

int64_t NowMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1'000'000;
}

// Only lo and the node's end of the test's veth pair may exist here.
bool InPrivateNamespace() {
  std::set<std::string> names;
  if (struct if_nameindex* ix = if_nameindex()) {
    for (struct if_nameindex* i = ix; i->if_index != 0; ++i) names.insert(i->if_name);
    if_freenameindex(ix);
  }
  return names == std::set<std::string>{"lo", "node0"};
}

}  // namespace

int main(int argc, char** argv) {
  std::string ip, bcast, shortName = "Test node", longName = "Art-Net test node";
  int sends = 3, wants = 7, seconds = 30;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string k = argv[i], v = argv[i + 1];
    if (k == "--ip") ip = v;
    else if (k == "--bcast") bcast = v;
    else if (k == "--sends") sends = std::atoi(v.c_str());
    else if (k == "--wants") wants = std::atoi(v.c_str());
    else if (k == "--short") shortName = v;
    else if (k == "--long") longName = v;
    else if (k == "--seconds") seconds = std::atoi(v.c_str());
  }
  if (!InPrivateNamespace()) {
    std::fprintf(stderr, "artnet_test_node: not inside the test's private namespace; refusing to run\n");
    return 1;
  }
  const auto addr = lumora::artnet::ParseIPv4(ip);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(lumora::artnet::kPort);
  if (!addr || inet_pton(AF_INET, bcast.c_str(), &to.sin_addr) != 1) {
    std::fprintf(stderr, "artnet_test_node: --ip and --bcast must be IPv4 addresses\n");
    return 1;
  }
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
  sockaddr_in any{};
  any.sin_family = AF_INET;
  any.sin_port = htons(lumora::artnet::kPort);
  any.sin_addr.s_addr = htonl(INADDR_ANY);
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&any), sizeof any) != 0) {
    std::perror("artnet_test_node: bind");
    return 1;
  }
  std::printf("ready\n");
  std::fflush(stdout);

  lumora::artnet::PollReplyInfo info;
  info.ip = *addr;
  info.shortName = shortName;
  info.longName = longName;
  lumora::artnet::PollReplyPacket reply;
  lumora::artnet::BuildArtPollReply(reply, info);
  reply[190] = static_cast<uint8_t>(wants & 0x0F);  // SwOut of its output port
  reply[19] = static_cast<uint8_t>((wants >> 4) & 0x0F);  // SubSwitch
  std::array<uint8_t, 512> slots{};
  slots.fill(99);
  lumora::artnet::DmxPacket dmx;
  lumora::artnet::BuildArtDmx(dmx, static_cast<uint8_t>(sends), slots.data());

  const int64_t end = NowMs() + seconds * 1000LL;
  int64_t nextDmx = NowMs();
  int polls = 0;
  std::array<uint8_t, 1500> buf{};
  while (NowMs() < end) {
    if (NowMs() >= nextDmx) {
      sendto(fd, dmx.data(), dmx.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
      nextDmx += 100;
    }
    pollfd p{fd, POLLIN, 0};
    const int64_t wait = std::max<int64_t>(0, nextDmx - NowMs());
    if (poll(&p, 1, static_cast<int>(wait)) <= 0) continue;
    const ssize_t n = recv(fd, buf.data(), buf.size(), 0);
    const auto op = lumora::artnet::ReadOpCode(buf.data(), n > 0 ? static_cast<std::size_t>(n) : 0);
    if (op && *op == lumora::artnet::kOpPoll) {
      sendto(fd, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
      std::printf("poll %d answered\n", ++polls);
      std::fflush(stdout);
    }
  }
  close(fd);
  return 0;
}
