#include "output/setup.h"

#include "platform/desk_base.h"
#include "output/adapters.h"
#include "output/opendmx.h"
#include "output/output_wire.h"
#include "output/portsetup.h"
#include "platform/corvex_loader.h"
#include "platform/ftdi.h"
#include "platform/ftdi_sim.h"
#include "platform/parport.h"
#include "platform/tribus31.h"
#include "output/artnet.h"

#include <cstdlib>

namespace lumora {

namespace {

Json Bytes(const uint8_t* p, std::size_t n) {
  Json a = Json::array();
  for (std::size_t i = 0; i < n; ++i) a.push(Json(static_cast<long long>(p[i])));
  return a;
}

std::optional<std::string> PresentArg(const std::vector<std::string>& a, const std::function<void(bool)>& set) {
  if (a.size() != 3 || (a[2] != "0" && a[2] != "1")) return std::string("expected present 0|1");
  set(a[2] == "1");
  return std::string();
}

// The simulated output devices with their console commands and read-outs.
void SetupSimulatedDevices(DeskBase& d) {
  Platform& p = d.platform();
  auto ftdi = std::make_shared<FtdiSim>();
  auto port = std::make_shared<ParallelPortSim>();
  auto tribus = std::make_shared<Tribus31Sim>();
  auto corvex = std::make_shared<CorvexSim>();
  p.ftdi = ftdi;
  p.parport = port;
  p.tribus31 = tribus;
  p.corvex = corvex;

  FtdiSim* f = ftdi.get();
  // Scripts switch the real device's write time on from the start.
  if (const char* w = std::getenv("LUMORA_SIM_FTDI_WIRETIME"); w && std::string(w) == "1") f->setWireTime(true);
  p.simHandlers.push_back([f](const std::vector<std::string>& a) -> std::optional<std::string> {
    if (a.empty() || a[0] != "ftdi") return std::nullopt;
    if (a.size() >= 2 && a[1] == "present") return PresentArg(a, [f](bool v) { f->setPresent(v); });
    if (a.size() >= 2 && a[1] == "driver") return PresentArg(a, [f](bool v) { f->setDriver(v); });
    if (a.size() == 3 && a[1] == "fail") {
      if (!FtdiSim::IsCallName(a[2])) return "unknown FTDI call " + a[2];
      f->fail(a[2]);
      return std::string();
    }
    if (a.size() == 2 && a[1] == "heal") {
      f->heal();
      return std::string();
    }
    if (a.size() >= 2 && a[1] == "wiretime") {
      if (a.size() != 3 || (a[2] != "0" && a[2] != "1")) return std::string("expected wiretime 0|1");
      f->setWireTime(a[2] == "1");
      return std::string();
    }
    return std::string("expected ftdi present 0|1, driver 0|1, fail CALL, heal or wiretime 0|1");
  });
  ParallelPortSim* pp = port.get();
  Tribus31Sim* t = tribus.get();
  p.simHandlers.push_back([t](const std::vector<std::string>& a) -> std::optional<std::string> {
    if (a.empty() || a[0] != "tribus31") return std::nullopt;
    if (a.size() >= 2 && a[1] == "present") return PresentArg(a, [t](bool v) { t->setPresent(v); });
    return std::string("expected tribus31 present 0|1");
  });
  CorvexSim* c = corvex.get();
  p.simHandlers.push_back([c](const std::vector<std::string>& a) -> std::optional<std::string> {
    if (a.empty() || a[0] != "corvex") return std::nullopt;
    if (a.size() >= 2 && a[1] == "present") return PresentArg(a, [c](bool v) { c->setPresent(v); });
    if (a.size() >= 2 && a[1] == "library") return PresentArg(a, [c](bool v) { c->setLoadable(v); });
    return std::string("expected corvex present 0|1 or library 0|1");
  });

  Registry& r = d.registry();
  r.add("Sim.Ftdi.Frames", [f] { return std::make_unique<FnNode>([f] { return Json(static_cast<long long>(f->frames())); }); });
  r.add("Sim.Ftdi.LastFrame",
        [f] { return std::make_unique<FnNode>([f] { return Bytes(f->lastFrame().data(), f->lastFrame().size()); }); });
  r.add("Sim.Ftdi.Calls", [f] {
    return std::make_unique<FnNode>([f] {
      Json a = Json::array();
      for (auto& n : f->takeCalls()) a.push(Json(n));
      return a;
    });
  });
  r.add("Sim.Ftdi.WireTime",
        [f] { return std::make_unique<FnNode>([f] { return Json(static_cast<long long>(f->wireTime() ? 1 : 0)); }); });
  r.add("Sim.Ftdi.Open", [f] { return std::make_unique<FnNode>([f] { return Json(static_cast<long long>(f->isOpen() ? 1 : 0)); }); });
  r.add("Sim.Port.Writes", [pp] {
    return std::make_unique<FnNode>([pp] {
      Json a = Json::array();
      for (auto& [addr, v] : pp->takeWrites()) {
        Json w = Json::array();
        w.push(Json(static_cast<long long>(addr)));
        w.push(Json(static_cast<long long>(v)));
        a.push(std::move(w));
      }
      return a;
    });
  });
  r.add("Sim.Tribus31.LastFrame",
        [t] { return std::make_unique<FnNode>([t] { return Bytes(t->lastFrame().data(), t->lastFrame().size()); }); });
  r.add("Sim.Corvex.LastPacket",
        [c] { return std::make_unique<FnNode>([c] { return Bytes(c->lastPacket().data(), c->lastPacket().size()); }); });
}

}  // namespace

// Registers this subsystem's globals, adapters and simulated devices.
void SetupOutput(DeskBase& d) {
  Platform& p = d.platform();
  if (p.simulated) {
    SetupSimulatedDevices(d);
  } else {
    p.ftdi = MakeRealFtdi();
    p.parport = MakePpdevPort();
    p.tribus31 = MakeTribus31Library();
    p.corvex = MakeCorvexLibrary();
  }

  // The wire first: the desk's objects go in the order they were made, so
  // its thread ends before the adapters, the Art-Net node and the devices.
  OutputWire& wire = d.own<OutputWire>(d);
  OpenDmx& usb = d.own<OpenDmx>(d, p.ftdi);
  auto adapter = [&](int type, OutputAdapter& a) {
    d.setAdapter(type, &a);
    wire.setAdapter(type, &a);
  };
  adapter(kAdapterMarwick, d.own<ParallelAdapter>());
  adapter(kAdapterTribus31, d.own<Tribus31Adapter>());
  adapter(kAdapterOpenDmx, usb);
  adapter(kAdapterManolator, d.own<ParallelAdapter>());
  adapter(kAdapterCorvex, d.own<CorvexAdapter>());

  Registry& r = d.registry();
  r.bind("UsbHandle", usb.UsbHandle);
  r.bind("UsbData", usb.UsbData);
  r.bind("UsbQuiet", usb.UsbQuiet);
  r.bind("UsbLastError", usb.UsbLastError);
  r.bind("UsbIsOpen", usb.UsbIsOpen);
  OpenDmx* u = &usb;
  r.add("UsbStartCode", [u] {
    return std::make_unique<FnNode>([u] { return u->UsbStartCodeSet ? Bytes(&u->UsbStartCode, 1) : Json::array(); });
  });

  // The main desk's menu opens the dialog (unless the main desk wires it).
  Control& menu = d.mainDesk().port_setup;
  if (!menu.onClick) menu.onClick = [&d] { d.window<Portsetup>().Show(); };
  SetupArtNet(d);
}

}  // namespace lumora
