#include "output/artnet.h"

#include <cstring>

#include "platform/desk_base.h"
#include "platform/env.h"
#include "core/levels.h"
#include "output/art_config.h"
#include "output/output_wire.h"

namespace lumora {

namespace {

constexpr int32_t kGreen = RGB(0, 255, 0);
constexpr int32_t kBlack = RGB(0, 0, 0);
constexpr int32_t kButtonFace = -1;
constexpr int kDialogPorts = 8;

bool PortOn(const ArtPortRec& p) { return p.Enabled != 0; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

D_ArtNet::D_ArtNet(DeskBase& desk)
    : desk_(desk),
      override_(!desk.options().artnetAddress.empty() ? desk.options().artnetAddress
                                                      : EnvText("LUMORA_ARTNET_ADDRESS")),
      socket_(EnvSet("LUMORA_ARTNET_SIMULATE") ? std::unique_ptr<UdpSocket>(std::make_unique<FakeUdpSocket>())
                                               : MakePosixUdpSocket(override_)),
      node_(*socket_, desk.state.ArtBroadcast, [this](const std::string& l) { debugLog(l); }),
      ArtSocket(desk.mainDesk().form, "ArtSocket") {
  fake_ = dynamic_cast<FakeUdpSocket*>(socket_.get());
  if (fake_ && !override_.empty()) fake_->localAddress = override_;
  if (OutputWire* w = OutputWire::Of(desk)) w->setArtSocket(socket_.get(), fake_ != nullptr);
  node_.shortName = [] { return std::string("Lumora"); };
  node_.longName = [this] { return desk_.mainDesk().form.Caption(); };
  const std::string logTo = EnvText("LUMORA_ARTNET_LOG");
  if (logTo == "stderr" || logTo == "-") logStderr_ = true;
  else if (!logTo.empty()) logFile_ = std::fopen(logTo.c_str(), "a");
  ArtSocket.setInterval(kPollInterval);
  ArtSocket.onTimer = [this] { ArtSocket_DataArrival(); };
}

D_ArtNet::~D_ArtNet() {
  if (watchedFd_ >= 0) desk_.scheduler().unwatchFd(watchedFd_);
  if (logFile_) std::fclose(logFile_);
}

void D_ArtNet::followSocket() {
  Scheduler& sch = desk_.scheduler();
  const int fd = socket_->bound() ? socket_->fd() : -1;
  const bool watch = fd >= 0 && sch.watchesFds();
  if (watchedFd_ >= 0 && (!watch || watchedFd_ != fd)) {
    sch.unwatchFd(watchedFd_);
    watchedFd_ = -1;
  }
  if (watch && watchedFd_ < 0) {
    // What arrives never changes what the output tick mixes (received DMX
    // has no effect, polls are answered), so it does not wake a resting
    // tick — nor do the desk's own broadcasts coming back.
    sch.watchFd(fd, [this] { ArtSocket_DataArrival(); }, /*activity=*/false);
    watchedFd_ = fd;
  }
  ArtSocket.setEnabled(socket_->bound() && !watch);
}

void D_ArtNet::setSocket(std::unique_ptr<UdpSocket> s) {
  ArtSocket.setEnabled(false);
  // No watch may outlive the descriptor it names.
  if (watchedFd_ >= 0) {
    desk_.scheduler().unwatchFd(watchedFd_);
    watchedFd_ = -1;
  }
  // The wire lets go of the old socket before it goes.
  WireHold hold(OutputWire::ArtNetSenderOf(desk_));
  socket_ = std::move(s);
  node_.setSocket(*socket_);
  fake_ = dynamic_cast<FakeUdpSocket*>(socket_.get());
  self_ = socket_->bound() ? socket_->LocalAddress() : std::string();
  if (OutputWire* w = OutputWire::Of(desk_)) w->setArtSocket(socket_.get(), fake_ != nullptr);
  followSocket();
}

void D_ArtNet::debugLog(const std::string& line) {
  log_.push_back(line);
  while (log_.size() > kLogLines) log_.pop_front();
  if (logStderr_) std::fprintf(stderr, "%s\n", line.c_str());
  if (logFile_) {
    std::fprintf(logFile_, "%s\n", line.c_str());
    std::fflush(logFile_);
  }
}

bool D_ArtNet::ArtInit() {
  // Binding changes the socket the wire sends through.
  WireHold hold(OutputWire::ArtNetSenderOf(desk_));
  const bool ok = node_.Init();
  self_ = socket_->LocalAddress();
  // The node's own ArtDmx broadcasts come back to its socket ten times a
  // second per universe; the system drops them so they never wake the desk.
  static const std::vector<uint8_t> kArtDmxHead = {'A', 'r', 't', '-', 'N', 'e', 't', 0, 0x00, 0x50};
  if (ok) socket_->IgnoreOwn(artnet::kPort, kArtDmxHead);
  followSocket();
  if (!ok) OutputWire::NoteError(desk_, "Art-Net: could not start" + (log_.empty() ? std::string() : " (" + log_.back() + ")"));
  return ok;
}

bool D_ArtNet::ArtSendPoll() { return node_.SendPoll(); }

std::vector<uint16_t> D_ArtNet::sentUniverses() const {
  std::vector<uint16_t> out;
  const MainDesk& h = desk_.mainDesk();
  if (!h.Art_Time.Enabled() || desk_.state.ArtBroadcast.empty()) return out;
  for (int p = 0; p < kDialogPorts; ++p) {
    const ArtPortRec& port = desk_.state.ArtPorts[static_cast<std::size_t>(p)];
    if (PortOn(port)) out.push_back(port.Universe);
  }
  return out;
}

void D_ArtNet::hear(const Datagram& d, const std::string& from) {
  // This node hears its own broadcasts: they are not another node.
  if (!from.empty() && from == self_) return;
  const int64_t now = desk_.scheduler().now();
  if (auto reply = artnet::ParsePollReply(d.data(), d.size())) {
    if (from.empty() && artnet::DottedIPv4(reply->ip) == self_) return;
    nodes_.heardReply(*reply, from, now);
  } else if (auto universe = artnet::ParseDmxPortAddress(d.data(), d.size())) {
    nodes_.heardDmx(from, *universe, now);
  }
}

void D_ArtNet::ArtSendDmx(uint8_t universe, const std::array<uint8_t, 513>& frame) {
  node_.SendDmx(universe, frame.data());
}

void D_ArtNet::ArtReceive(const Datagram& datagram) { node_.Receive(datagram.data(), datagram.size()); }

void D_ArtNet::ArtSendPollReply() { node_.SendPollReply(); }

void D_ArtNet::ArtApply() {
  DeskState& s = desk_.state;
  MainDesk& h = desk_.mainDesk();
  // The timer sends ports 0..7, so only those keep it running.
  bool any = false;
  for (int p = 0; p < kDialogPorts; ++p) any = any || PortOn(s.ArtPorts[static_cast<std::size_t>(p)]);
  if (any) {
    if (h.Art_Time.Interval() != kSendInterval) h.Art_Time.setInterval(kSendInterval);
    h.Art_Time.setEnabled(true);
    h.Picture1.setBackColor(kBlack);
    h.Label3.setEnabled(true);
  } else {
    h.Art_Time.setEnabled(false);
    h.Picture1.setBackColor(kButtonFace);
    h.Label3.setEnabled(false);
    s.ArtNetReady = 0;
  }
  // The wire learns the ports now, also while the output tick is stopped.
  if (OutputWire* w = OutputWire::Of(desk_)) w->Publish();
}

void D_ArtNet::Art_Time_Timer() {
  // The frame as it stands goes to the wire, which sends ArtDmx for ports
  // 0..7 on its own 100 ms deadlines (under the manual clock: now).
  if (OutputWire* w = OutputWire::Of(desk_)) w->ArtTick();
  Control& light = desk_.mainDesk().Picture1;
  light.setBackColor(light.BackColor() == kBlack ? kGreen : kBlack);
}

void D_ArtNet::ArtSocket_DataArrival() {
  std::string from;
  for (int n = 0; n < kMaxDatagramsPerPoll; ++n) {
    auto d = socket_->ReceiveFrom(from);
    if (!d) break;
    hear(*d, from);
    ArtReceive(*d);
  }
}

D_ArtNet& ArtNet(DeskBase& d) { return *d.window<Art_Config>().net; }
bool ArtInit(DeskBase& d) { return ArtNet(d).ArtInit(); }
void ArtApply(DeskBase& d) { ArtNet(d).ArtApply(); }

void SetupArtNet(DeskBase& d) {
  D_ArtNet& net = d.own<D_ArtNet>(d);
  d.window<Art_Config>().net = &net;
  MainDesk& h = d.mainDesk();
  h.Art_Time.setInterval(D_ArtNet::kSendInterval);
  h.Art_Time.onTimer = [&net] { net.Art_Time_Timer(); };
  // The light's blink changes nothing the tick reads. The wire sends ArtDmx
  // on its own deadlines, so where no view shows the light the timer may
  // rest — unless it sends itself (the loop-back twin).
  h.Art_Time.passive = true;
  h.Art_Time.mayRest = [&d] {
    OutputWire* w = OutputWire::Of(d);
    return d.scheduler().viewless() && w && !w->ArtSendsInline();
  };
  // No port is on at start: indicator and label as ArtApply leaves them.
  h.Picture1.setBackColor(kButtonFace);
  h.Label3.setEnabled(false);

  Registry& r = d.registry();
  r.add("ArtNet.Log", [&net] {
    return std::make_unique<FnNode>([&net] {
      Json a = Json::array();
      for (const auto& l : net.log()) a.push(Json(l));
      return a;
    });
  });
  r.add("ArtNet.Bound", [&net] { return std::make_unique<FnNode>([&net] { return Json(net.socket().bound()); }); });
  r.add("ArtNet.LocalAddress",
        [&net] { return std::make_unique<FnNode>([&net] { return Json(net.socket().LocalAddress()); }); });
  r.add("Sim.ArtNet.Sent", [&net] {
    return std::make_unique<FnNode>([&net] { return Json(net.fake() ? static_cast<long long>(net.fake()->sent.size()) : 0LL); });
  });
  r.add("Sim.ArtNet.LastSent", [&net] {
    return std::make_unique<FnNode>([&net] {
      Json o = Json::object();
      if (!net.fake() || net.fake()->sent.empty()) return o;
      const auto& s = net.fake()->sent.back();
      o.set("host", s.host);
      o.set("port", static_cast<long long>(s.port));
      o.set("size", static_cast<long long>(s.data.size()));
      if (s.data.size() > 14) o.set("opcode", static_cast<long long>(s.data[8] | (s.data[9] << 8)));
      if (s.data.size() == artnet::kDmxSize) o.set("universe", static_cast<long long>(s.data[14]));
      return o;
    });
  });

  // sim artnet poll | sim artnet datagram HEX [FROM] | sim artnet bindfail [TEXT...]
  d.platform().simHandlers.push_back([&net](const std::vector<std::string>& a) -> std::optional<std::string> {
    if (a.empty() || a[0] != "artnet") return std::nullopt;
    FakeUdpSocket* f = net.fake();
    if (!f) return std::string("the Art-Net socket is not simulated");
    if (a.size() >= 2 && a[1] == "poll") {
      f->Inject({'A', 'r', 't', '-', 'N', 'e', 't', 0, 0x00, 0x20, 0, 14, 0, 0});
      return std::string();
    }
    if ((a.size() == 3 || a.size() == 4) && a[1] == "datagram") {
      const std::string& hex = a[2];
      if (hex.size() % 2 != 0) return std::string("datagram needs an even number of hex digits");
      Datagram dg;
      for (std::size_t i = 0; i < hex.size(); i += 2) {
        int hi = HexDigit(hex[i]), lo = HexDigit(hex[i + 1]);
        if (hi < 0 || lo < 0) return std::string("datagram needs hex digits");
        dg.push_back(static_cast<uint8_t>(hi * 16 + lo));
      }
      // A source address, when given, says which node sent it.
      if (a.size() == 4 && !IsIPv4Address(a[3])) return std::string("datagram source must be a dotted IPv4 address");
      f->Inject(std::move(dg), a.size() == 4 ? a[3] : std::string());
      return std::string();
    }
    if (a.size() >= 2 && a[1] == "bindfail") {
      std::string text;
      for (std::size_t i = 2; i < a.size(); ++i) text += (i > 2 ? " " : "") + a[i];
      f->bindError = text.empty() ? "Address already in use" : text;
      return std::string();
    }
    return std::string("sim artnet: poll | datagram HEX [FROM] | bindfail [TEXT]");
  });
}

}  // namespace lumora
