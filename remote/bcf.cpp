#include "remote/bcf.h"

#include "platform/desk_base.h"
#include "core/level_node.h"
#include "core/levels.h"
#include "playback/playdesk.h"
#include "remote/bcf_configure.h"
#include "remote/bcf_hooks.h"

namespace lumora {

namespace {
constexpr int kCcStatus = 176;  // control change, channel 1
constexpr int kFirstFader = 81;
constexpr int kFirstButton = 65;
constexpr int kFirstGroup = 89;

bool IsBcfName(const std::string& n) { return n.compare(0, 7, "BCF2000") == 0; }
}  // namespace

const char* BcfModeText(int mode) {
  static const char* const texts[] = {" Not Connected", " Main Desk",  " Playback Desk", " Chase Desk",
                                      " Channel Set",   " Submix Set", " User Config"};
  return mode >= 0 && mode <= 6 ? texts[mode] : texts[0];
}

BCF::BCF(DeskBase& desk) : Form(desk, "BCF") {
  setCaption("BCF2000");
  Pannel_Dec.setCaption("<");
  Pannel_Inc.setCaption(">");
  Exit.setCaption("Exit");
  Text3.setText(BcfModeText(0));
  Pannel_Dec.onClick = [this] { Pannel_Dec_Click(); };
  Pannel_Inc.onClick = [this] { Pannel_Inc_Click(); };
  Exit.onClick = [this] { Unload(); };
  MidiPoll.setInterval(10);
  MidiPoll.onTimer = [this] { drain(); };
  auto& r = desk.registry();
  // The surface's four fader groups (controls 89..92) index the level tables.
  AddRanged(r, "FaderGroup", FaderGroup, 0, 3);
  r.bind("FaderTouched", FaderTouched);
  r.bind("BcfInDevice", BcfInDevice);
  r.bind("BcfOutDevice", BcfOutDevice);
  r.bind("BcfInName", BcfInName);
  r.bind("BcfOutName", BcfOutName);
}

BCF::~BCF() {
  // Ports lent by the desk (the simulated surface) may already be gone.
  if (ports_ && ownedPorts_) {
    ports_->onReceived = nullptr;
    ports_->CloseIn();
    ports_->CloseOut();
  }
}

MidiPorts& BCF::ports() {
  if (!ports_) {
    // The real driver is opened on first use only, never at start-up.
    ownedPorts_ = MakeRtMidiPorts();
    ports_ = ownedPorts_.get();
  }
  return *ports_;
}

void BCF::Form_Unload(bool& cancel) {
  (void)cancel;
  if (!ports_) return;
  MidiPoll.setEnabled(false);
  if (ports_->InOpen()) ports_->CloseIn();
  if (ports_->OutOpen()) ports_->CloseOut();
}

void BCF::statusOfDesk(const std::string& text) {
  desk().mainDesk().Status.setText(text);
  desk().window<Playdesk>().Status.setText(text);
}

void BCF::BcfConnect() {
  DeskBase& d = desk();
  MidiPorts& p = ports();
  statusOfDesk(" Connecting to BCF2000");
  BcfOutFound = 0;
  for (int i = -1; i < p.OutCount(); ++i) {
    const std::string n = p.OutName(i);
    if (IsBcfName(n)) {
      BcfOutDevice = static_cast<int16_t>(i);
      BcfOutName = n;
      BcfOutFound = -1;
    }
  }
  BcfInDevice = 0;
  for (int i = 0; i < p.InCount(); ++i) {
    const std::string n = p.InName(i);
    if (IsBcfName(n)) {
      BcfInDevice = static_cast<int16_t>(i + 1);
      BcfInName = n;
    }
  }
  if (BcfOutFound == 0 || BcfInDevice == 0) {
    Text2.setText(" No BCF2000 Found");
    d.window<BCF_configure>().Text1.setText(" No BCF2000 Found");
    statusOfDesk(" No BCF2000 Found");
    d.state.BcfMode = 0;
    PanelRefresh();
    return;
  }
  Text2.setText(" BCF2000 Connection Made ");
  d.window<BCF_configure>().Text1.setText(" Connection Made");
  statusOfDesk(" BCF2000 Connection Made");
  d.state.BcfMode = kBcfMainDesk;
  PanelRefresh();
  BcfOpenPorts();
  FaderGroup = 0;
}

int BCF::BcfOpenPorts() {
  MidiPorts& p = ports();
  if (p.InOpen()) p.CloseIn();
  if (BcfInDevice != 0) p.OpenIn(BcfInDevice - 1);
  if (p.OutOpen()) p.CloseOut();
  if (BcfOutFound != 0) {
    p.OpenOut(BcfOutDevice);
    if (!p.OutOpen()) {
      desk().dialogs().MsgBox("Cannot open MIDI Output port", "Open MIDI Output port", MsgButtons::Ok,
                              MsgIcon::Exclamation, MsgResult::Ok);
      return 0;
    }
  }
  if (p.InOpen()) {
    p.onReceived = [this] { drain(); };
    MidiPoll.setEnabled(true);
  }
  return 1;
}

void BCF::BcfSendCC(int controller, int value) {
  if (!ports_ || !ports_->OutOpen()) return;
  // MIDI data bytes are 0..127; a value outside is held to that range
  // rather than wrapped into another position.
  if (value < 0) value = 0;
  if (value > 127) value = 127;
  ports_->Send(kCcStatus, static_cast<uint8_t>(controller & 0x7F), static_cast<uint8_t>(value));
}

void BCF::BcfSendCCHalf(int controller, int level) { BcfSendCC(controller, level / 2); }

void BCF::PanelRefresh() {
  const int mode = desk().state.BcfMode;
  Pannel_Dec.setEnabled(mode != 1);
  Pannel_Inc.setEnabled(mode != 6);
  Text3.setText(BcfModeText(mode));
}

void BCF::sendGroupFaders(bool halfMinusOne) {
  const DeskState& s = desk().state;
  const int mode = s.BcfMode;
  if (mode != kBcfMainDesk && mode != kBcfPlayDesk) return;
  for (int i = 0; i < 8; ++i) {
    const int idx = 8 * FaderGroup + i;
    const int level = mode == kBcfMainDesk ? s.DeskLevels[idx] : s.PlayFaderLevel[idx];
    const int v = halfMinusOne ? Nearest(level / 2.0 - 1) : Nearest(level / 2.0);
    BcfSendCC(kFirstFader + i, v);
  }
}

void BCF::Pannel_Dec_Click() {
  DeskState& s = desk().state;
  if (s.BcfMode > 1) --s.BcfMode;
  sendGroupFaders(true);
  PanelRefresh();
}

void BCF::Pannel_Inc_Click() {
  DeskState& s = desk().state;
  if (s.BcfMode < 6) ++s.BcfMode;
  sendGroupFaders(true);
  PanelRefresh();
}

void BCF::echo(int n, int value) { Text1.setText(Num(n) + (value >= 64 ? " On" : " Off")); }

void BCF::drain() {
  if (!ports_) return;
  if (auto e = ports_->TakeError()) MIDIInput1_Error(e->first, e->second);
  for (const MidiMessage& m : ports_->TakeReceived()) MIDIInput1_Message(m[1], m[2]);
}

void BCF::MIDIInput1_Error(int code, const std::string& text) {
  if (code == 0 || code == 8) return;
  desk().dialogs().MsgBox(text, "BCF2000", MsgButtons::Ok, MsgIcon::Exclamation, MsgResult::Ok);
  desk().state.BcfMode = 0;
  PanelRefresh();
}

void BCF::MIDIInput1_Message(int c, int v) {
  DeskBase& d = desk();
  DeskState& s = d.state;
  const int mode = s.BcfMode;
  if (mode != kBcfMainDesk && mode != kBcfPlayDesk) return;
  if (c >= 33 && c <= 64) {
    echo(c - 33, v);
  } else if (c >= kFirstButton && c <= 80) {
    const int b = c - kFirstButton;
    echo(b, v);
    if (mode == kBcfPlayDesk) {
      s.PlayButtonState[b] = v >= 64 ? -1 : 0;
      if (s.ButtonFunctions[b].Function == kFnSequence) BcfRunButtonSequence(d, b, v >= 64 ? 255 : 0);
      d.window<Playdesk>().RedrawPlaydesk();
      d.window<Playdesk>().RecomputeFunctionLevels();
    }
  } else if (c >= kFirstFader && c <= 88) {
    const int idx = 8 * FaderGroup + (c - kFirstFader);
    FaderTouched[c - kFirstFader] = -1;
    if (mode == kBcfMainDesk) {
      s.DeskLevels[idx] = static_cast<int16_t>(2 * v);
      d.mainDesk().RefreshDesk();
    } else {
      s.PlayFaderLevel[idx] = static_cast<int16_t>(2 * v);
      if (s.FaderFunctions[idx].Function == kFnSequence) BcfRunFaderSequence(d, idx, v > 5 ? 2 * v : 0);
      d.window<Playdesk>().RedrawPlaydesk();
      d.window<Playdesk>().RecomputeFunctionLevels();
    }
  } else if (c >= kFirstGroup && c <= 92) {
    if (v >= 64) {
      FaderGroup = static_cast<int16_t>(c - kFirstGroup);
      for (int j = 0; j < 4; ++j)
        if (j != FaderGroup) BcfSendCC(kFirstGroup + j, 0);
      sendGroupFaders(false);
      const std::string text = " BCF Fader Group " + Num(FaderGroup);
      if (mode == kBcfMainDesk) d.mainDesk().Status.setText(text);
      else d.window<Playdesk>().Status.setText(text);
    }
    echo(c - kFirstGroup, v);
  } else if (c == 93 || c == 94) {
    echo(c - 93, v);
  }
  // 1..32 (the encoders): no effect.
}

void BcfFeedbackFader(DeskBase& d, BcfDesk from, int i, int level) {
  if (d.state.BcfMode != from || from == kBcfNone) return;
  BCF& b = d.window<BCF>();
  const int g = b.FaderGroup;
  if (i < 8 * g || i >= 8 * g + 8) return;
  // A fader moved on the surface suppresses exactly one echo of itself.
  if (b.FaderTouched[i - 8 * g] == 0) b.BcfSendCCHalf(kFirstFader + i - 8 * g, level);
  b.FaderTouched[i - 8 * g] = 0;
}

void BcfFeedbackButton(DeskBase& d, BcfDesk from, int b, int16_t state) {
  if (d.state.BcfMode != from || from == kBcfNone) return;
  BCF& f = d.window<BCF>();
  // The surface's 16 buttons always stand for buttons 0..15, in every fader
  // group, as the input side reads them; so their lights follow those.
  if (b < 0 || b >= 16) return;
  f.BcfSendCC(kFirstButton + b, state == -1 ? 127 : 0);
}

void BcfFollowPlayDesk(DeskBase& d) {
  if (d.state.BcfMode != kBcfPlayDesk) return;
  const int g = d.window<BCF>().FaderGroup;
  for (int i = 8 * g; i < 8 * g + 8; ++i) BcfFeedbackFader(d, kBcfPlayDesk, i, d.state.PlayFaderLevel[i]);
  for (int b = 0; b < 16; ++b) BcfFeedbackButton(d, kBcfPlayDesk, b, d.state.PlayButtonState[b]);
}

}  // namespace lumora
