#include "output/sacn_config.h"

#include <algorithm>
#include <optional>

#include "core/desk_core.h"
#include "output/sacn_output.h"
#include "platform/sacn_socket.h"

namespace lumora {

namespace {

// A whole number typed in a box, or nullopt.
// Blanks around it are fine; six digits at most.
std::optional<long long> BoxNumber(const std::string& text, int lo, int hi) {
  const std::size_t b = text.find_first_not_of(' ');
  if (b == std::string::npos) return std::nullopt;
  const std::string t = text.substr(b, text.find_last_not_of(' ') - b + 1);
  if (t.size() > 6) return std::nullopt;
  long long v = 0;
  for (char c : t) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
  }
  if (v < lo || v > hi) return std::nullopt;
  return v;
}

std::string Trimmed(const std::string& t) {
  const std::size_t b = t.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  return t.substr(b, t.find_last_not_of(' ') - b + 1);
}

}  // namespace

Sacn_Config::Sacn_Config(DeskCore& desk) : Form(desk, "Sacn_Config") {
  setCaption("sACN Output");
  lblHeadOutput.setCaption("Output");
  lblHeadSend.setCaption("Send");
  lblHeadUniverse.setCaption("Universe (1-63999)");
  lblHeadPriority.setCaption("Priority (0-200)");
  lblHeadUnicast.setCaption("Unicast address (optional)");
  lblHeadGroup.setCaption("Multicast group");
  lblInterface.setCaption("Send from interface:");
  cmdOK.setCaption("OK");
  cmdCancel.setCaption("Cancel");
  for (int i = 0; i < kRows; ++i) {
    lblOutput[i].setCaption(std::to_string(i + 1));
    chkSend[i].setCaption("");
    txtUnicast[i].setToolTipText("Also send this universe straight to one receiver (IPv4); empty = multicast only");
  }
  txtUniverse.onChange([this](int i) { txtUniverse_Change(i); });
  cmdOK.onClick = [this] { cmdOK_Click(); };
  cmdCancel.onClick = [this] { cmdCancel_Click(); };
}

void Sacn_Config::Form_Load() { fill(); }

void Sacn_Config::Form_Activate() { fill(); }

void Sacn_Config::fill() {
  const DeskState& s = core().state;
  for (int i = 0; i < kRows; ++i) {
    const SacnPortRec& p = s.SacnPorts[static_cast<std::size_t>(i)];
    chkSend[i].setValue(p.Enabled != 0 ? 1 : 0);
    txtUniverse[i].setText(std::to_string(p.Universe));
    txtPriority[i].setText(std::to_string(p.Priority));
    txtUnicast[i].setText(p.Unicast);
    txtUniverse_Change(i);
  }
  cboInterface.Clear();
  cboInterface.AddItem(kAutomatic);
  int pick = 0;
  for (const auto& li : LocalIPv4Interfaces()) {
    cboInterface.AddItem(li.address + "  (" + li.name + ")");
    if (li.address == s.SacnInterface) pick = cboInterface.ListCount() - 1;
  }
  if (!s.SacnInterface.empty() && pick == 0) {
    // A saved interface this computer does not have now stays visible.
    cboInterface.AddItem(s.SacnInterface + "  (not present)");
    pick = cboInterface.ListCount() - 1;
  }
  cboInterface.setListIndex(pick);
  cboInterface.setText(cboInterface.List(pick));
  SacnOutput* out = SacnOutput::Of(core());
  lblSource.setCaption(out ? "Source: " + out->sourceName() + "     CID " + out->cidText() : "");
  lblStatus.setCaption(out ? out->status() : "");
}

void Sacn_Config::txtUniverse_Change(int i) {
  if (i < 0 || i >= kRows) return;
  auto u = BoxNumber(txtUniverse[i].Text(), sacn::kMinUniverse, sacn::kMaxUniverse);
  lblGroup[i].setCaption(u ? sacn::AddressText(sacn::MulticastAddress(static_cast<uint16_t>(*u))) : "-");
}

std::string Sacn_Config::AddressOf(const std::string& entry) {
  const std::string t = Trimmed(entry);
  if (t.empty() || t == kAutomatic) return "";
  return t.substr(0, t.find(' '));
}

bool Sacn_Config::refuse(Control& box, const std::string& text) {
  core().dialogs().Message(" " + text, " sACN Output", MsgIcon::Exclamation);
  box.SetFocus();
  return false;
}

void Sacn_Config::cmdOK_Click() {
  SacnOutput* out = SacnOutput::Of(core());
  if (!out) return;
  std::array<SacnPortRec, kSacnPorts> ports{};
  // Every row is checked before anything is stored.
  for (int i = 0; i < kRows; ++i) {
    const std::string row = "Output " + std::to_string(i + 1) + ": ";
    SacnPortRec& p = ports[static_cast<std::size_t>(i)];
    auto u = BoxNumber(txtUniverse[i].Text(), sacn::kMinUniverse, sacn::kMaxUniverse);
    if (!u) {
      refuse(txtUniverse[i], row + "the universe must be a whole number from 1 to 63999.");
      return;
    }
    auto pr = BoxNumber(txtPriority[i].Text(), 0, sacn::kMaxPriority);
    if (!pr) {
      refuse(txtPriority[i], row + "the priority must be a whole number from 0 to 200.");
      return;
    }
    const std::string unicast = Trimmed(txtUnicast[i].Text());
    const std::string bad = SacnOutput::AddressProblem(unicast);
    if (!bad.empty()) {
      refuse(txtUnicast[i], row + "the unicast address " + bad + ".");
      return;
    }
    p.Enabled = chkSend[i].Value() != 0 ? -1 : 0;
    p.Universe = static_cast<int32_t>(*u);
    p.Priority = static_cast<int16_t>(*pr);
    p.Unicast = unicast;
    for (int k = 0; k < i; ++k)
      if (p.Enabled != 0 && ports[static_cast<std::size_t>(k)].Enabled != 0 &&
          ports[static_cast<std::size_t>(k)].Universe == p.Universe) {
        refuse(txtUniverse[i], row + "universe " + std::to_string(p.Universe) + " is already sent by output " +
                                   std::to_string(k + 1) + ".");
        return;
      }
  }
  const std::string iface = AddressOf(cboInterface.Text());
  const std::string badIface = SacnOutput::AddressProblem(iface);
  if (!badIface.empty()) {
    refuse(cboInterface, "The interface " + badIface + ".");
    return;
  }
  DeskState& s = core().state;
  const auto beforePorts = s.SacnPorts;
  const std::string beforeIface = s.SacnInterface;
  s.SacnPorts = ports;
  s.SacnInterface = iface;
  const std::string err = out->Apply();
  if (!err.empty()) {
    // An interface that cannot be used: the window stays open with the
    // edits, and the output keeps what it had.
    s.SacnPorts = beforePorts;
    s.SacnInterface = beforeIface;
    out->Apply();
    refuse(cboInterface, err + ".");
    return;
  }
  if (s.SacnPorts != beforePorts || iface != beforeIface)
    s.ProjectChanged = -1;
  Unload();
}

void Sacn_Config::cmdCancel_Click() { Unload(); }

}  // namespace lumora
