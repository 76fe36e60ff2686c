// The Output Health window and the main desk's Output indicator: once a
// second the desk samples what the wire sent, judges whether the show
// reaches the lights and shows the figures: the tick's period (mean, p99,
// max over the last 10 s and since start), late ticks, frames and bytes per
// second per adapter and per Art-Net port, the last output error, and the
// other Art-Net nodes with the conflicts they cause.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/form.h"
#include "output/health_meter.h"

namespace lumora {

class OutputWire;

class Health : public Form {
 public:
  static constexpr int kSampleMs = 1000;
  // An error this recent keeps the indicator amber.
  static constexpr int64_t kRecentErrorMs = 60'000;
  // While something is wrong, the headless log says so this often.
  static constexpr int64_t kLogEveryMs = 60'000;

  // What the indicator shows.
  enum class State { Idle, Ok, Warning, Fault };

  explicit Health(DeskBase& desk);

  Control Status_Light{*this, "Status_Light", Kind::Picture};
  Control Status_Text{*this, "Status_Text", Kind::Label};
  Control Tick_Set{*this, "Tick_Set", Kind::Label};
  Control Tick_Recent{*this, "Tick_Recent", Kind::Label};
  Control Tick_Total{*this, "Tick_Total", Kind::Label};
  Control Late_Text{*this, "Late_Text", Kind::Label};
  // One row per output: name, then tab-separated figures.
  Control Output_List{*this, "Output_List", Kind::ListBox};
  Control Bytes_Text{*this, "Bytes_Text", Kind::Label};
  Control Error_Text{*this, "Error_Text", Kind::Label};
  // One row per node: address, short name, long name, universes, sends, last seen.
  Control Nodes_List{*this, "Nodes_List", Kind::ListBox};
  Control Conflict_List{*this, "Conflict_List", Kind::ListBox};
  Control Poll_Text{*this, "Poll_Text", Kind::Label};
  Control Poll{*this, "Poll", Kind::Button};
  Control Close{*this, "Close", Kind::Button};

  void Form_Load() override;
  void Poll_Click();
  void Close_Click();
  // The main desk's Health_Timer: samples the wire's tallies, judges the
  // output, paints the indicator and, while shown, this window.
  void Health_Timer_Timer();

  State state() const { return state_; }
  // Why the state is what it is (empty when all is well).
  const std::vector<std::string>& problems() const { return problems_; }
  // The headless log's line, when one is due at nowMs: at once when
  // trouble starts, then once a minute while it lasts (saying what is wrong
  // then), and once when all is well again. "" otherwise.
  std::string logLineDue(int64_t nowMs);

  // Figures for the console (ms; frames and bytes per second).
  TickRecorder::Figures tickRecent() const;
  TickRecorder::Figures tickSinceStart() const;
  const RateMeter& rates() const { return rates_; }
  std::string lastErrorText() const;
  // The universes this desk sends on Art-Net now (empty when none).
  std::vector<uint16_t> sentUniverses() const;

  // The name of an adapter (AdapterType value) as the desk calls it.
  static const char* AdapterName(int type);

  Control& indicator() { return indicator_; }

 private:
  OutputWire* wire() const;
  void judge();
  void fill();
  int64_t nowMs() const;

  RateMeter rates_;
  State state_ = State::Idle;
  std::vector<std::string> problems_;
  // How long the selected outputs have been selected (desk ms; -1 = not).
  int adapterSelected_ = 0;
  int64_t adapterSince_ = 0;
  bool artSelected_ = false;
  int64_t artSince_ = 0;
  uint64_t artFailuresSeen_ = 0;
  // The headless log.
  bool troubled_ = false;
  int64_t loggedAt_ = 0;

  // On the main desk: the status bar's indicator, the Setup menu item and
  // the sampling timer.
  Control indicator_;
  Control menu_;

 public:
  Timer Health_Timer;
};

// Makes the window, its menu item, indicator and timer and the console's
// read-outs. Called by the desk once the wire and Art-Net exist.
void SetupHealth(DeskBase& d);

}  // namespace lumora
