#include "output/sacn_output.h"

#include <unistd.h>

#include <cstring>
#include <map>

#include "output/output_wire.h"
#include "platform/env.h"

namespace lumora {

namespace {

std::map<const DeskCore*, SacnOutput*>& Outputs() {
  static std::map<const DeskCore*, SacnOutput*> m;
  return m;
}

std::unique_ptr<SacnSocket> MakeSocket() {
  if (EnvSet("LUMORA_SACN_SIMULATE") || EnvSet("LUMORA_ARTNET_SIMULATE")) return std::make_unique<FakeSacnSocket>();
  return MakePosixSacnSocket();
}

std::string HostName() {
  char buf[256] = {};
  if (gethostname(buf, sizeof buf - 1) != 0 || !buf[0]) return "localhost";
  return buf;
}

bool ValidPort(int port) { return port >= 0 && port < kSacnPorts; }

// The console's whole-number check (as the desk's other settings read them).
std::string WholeNumber(const Json& v, long long& n) {
  if (!v.isNumber()) return "expected a number";
  n = v.asInt();
  if (v.asReal() != static_cast<double>(n)) return "expected a whole number";
  return "";
}

const char* const kFields[] = {"Enabled", "Universe", "Priority", "Unicast"};

Json FieldValue(const SacnPortRec& p, std::string_view name) {
  if (name == "Enabled") return Json(static_cast<long long>(p.Enabled));
  if (name == "Universe") return Json(static_cast<long long>(p.Universe));
  if (name == "Priority") return Json(static_cast<long long>(p.Priority));
  return Json(p.Unicast);
}

// SacnPorts(i).Field: reads the record, writes through the output's checks.
class SacnPortNode : public Node {
 public:
  SacnPortNode(DeskCore& d, SacnOutput& out, int port) : d_(d), out_(out), port_(port) {}
  Json get() const override {
    Json o = Json::object();
    for (const char* f : kFields) o.set(f, FieldValue(rec(), f));
    return o;
  }
  std::string set(const Json&) override { return "a record is set field by field"; }
  NodePtr field(std::string_view name) override {
    for (const char* f : kFields)
      if (name == f) {
        const std::string n(name);
        DeskCore* d = &d_;
        SacnOutput* out = &out_;
        const int port = port_;
        return std::make_unique<FnNode>(
            [d, port, n] { return FieldValue(d->state.SacnPorts[static_cast<std::size_t>(port)], n); },
            [out, port, n](const Json& v) -> std::string {
              if (n == "Enabled") {
                if (v.isBool()) return out->setEnabled(port, v.asBool());
                long long x = 0;
                std::string e = WholeNumber(v, x);
                return e.empty() ? out->setEnabled(port, x != 0) : "expected true, false or a number";
              }
              if (n == "Unicast") return v.isString() ? out->setUnicast(port, v.asString()) : "expected a string";
              long long x = 0;
              std::string e = WholeNumber(v, x);
              if (!e.empty()) return e;
              return n == "Universe" ? out->setUniverse(port, x) : out->setPriority(port, x);
            });
      }
    return nullptr;
  }

 private:
  const SacnPortRec& rec() const { return d_.state.SacnPorts[static_cast<std::size_t>(port_)]; }
  DeskCore& d_;
  SacnOutput& out_;
  int port_;
};

class SacnPortsNode : public Node {
 public:
  SacnPortsNode(DeskCore& d, SacnOutput& out) : d_(d), out_(out) {}
  Json get() const override {
    Json a = Json::array();
    for (int p = 0; p < kSacnPorts; ++p) a.push(SacnPortNode(d_, out_, p).get());
    return a;
  }
  std::string set(const Json&) override { return "a record is set field by field"; }
  NodePtr at(const std::vector<long>& idx) override {
    if (idx.size() != 1 || idx[0] < 0 || idx[0] >= kSacnPorts) return nullptr;
    return std::make_unique<SacnPortNode>(d_, out_, static_cast<int>(idx[0]));
  }

 private:
  DeskCore& d_;
  SacnOutput& out_;
};

}  // namespace

SacnOutput::SacnOutput(DeskCore& d, OutputWire* wire, Form& mainDesk)
    : d_(d), wire_(wire), socket_(MakeSocket()), menu(mainDesk, "sacn_setup", Kind::Menu) {
  fake_ = dynamic_cast<FakeSacnSocket*>(socket_.get());
  if (wire_) wire_->setSacnSocket(socket_.get(), fake_ != nullptr);
  menu.setCaption("sACN...");
  Outputs()[&d] = this;
}

SacnOutput::~SacnOutput() {
  // The wire is made first and so ends first when the desk ends.
  if (wire_ && OutputWire::Exists(wire_)) wire_->setSacnSocket(nullptr, false);
  auto& m = Outputs();
  auto it = m.find(&d_);
  if (it != m.end() && it->second == this) m.erase(it);
}

WireSender* SacnOutput::sender() { return wire_ ? &wire_->sacnWire() : nullptr; }

SacnOutput* SacnOutput::Of(DeskCore& d) {
  auto& m = Outputs();
  auto it = m.find(&d);
  return it == m.end() ? nullptr : it->second;
}

std::string SacnOutput::UniverseProblem(long long universe) {
  if (universe < sacn::kMinUniverse || universe > sacn::kMaxUniverse)
    return "the universe must be a whole number from 1 to 63999 (" + std::to_string(universe) + " is not)";
  return "";
}

std::string SacnOutput::PriorityProblem(long long priority) {
  if (priority < 0 || priority > sacn::kMaxPriority)
    return "the priority must be a whole number from 0 to 200 (" + std::to_string(priority) + " is not)";
  return "";
}

std::string SacnOutput::AddressProblem(const std::string& address) {
  if (address.empty() || sacn::ParseIPv4(address)) return "";
  return "'" + address + "' is not an IPv4 address (four numbers from 0 to 255 with dots between, like 10.0.0.7)";
}

int SacnOutput::PortSending(int universe, int port) const {
  for (int p = 0; p < kSacnPorts; ++p) {
    const SacnPortRec& r = d_.state.SacnPorts[static_cast<std::size_t>(p)];
    if (p != port && r.Enabled != 0 && r.Universe == universe) return p;
  }
  return -1;
}

std::string SacnOutput::setEnabled(int port, bool on) {
  if (!ValidPort(port)) return "no such sACN output";
  SacnPortRec& r = d_.state.SacnPorts[static_cast<std::size_t>(port)];
  if (on) {
    const int other = PortSending(r.Universe, port);
    if (other >= 0)
      return "universe " + std::to_string(r.Universe) + " is already sent by output " + std::to_string(other);
  }
  r.Enabled = on ? -1 : 0;
  d_.state.ProjectChanged = -1;
  return Apply();
}

std::string SacnOutput::setUniverse(int port, long long universe) {
  if (!ValidPort(port)) return "no such sACN output";
  std::string e = UniverseProblem(universe);
  if (!e.empty()) return e;
  SacnPortRec& r = d_.state.SacnPorts[static_cast<std::size_t>(port)];
  const int other = r.Enabled != 0 ? PortSending(static_cast<int>(universe), port) : -1;
  if (other >= 0) return "universe " + std::to_string(universe) + " is already sent by output " + std::to_string(other);
  r.Universe = static_cast<int32_t>(universe);
  d_.state.ProjectChanged = -1;
  return Apply();
}

std::string SacnOutput::setPriority(int port, long long priority) {
  if (!ValidPort(port)) return "no such sACN output";
  std::string e = PriorityProblem(priority);
  if (!e.empty()) return e;
  d_.state.SacnPorts[static_cast<std::size_t>(port)].Priority = static_cast<int16_t>(priority);
  d_.state.ProjectChanged = -1;
  return Apply();
}

std::string SacnOutput::setUnicast(int port, const std::string& address) {
  if (!ValidPort(port)) return "no such sACN output";
  std::string e = AddressProblem(address);
  if (!e.empty()) return e;
  d_.state.SacnPorts[static_cast<std::size_t>(port)].Unicast = address;
  d_.state.ProjectChanged = -1;
  return Apply();
}

std::string SacnOutput::setInterface(const std::string& address) {
  std::string e = AddressProblem(address);
  if (!e.empty()) return e;
  const std::string before = d_.state.SacnInterface;
  d_.state.SacnInterface = address;
  e = Apply();
  if (!e.empty()) {
    // An interface that cannot be used changes nothing.
    d_.state.SacnInterface = before;
    Apply();
  } else {
    d_.state.ProjectChanged = -1;
  }
  return e;
}

bool SacnOutput::anyOn() const {
  for (const auto& p : d_.state.SacnPorts)
    if (p.Enabled != 0) return true;
  return false;
}

std::string SacnOutput::reopen(const std::string& iface) {
  // The wire lets go of the socket while it moves.
  WireHold hold(sender());
  std::string e = socket_->Open(iface);
  openOn_ = e.empty() ? iface : std::string();
  return e;
}

std::string SacnOutput::Apply() {
  const std::string& iface = d_.state.SacnInterface;
  std::string err;
  // The socket stays open once a port was on: a port switched off still
  // sends its stream's end through it.
  if (anyOn() && (!socket_->isOpen() || openOn_ != iface)) err = reopen(iface);
  const std::string from = iface.empty() ? "the automatic interface" : iface;
  int n = 0;
  for (const auto& p : d_.state.SacnPorts) n += p.Enabled != 0 ? 1 : 0;
  if (!err.empty())
    status_ = "sACN cannot send from " + from + " (" + err + ")";
  else if (n == 0)
    status_ = "Off";
  else
    status_ = "Sending " + std::to_string(n) + (n == 1 ? " universe" : " universes") + " from " + from;
  if (wire_) wire_->SacnChanged();
  if (!err.empty()) return "sACN cannot send from " + from + " (" + err + ")";
  return "";
}

const sacn::Cid& SacnOutput::cid() {
  if (!cid_) {
    if (storedCid)
      if (auto c = sacn::ParseCid(storedCid())) cid_ = *c;
    if (!cid_) {
      cid_ = sacn::NewCid();
      if (storeCid) storeCid(sacn::CidText(*cid_));
    }
  }
  return *cid_;
}

std::string SacnOutput::sourceName() const {
  if (userSourceName) {
    const std::string own = userSourceName();
    if (!own.empty()) return own;
  }
  return "Lumora on " + HostName();
}

void SacnOutput::Fill(WireFrame& f) {
  const bool open = socket_->isOpen();
  bool any = false;
  for (int p = 0; p < kSacnPorts; ++p) {
    const SacnPortRec& r = d_.state.SacnPorts[static_cast<std::size_t>(p)];
    WireSacnPort& w = f.sacnPorts[static_cast<std::size_t>(p)];
    w.on = open && r.Enabled != 0;
    w.universe = static_cast<uint16_t>(r.Universe);
    w.priority = static_cast<uint8_t>(r.Priority);
    w.unicast = r.Unicast.empty() ? 0 : sacn::ParseIPv4(r.Unicast).value_or(0);
    any = any || w.on;
  }
  if (!any) return;
  std::memcpy(f.sacnCid.data(), cid().data(), f.sacnCid.size());
  sacn::Source s;
  sacn::SetSourceName(s, sourceName());
  std::memcpy(f.sacnName.data(), s.name.data(), f.sacnName.size());
}

void SacnOutput::setSocket(std::unique_ptr<SacnSocket> s) {
  {
    WireHold hold(sender());
    socket_ = std::move(s);
    fake_ = dynamic_cast<FakeSacnSocket*>(socket_.get());
    openOn_.clear();
  }
  if (wire_) wire_->setSacnSocket(socket_.get(), fake_ != nullptr);
}

void FillSacn(DeskCore& d, WireFrame& f) {
  if (SacnOutput* s = SacnOutput::Of(d)) s->Fill(f);
}

void SacnApply(DeskCore& d) {
  if (SacnOutput* s = SacnOutput::Of(d)) {
    const std::string e = s->Apply();
    if (!e.empty()) d.dialogs().Message(" " + e, " sACN", MsgIcon::Exclamation);
  }
}

void SacnOutput::registerNames() {
  Registry& r = d_.registry();
  r.add("SacnPorts", [this] { return std::make_unique<SacnPortsNode>(d_, *this); });
  r.add("Sacn.SourceName", [this] { return std::make_unique<FnNode>([this] { return Json(sourceName()); }); });
  r.add("Sacn.Cid", [this] { return std::make_unique<FnNode>([this] { return Json(cidText()); }); });
  r.add("Sacn.Interface", [this] {
    return std::make_unique<FnNode>([this] { return Json(d_.state.SacnInterface); },
                                    [this](const Json& v) -> std::string {
                                      return v.isString() ? setInterface(v.asString()) : "expected a string";
                                    });
  });
  r.add("Sacn.Status", [this] { return std::make_unique<FnNode>([this] { return Json(status()); }); });
}

}  // namespace lumora
