// The BCF2000 control surface: its window (mode panel, echo and connection
// boxes) and the MIDI handling of the surface (Midi_Setup). The surface
// drives the main desk (mode 1) or the playback desk (mode 2).
#pragma once

#include <array>
#include <memory>
#include <string>

#include "core/form.h"
#include "platform/midi.h"

namespace lumora {

// BcfMode values that act on incoming messages.
enum BcfDesk : int16_t { kBcfNone = 0, kBcfMainDesk = 1, kBcfPlayDesk = 2 };

class BCF : public Form {
 public:
  explicit BCF(DeskBase& desk);
  ~BCF() override;

  Control Text1{*this, "Text1", Kind::TextBox};  // echo of the last surface control
  Control Text2{*this, "Text2", Kind::TextBox};  // connection state
  Control Text3{*this, "Text3", Kind::TextBox};  // mode text
  Control Pannel_Dec{*this, "Pannel_Dec", Kind::Button};
  Control Pannel_Inc{*this, "Pannel_Inc", Kind::Button};
  Control Exit{*this, "Exit", Kind::Button};
  // Takes the messages the MIDI driver queued, on the UI thread.
  Timer MidiPoll{*this, "MidiPoll"};

  int16_t FaderGroup = 0;
  std::array<int16_t, 11> FaderTouched{};

  // Midi_Setup state.
  int16_t BcfInDevice = 0;   // input device number + 1; 0 = none
  int16_t BcfOutDevice = 0;  // output device number
  int16_t BcfOutFound = 0;   // -1 when an output device matched
  std::string BcfInName, BcfOutName;

  void Form_Unload(bool& cancel) override;

  void BcfConnect();
  // 1 = ports usable, 0 = not.
  int BcfOpenPorts();
  void BcfSendCC(int controller, int value);
  // The second form: a 0..255 level halved.
  void BcfSendCCHalf(int controller, int level);
  void PanelRefresh();
  void Pannel_Dec_Click();
  void Pannel_Inc_Click();
  // The input map for one control change.
  void MIDIInput1_Message(int controller, int value);
  void MIDIInput1_Error(int code, const std::string& text);

  MidiPorts& ports();
  // Replaces the MIDI ports (tests).
  void setPorts(MidiPorts* p) { ports_ = p; }

 private:
  void drain();
  void echo(int n, int value);
  void sendGroupFaders(bool halfMinusOne);
  void statusOfDesk(const std::string& text);

  MidiPorts* ports_ = nullptr;
  std::unique_ptr<MidiPorts> ownedPorts_;
};

// Feedback from the desks: only while the surface drives that desk.
void BcfFeedbackFader(DeskBase& d, BcfDesk from, int i, int level);
void BcfFeedbackButton(DeskBase& d, BcfDesk from, int b, int16_t state);

// Many levels of the playback desk changed at once (recall, clears, a take
// completed): the surface's faders of the group shown and its buttons follow.
void BcfFollowPlayDesk(DeskBase& d);

// The text shown for a mode.
const char* BcfModeText(int mode);

}  // namespace lumora
