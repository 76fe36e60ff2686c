#include "app/health_window.h"

#include <cmath>
#include <cstdio>
#include <ctime>

#include "app/desk.h"
#include "desk/hoofdblad.h"
#include "core/levels.h"
#include "output/adapters.h"
#include "output/art_config.h"
#include "output/artnet.h"
#include "output/output_wire.h"

namespace lumora {

namespace {

constexpr int32_t kGreen = RGB(0, 190, 0);
constexpr int32_t kAmber = RGB(255, 176, 0);
constexpr int32_t kRed = RGB(220, 0, 0);
constexpr int32_t kWhite = RGB(255, 255, 255);
constexpr int32_t kBlack = RGB(0, 0, 0);
constexpr int32_t kGrey = RGB(150, 150, 150);

std::string Fixed(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

// Rounded for reading: figures are measurements, not exact counts.
double Round(double v, double step) { return std::round(v / step) * step; }

std::string Bytes(double perSecond) {
  if (perSecond >= 1024.0 * 1024.0) return Fixed(perSecond / (1024.0 * 1024.0), 2) + " MB/s";
  if (perSecond >= 1024.0) return Fixed(perSecond / 1024.0, 1) + " KB/s";
  return Fixed(perSecond, 0) + " B/s";
}

std::string Total(uint64_t bytes) {
  const double b = static_cast<double>(bytes);
  if (b >= 1024.0 * 1024.0 * 1024.0) return Fixed(b / (1024.0 * 1024.0 * 1024.0), 2) + " GB";
  if (b >= 1024.0 * 1024.0) return Fixed(b / (1024.0 * 1024.0), 1) + " MB";
  if (b >= 1024.0) return Fixed(b / 1024.0, 1) + " KB";
  return std::to_string(bytes) + " B";
}

std::string Ago(int64_t ms) {
  if (ms < 1000) return "just now";
  const int64_t s = ms / 1000;
  if (s < 120) return std::to_string(s) + " s ago";
  if (s < 7200) return std::to_string(s / 60) + " min ago";
  return std::to_string(s / 3600) + " h ago";
}

std::string TimeOfDay(int64_t epochSeconds) {
  const std::time_t t = static_cast<std::time_t>(epochSeconds);
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[16];
  std::strftime(buf, sizeof buf, "%H:%M:%S", &tm);
  return buf;
}

std::string Universes(const std::vector<uint16_t>& list) {
  std::string out;
  for (uint16_t u : list) out += (out.empty() ? "" : ", ") + std::to_string(u);
  return out.empty() ? "-" : out;
}

std::string Periods(const TickRecorder::Figures& f) {
  if (f.ticks == 0) return "no ticks measured";
  return "mean " + Fixed(f.meanMs, 2) + " ms, p99 " + Fixed(f.p99Ms, 2) + " ms, max " + Fixed(f.maxMs, 2) + " ms (" +
         std::to_string(f.ticks) + " ticks)";
}

}  // namespace

const char* Health::AdapterName(int type) {
  static const char* const kNames[SendTally::kAdapters] = {
      "None", "Marwick's Adapter", "DMX 3-1 Adapter", "Open DMX USB Adapter", "Manolator DMX Interface",
      "Quillonizer Corvex"};
  return type >= 0 && type < SendTally::kAdapters ? kNames[type] : "";
}

Health::Health(DeskBase& desk)
    : Form(desk, "Health"),
      indicator_(desk.window<Hoofdblad>(), "Output_Indicator", Kind::Label),
      menu_(desk.window<Hoofdblad>(), "Output_Health", Kind::Menu),
      Health_Timer(desk.window<Hoofdblad>(), "Health_Timer") {
  setCaption("Output Health");
  Poll.setCaption("Poll");
  Poll.setToolTipText("Broadcast an ArtPoll: every Art-Net node on the network answers");
  Close.setCaption("Close");
  Poll.onClick = [this] { Poll_Click(); };
  Close.onClick = [this] { Close_Click(); };
  indicator_.setCaption("Output");
  indicator_.setToolTipText("Output health: click for the figures");
  indicator_.onClick = [this] { Show(); };
  menu_.setCaption("Output Health...");
  menu_.onClick = [this] { Show(); };
  Health_Timer.setInterval(kSampleMs);
  Health_Timer.onTimer = [this] { Health_Timer_Timer(); };
  // It samples and judges; nothing the tick mixes changes, so a resting tick
  // stays asleep.
  Health_Timer.passive = true;
}

OutputWire* Health::wire() const { return OutputWire::Of(desk()); }

int64_t Health::nowMs() const {
  const OutputWire* w = wire();
  return w ? w->healthNow() / kNsPerMs : desk().scheduler().now();
}

TickRecorder::Figures Health::tickRecent() const {
  const OutputWire* w = wire();
  return w ? w->ticks().recent(w->healthNow()) : TickRecorder::Figures{};
}

TickRecorder::Figures Health::tickSinceStart() const {
  const OutputWire* w = wire();
  return w ? w->ticks().sinceStart() : TickRecorder::Figures{};
}

std::vector<uint16_t> Health::sentUniverses() const {
  DeskBase& d = desk();
  return d.window<Art_Config>().net ? ArtNet(d).sentUniverses() : std::vector<uint16_t>{};
}

std::string Health::lastErrorText() const {
  const OutputWire* w = wire();
  if (!w || w->lastError().text.empty()) return "";
  return w->lastError().text;
}

void Health::Form_Load() {
  fill();
}

void Health::Close_Click() { Unload(); }

void Health::Poll_Click() {
  DeskBase& d = desk();
  if (!d.window<Art_Config>().net) return;
  D_ArtNet& net = ArtNet(d);
  // Polling needs the node started, as the Art-Net setup window starts it.
  if (!net.socket().bound() || d.state.ArtBroadcast.empty()) {
    if (!net.ArtInit()) {
      Poll_Text.setCaption("Art-Net could not start: " + (net.log().empty() ? std::string("see Setup, Art-Net") : net.log().back()));
      fill();
      return;
    }
    d.state.ArtNetReady = -1;
  }
  if (net.ArtSendPoll())
    Poll_Text.setCaption("ArtPoll sent to " + d.state.ArtBroadcast + "; replies are listed as they come");
  else
    Poll_Text.setCaption("The ArtPoll could not be sent to " + d.state.ArtBroadcast);
  fill();
}

void Health::Health_Timer_Timer() {
  OutputWire* w = wire();
  if (!w) return;
  const SendTally::Snapshot now = w->tally().read();
  rates_.sample(w->healthNow(), now);
  if (now.artFailures > artFailuresSeen_) {
    w->noteError("Art-Net: " + std::to_string(now.artFailures - artFailuresSeen_) + " ArtDmx sends failed");
    artFailuresSeen_ = now.artFailures;
  }
  judge();
  if (Loaded() && Visible()) fill();
}

void Health::judge() {
  DeskBase& d = desk();
  const int64_t now = nowMs();
  problems_.clear();
  bool fault = false;
  bool warning = false;

  // An output counts as sending nothing only after a whole second of being
  // selected, so choosing one never flashes red.
  const int type = d.state.AdapterType;
  if (type != adapterSelected_) {
    adapterSelected_ = type;
    adapterSince_ = now;
  }
  if (type > 0 && type < SendTally::kAdapters && now - adapterSince_ >= kSampleMs &&
      rates_.lastSecondFrames(type) == 0) {
    fault = true;
    problems_.push_back(std::string(AdapterName(type)) + " sends nothing");
  }
  // Art-Net is on while its send timer runs, i.e. while a port is enabled.
  const bool art = d.window<Hoofdblad>().Art_Time.Enabled();
  if (art != artSelected_) {
    artSelected_ = art;
    artSince_ = now;
  }
  if (art && now - artSince_ >= kSampleMs && rates_.lastSecondArtFrames() == 0) {
    fault = true;
    problems_.push_back(d.state.ArtBroadcast.empty() ? "Art-Net sends nothing: the node is not started"
                                                     : "Art-Net sends nothing");
  }

  const TickRecorder::Figures recent = tickRecent();
  if (recent.late > 0) {
    warning = true;
    problems_.push_back(std::to_string(recent.late) + (recent.late == 1 ? " late tick" : " late ticks") +
                        " in the last 10 s (max period " + Fixed(recent.maxMs, 1) + " ms)");
  }
  if (const OutputWire* w = wire(); w && !w->lastError().text.empty()) {
    const int64_t age = now - w->lastError().atNs / kNsPerMs;
    if (age < kRecentErrorMs) {
      warning = true;
      problems_.push_back("error " + Ago(age) + ": " + w->lastError().text);
    }
  }
  if (d.window<Art_Config>().net)
    for (const auto& c : ArtNet(d).nodes().conflicts(sentUniverses(), d.scheduler().now()))
      if (c.kind == artnet::NodeTable::Conflict::kFighting) {
        warning = true;
        problems_.push_back(c.text);
      }

  const bool anything = (type > 0 && type < SendTally::kAdapters) || art;
  state_ = fault ? State::Fault : warning ? State::Warning : anything ? State::Ok : State::Idle;

  // The status bar's indicator: plain while all is well.
  std::string tip;
  for (const auto& p : problems_) tip += (tip.empty() ? "" : "\n") + p;
  switch (state_) {
    case State::Fault:
      indicator_.setBackColor(kRed);
      indicator_.setForeColor(kWhite);
      break;
    case State::Warning:
      indicator_.setBackColor(kAmber);
      indicator_.setForeColor(kBlack);
      break;
    default:
      indicator_.setBackColor(-1);
      indicator_.setForeColor(-1);
      tip = state_ == State::Ok ? "Output OK" : "No output device selected and no Art-Net port enabled";
      break;
  }
  indicator_.setToolTipText(tip + "\nClick for the output health");
}

std::string Health::logLineDue(int64_t nowMs) {
  std::string line;
  for (const auto& p : problems_) line += (line.empty() ? "" : "; ") + p;
  if (line.empty()) {
    if (!troubled_) return "";
    troubled_ = false;
    return "output health: all outputs well again";
  }
  // The figures in the line move every second; the log hears of them when
  // trouble starts and then once a minute, whatever they say.
  if (troubled_ && nowMs - loggedAt_ < kLogEveryMs) return "";
  troubled_ = true;
  loggedAt_ = nowMs;
  return "output health: " + line;
}

void Health::fill() {
  DeskBase& d = desk();
  const OutputWire* w = wire();
  static const char* const kStates[] = {"No output selected", "Output OK", "Output needs attention",
                                        "Output fault"};
  const int s = static_cast<int>(state_);
  Status_Light.setBackColor(state_ == State::Fault     ? kRed
                            : state_ == State::Warning ? kAmber
                            : state_ == State::Ok      ? kGreen
                                                       : kGrey);
  std::string status = kStates[s];
  for (const auto& p : problems_) status += "\n" + p;
  Status_Text.setCaption(status);

  const Timer& tick = d.window<Hoofdblad>().Timer1;
  // A resting tick measures no periods: say so, or the empty figures below
  // read as a stopped output.
  Tick_Set.setCaption(tick.Enabled() && tick.Interval() > 0
                          ? "Output tick every " + std::to_string(tick.Interval()) + " ms (" +
                                Fixed(1000.0 / tick.Interval(), 1) + " per second)" +
                                (tick.restSeen != 0 ? ", resting while nothing changes" : "")
                          : "Output tick stopped");
  Tick_Recent.setCaption("Last 10 s: " + Periods(tickRecent()));
  Tick_Total.setCaption("Since start: " + Periods(tickSinceStart()));
  const TickRecorder::Figures r = tickRecent(), t = tickSinceStart();
  Late_Text.setCaption("Late ticks: " + std::to_string(r.late) + " in the last 10 s, " + std::to_string(t.late) +
                       " since start");

  // Outputs: the selected adapter, every adapter that ever sent, and the
  // Art-Net ports.
  const RateMeter::Rates recent = rates_.recent();
  const RateMeter::Rates total = rates_.sinceStart();
  const SendTally::Snapshot tally = rates_.empty() ? SendTally::Snapshot{} : rates_.latest();
  std::vector<std::string> rows;
  for (int a = 1; a < SendTally::kAdapters; ++a) {
    const auto i = static_cast<std::size_t>(a);
    if (a != d.state.AdapterType && tally.adapterFrames[i] == 0) continue;
    rows.push_back(std::string(AdapterName(a)) + (a == d.state.AdapterType ? "" : " (not selected)") + "\t" +
                   Fixed(recent.adapterFps[i], 1) + "\t" + Fixed(total.adapterFps[i], 1) + "\t" +
                   std::to_string(tally.adapterFrames[i]) + "\t" + Bytes(recent.adapterBytesPerSecond[i]));
  }
  const std::vector<uint16_t> sending = sentUniverses();
  for (int p = 0; p < SendTally::kArtPorts; ++p) {
    const auto i = static_cast<std::size_t>(p);
    const ArtPortRec& port = d.state.ArtPorts[i];
    if (port.Enabled == 0 && tally.artFrames[i] == 0) continue;
    rows.push_back("Art-Net port " + std::to_string(p) + ", universe " + std::to_string(port.Universe) +
                   (port.Enabled == 0 ? " (off)" : "") + "\t" + Fixed(recent.artFps[i], 1) + "\t" +
                   Fixed(total.artFps[i], 1) + "\t" + std::to_string(tally.artFrames[i]) + "\t" +
                   Bytes(recent.artFps[i] * artnet::kDmxSize));
  }
  if (rows.empty()) rows.push_back("No output selected\t-\t-\t-\t-");
  // Lists are rewritten only when a row changed: the window repaints only that.
  auto setRows = [](Control& list, const std::vector<std::string>& items) {
    bool same = static_cast<int>(items.size()) == list.ListCount();
    for (std::size_t k = 0; same && k < items.size(); ++k) same = list.List(static_cast<int>(k)) == items[k];
    if (same) return;
    list.Clear();
    for (const auto& item : items) list.AddItem(item);
  };
  setRows(Output_List, rows);
  Bytes_Text.setCaption("Sent since start: " + Total(tally.bytesAll()) + " (" + Bytes(recent.artBytesPerSecond +
                        [&] {
                          double b = 0;
                          for (double v : recent.adapterBytesPerSecond) b += v;
                          return b;
                        }()) + " now)" +
                        (tally.artFailures ? ", " + std::to_string(tally.artFailures) + " Art-Net sends failed" : ""));

  if (w && !w->lastError().text.empty())
    Error_Text.setCaption("Last error: " + w->lastError().text + " (at " + TimeOfDay(w->lastError().wallSeconds) +
                          ", " + Ago(nowMs() - w->lastError().atNs / kNsPerMs) + ")");
  else
    Error_Text.setCaption("Last error: none");

  // Art-Net nodes and conflicts.
  rows.clear();
  std::vector<std::string> conflicts;
  if (d.window<Art_Config>().net) {
    const D_ArtNet& net = ArtNet(d);
    const int64_t now = d.scheduler().now();
    for (const auto& n : net.nodes().nodes())
      rows.push_back(n.ip + "\t" + (n.replied ? n.shortName : "(no reply)") + "\t" + n.longName + "\t" +
                     Universes(n.universes()) + "\t" + Universes(n.sendingNow(now)) + "\t" + Ago(now - n.lastSeenMs));
    for (const auto& c : net.nodes().conflicts(sending, now)) conflicts.push_back(c.text);
  }
  setRows(Nodes_List, rows);
  if (conflicts.empty()) conflicts.push_back("No conflicts");
  setRows(Conflict_List, conflicts);
  if (Poll_Text.Caption().empty())
    Poll_Text.setCaption("Nodes answer an ArtPoll; a node that sends ArtDmx is listed as soon as it is heard");
}

void SetupHealth(DeskBase& d) {
  Health& h = d.own<Health>(d);
  d.addForm(&h);
  // The first sample: rates count from here.
  h.Health_Timer_Timer();
  h.Health_Timer.setEnabled(true);

  Registry& r = d.registry();
  auto add = [&r](const char* name, std::function<Json()> get) {
    r.add(name, [get] { return std::make_unique<FnNode>(get); });
  };
  auto ms = [](double v) { return Json(Round(v, 0.001)); };
  add("Health.TickMean", [&h, ms] { return ms(h.tickRecent().meanMs); });
  add("Health.TickP99", [&h, ms] { return ms(h.tickRecent().p99Ms); });
  add("Health.TickMax", [&h, ms] { return ms(h.tickRecent().maxMs); });
  add("Health.LateTicks", [&h] { return Json(static_cast<long long>(h.tickSinceStart().late)); });
  add("Health.RecentLateTicks", [&h] { return Json(static_cast<long long>(h.tickRecent().late)); });
  add("Health.Ticks", [&h] { return Json(static_cast<long long>(h.tickRecent().ticks)); });
  add("Health.TotalTickMean", [&h, ms] { return ms(h.tickSinceStart().meanMs); });
  add("Health.TotalTickP99", [&h, ms] { return ms(h.tickSinceStart().p99Ms); });
  add("Health.TotalTickMax", [&h, ms] { return ms(h.tickSinceStart().maxMs); });
  add("Health.FramesPerSecond", [&h] {
    const RateMeter::Rates rates = h.rates().recent();
    Json o = Json::object();
    for (int a = 1; a < SendTally::kAdapters; ++a)
      o.set(Health::AdapterName(a), Json(Round(rates.adapterFps[static_cast<std::size_t>(a)], 0.01)));
    o.set("Art-Net", Json(Round(rates.artPacketsPerSecond, 0.01)));
    return o;
  });
  add("Health.ArtNetPortFramesPerSecond", [&h] {
    const RateMeter::Rates rates = h.rates().recent();
    Json a = Json::array();
    for (double v : rates.artFps) a.push(Json(Round(v, 0.01)));
    return a;
  });
  add("Health.BytesSent", [&d] {
    const OutputWire* w = OutputWire::Of(d);
    return Json(static_cast<long long>(w ? w->tally().read().bytesAll() : 0));
  });
  add("Health.LastError", [&h] { return Json(h.lastErrorText()); });
  add("Health.Status", [&h] {
    static const char* const kNames[] = {"idle", "ok", "warning", "fault"};
    return Json(kNames[static_cast<int>(h.state())]);
  });
  add("Health.Problems", [&h] {
    Json a = Json::array();
    for (const auto& p : h.problems()) a.push(Json(p));
    return a;
  });
  if (!d.window<Art_Config>().net) return;
  D_ArtNet& net = ArtNet(d);
  add("ArtNet.Nodes", [&net, &d] {
    const int64_t now = d.scheduler().now();
    Json a = Json::array();
    for (const auto& n : net.nodes().nodes()) {
      Json o = Json::object();
      o.set("ip", Json(n.ip));
      o.set("shortName", Json(n.shortName));
      o.set("longName", Json(n.longName));
      Json u = Json::array();
      for (uint16_t v : n.universes()) u.push(Json(static_cast<long long>(v)));
      o.set("universes", u);
      Json sends = Json::array();
      for (uint16_t v : n.sendingNow(now)) sends.push(Json(static_cast<long long>(v)));
      o.set("sending", sends);
      o.set("lastSeenMs", Json(static_cast<long long>(now - n.lastSeenMs)));
      a.push(o);
    }
    return a;
  });
  add("ArtNet.Conflicts", [&net, &h, &d] {
    Json a = Json::array();
    for (const auto& c : net.nodes().conflicts(h.sentUniverses(), d.scheduler().now())) a.push(Json(c.text));
    return a;
  });
}

}  // namespace lumora
