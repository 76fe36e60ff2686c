#include "output/art_config.h"

#include "platform/desk_base.h"
#include "core/levels.h"
#include "output/artnet.h"

namespace lumora {

namespace {
constexpr int32_t kGreen = RGB(0, 255, 0);
constexpr int32_t kRed = RGB(255, 0, 0);
}  // namespace

Art_Config::Art_Config(DeskBase& desk) : Form(desk, "Art_Config") {
  setCaption("Art Net Setup");
  Label1.setCaption("Universe");
  Label2.setCaption("Status");
  Command1.setCaption("Exit");
  Button1.onClick([this](int i) { Button1_Click(i); });
  Command1.onClick = [this] { Command1_Click(); };
}

void Art_Config::setStatusLines(const std::string& text) {
  desk().mainDesk().Status.setText(text);
  desk().playStatus().setText(text);
}

void Art_Config::Form_Load() {
  DeskState& s = desk().state;
  for (int i = 0; i < 8; ++i) {
    Text1[i].setText(std::to_string(i));
    Button1[i].setCaption("Enable");
  }
  RefreshButtons();
  if (s.ArtNetReady == -1) {
    Text2.setText(" Art Net OK");
    setStatusLines(" ART NET OK ");
    return;
  }
  Text2.setText(" Loading.......");
  setStatusLines(" ART NET Loading.......");
  if (net && net->ArtInit()) {
    Text2.setText(" Art-Net Initialized");
    setStatusLines(" Art-Net Initialized");
    s.ArtNetReady = -1;
  } else {
    Text2.setText(" ! Art-Net Failed, Maybe another Art-Net program has the open?");
    setStatusLines(" Art-Net Failed");
    s.ArtNetReady = 0;
  }
}

void Art_Config::Button1_Click(int i) {
  if (i < 0 || i >= 8) return;
  ArtPortRec& p = desk().state.ArtPorts[static_cast<std::size_t>(i)];
  if (p.Enabled != 0) {
    p.Enabled = 0;
  } else {
    p.Enabled = -1;
    p.Universe = static_cast<uint8_t>(i);
  }
  RefreshButtons();
  if (net) net->ArtApply();
}

void Art_Config::RefreshButtons() {
  const DeskState& s = desk().state;
  for (int i = 0; i < 8; ++i) {
    const bool on = s.ArtPorts[static_cast<std::size_t>(i)].Enabled != 0;
    Button1[i].setCaption(on ? "Disable" : "Enable");
    Button1[i].setBackColor(on ? kGreen : kRed);
  }
}

// Ports, timer and socket stay as they are.
void Art_Config::Command1_Click() { Unload(); }

}  // namespace lumora
