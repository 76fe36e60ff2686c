// The desk's sACN (E1.31) output: the eight output universes of the desk
// record (SacnPorts, SacnInterface) turned into streams on the wire, the
// source's identity (CID kept with the user's settings, source name), the
// console's names for them and the Setup menu's "sACN..." item.
//
// The socket is the real one, except when LUMORA_SACN_SIMULATE or
// LUMORA_ARTNET_SIMULATE is set (test harnesses set them so that no test
// outside a private network namespace reaches a network): then it is the
// loop-back twin, sent to inline on the UI thread.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/desk_core.h"
#include "core/form.h"
#include "output/sacn_packet.h"
#include "platform/sacn_socket.h"

namespace lumora {

class OutputWire;
class WireSender;
struct WireFrame;

class SacnOutput {
 public:
  // `mainDesk` carries the Setup menu's item.
  SacnOutput(DeskCore& d, OutputWire* wire, Form& mainDesk);
  ~SacnOutput();
  SacnOutput(const SacnOutput&) = delete;
  SacnOutput& operator=(const SacnOutput&) = delete;

  static SacnOutput* Of(DeskCore& d);

  // What is wrong with a setting ("" when it is sound). `port` is 0-based.
  static std::string UniverseProblem(long long universe);
  static std::string PriorityProblem(long long priority);
  static std::string AddressProblem(const std::string& address);
  // Another enabled port than `port` that sends `universe` (-1 when none).
  int PortSending(int universe, int port) const;

  // Console writes: each checks its value, stores it and applies it at once
  // (the sender starts, moves or stops). "" or the reason nothing changed.
  std::string setEnabled(int port, bool on);
  std::string setUniverse(int port, long long universe);
  std::string setPriority(int port, long long priority);
  std::string setUnicast(int port, const std::string& address);
  std::string setInterface(const std::string& address);

  // Opens (or moves) the socket when a port is on and hands the wire the
  // settings. "" or the reason the socket could not be opened.
  std::string Apply();
  // One line on what the output does now.
  const std::string& status() const { return status_; }

  // The source as receivers see it. The CID is made on first use and kept
  // with the user's settings.
  const sacn::Cid& cid();
  std::string cidText() { return sacn::CidText(cid()); }
  std::string sourceName() const;

  // Where the CID and a user's own source name are kept (the user's
  // settings); without them the CID lives for this run only.
  std::function<std::string()> storedCid;
  std::function<void(const std::string&)> storeCid;
  std::function<std::string()> userSourceName;

  // The console's names: SacnPorts, Sacn.SourceName, Sacn.Cid,
  // Sacn.Interface, Sacn.Status.
  void registerNames();

  // The wire's view of the settings (OutputWire::Publish).
  void Fill(WireFrame& f);

  SacnSocket& socket() { return *socket_; }
  FakeSacnSocket* fake() { return fake_; }
  // Replaces the socket (tests hand in a twin of their own).
  void setSocket(std::unique_ptr<SacnSocket> s);

 private:
  bool anyOn() const;
  std::string reopen(const std::string& iface);

  WireSender* sender();

  DeskCore& d_;
  OutputWire* wire_;
  std::unique_ptr<SacnSocket> socket_;
  FakeSacnSocket* fake_ = nullptr;
  std::string openOn_;  // the interface the open socket sends from
  std::string status_ = "Off";
  std::optional<sacn::Cid> cid_;

 public:
  // The Setup menu's item on the main desk.
  Control menu;
};

// OutputWire::Publish's hook (nothing when the desk has no sACN output).
void FillSacn(DeskCore& d, WireFrame& f);
// The project load's hook: applies the settings just read.
void SacnApply(DeskCore& d);

}  // namespace lumora
