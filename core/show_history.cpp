#include "core/show_history.h"

#include <array>
#include <cstring>
#include <algorithm>
#include <tuple>
#include <utility>

namespace lumora {

namespace {

// Plain arrays compare as bytes: doubles too, so a table holding a NaN
// still equals its own copy (a value comparison would see a change on
// every act).
template <typename A>
bool SameBytes(const A& a, const A& b) {
  return std::memcmp(&a, &b, sizeof(A)) == 0;
}

std::size_t Heap(const std::string& t) { return t.capacity() > 15 ? t.capacity() + 1 : 0; }

// One fixture type gathered from the fixture tables (they are indexed by
// type first, so one type is one piece).
struct FixtureType {
  std::string name;
  std::array<std::string, 6> functionName;
  std::array<std::array<std::string, 21>, 4> buttonText;
  std::array<std::array<int16_t, 21>, 4> low{};
  std::array<std::array<int16_t, 21>, 4> high{};
  std::array<std::array<std::string, 21>, 4> colour;
};

// The show-wide values of the programming.
struct ShowInfo {
  int16_t screenCount = 0;
  std::string projectName, projectText;
};

using Patch = std::array<int16_t, kDmxSlots + 1>;

// Each kind of piece: how it is compared with, taken from and put back into
// the desk record. Every field of a record must be named in Same, Take and
// Put (the tests change each field the console reaches and expect it seen).
struct ChannelKind {
  using Rec = ChannelInfoRec;
  static constexpr std::size_t N = std::tuple_size_v<decltype(DeskState::ChannelInfo)>;
  static bool Same(const Rec& a, const DeskState& s, std::size_t i) {
    const Rec& b = s.ChannelInfo[i];
    return a.Main_F == b.Main_F && a.Cross_F == b.Cross_F && a.Desc == b.Desc && a.Name == b.Name &&
           a.Colour == b.Colour;
  }
  static Rec Take(const DeskState& s, std::size_t i) { return s.ChannelInfo[i]; }
  static void Put(const Rec& r, DeskState& s, std::size_t i) { s.ChannelInfo[i] = r; }
  static std::size_t Size(const Rec& r) { return sizeof r + Heap(r.Desc) + Heap(r.Name) + Heap(r.Colour); }
};

struct SubmixKind {
  using Rec = SubmixRec;
  static constexpr std::size_t N = std::tuple_size_v<decltype(DeskState::Submixes)>;
  static bool Same(const Rec& a, const DeskState& s, std::size_t i) {
    const Rec& b = s.Submixes[i];
    return SameBytes(a.Level, b.Level) && SameBytes(a.Channel, b.Channel) && a.Name == b.Name && a.Colour == b.Colour;
  }
  static Rec Take(const DeskState& s, std::size_t i) { return s.Submixes[i]; }
  static void Put(const Rec& r, DeskState& s, std::size_t i) { s.Submixes[i] = r; }
  static std::size_t Size(const Rec& r) { return sizeof r + Heap(r.Name) + Heap(r.Colour); }
};

template <typename R>
bool SameFunction(const R& a, const R& b) {
  return a.Value == b.Value && a.Function == b.Function && a.Channel1 == b.Channel1 && a.Channel2 == b.Channel2 &&
         a.Channel3 == b.Channel3 && a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
         a.Level == b.Level && a.Name == b.Name && a.Colour == b.Colour;
}

struct FaderKind {
  using Rec = FaderFunctionRec;
  static constexpr std::size_t N = std::tuple_size_v<decltype(DeskState::FaderFunctions)>;
  static bool Same(const Rec& a, const DeskState& s, std::size_t i) { return SameFunction(a, s.FaderFunctions[i]); }
  static Rec Take(const DeskState& s, std::size_t i) { return s.FaderFunctions[i]; }
  static void Put(const Rec& r, DeskState& s, std::size_t i) { s.FaderFunctions[i] = r; }
  static std::size_t Size(const Rec& r) { return sizeof r + Heap(r.Name) + Heap(r.Colour); }
};

struct ButtonKind {
  using Rec = ButtonFunctionRec;
  static constexpr std::size_t N = std::tuple_size_v<decltype(DeskState::ButtonFunctions)>;
  static bool Same(const Rec& a, const DeskState& s, std::size_t i) {
    const Rec& b = s.ButtonFunctions[i];
    return SameFunction(a, b) && a.Latch == b.Latch && a.Preset == b.Preset;
  }
  static Rec Take(const DeskState& s, std::size_t i) { return s.ButtonFunctions[i]; }
  static void Put(const Rec& r, DeskState& s, std::size_t i) { s.ButtonFunctions[i] = r; }
  static std::size_t Size(const Rec& r) { return sizeof r + Heap(r.Name) + Heap(r.Colour); }
};

struct ScreenKind {
  using Rec = ScreenRecord;
  static constexpr std::size_t N = std::tuple_size_v<decltype(DeskState::Screens)>;
  static bool Same(const Rec& a, const DeskState& s, std::size_t i) {
    const Rec& b = s.Screens[i];
    return SameBytes(a.Preset, b.Preset) && SameBytes(a.ButtonSel, b.ButtonSel) && SameBytes(a.FaderSel, b.FaderSel) &&
           a.PresetLevel == b.PresetLevel && a.Time == b.Time && a.Auto == b.Auto && a.Delay == b.Delay &&
           a.Next == b.Next && a.Instant == b.Instant && a.Name == b.Name && a.Colour == b.Colour;
  }
  static Rec Take(const DeskState& s, std::size_t i) { return s.Screens[i]; }
  static void Put(const Rec& r, DeskState& s, std::size_t i) { s.Screens[i] = r; }
  static std::size_t Size(const Rec& r) { return sizeof r + Heap(r.Name) + Heap(r.Colour); }
};

struct PageKind {
  using Rec = PageRecord;
  static constexpr std::size_t N = std::tuple_size_v<decltype(DeskState::Pages)>;
  static bool Same(const Rec& a, const DeskState& s, std::size_t i) {
    const Rec& b = s.Pages[i];
    return a.Name == b.Name && a.Text == b.Text && a.Colour == b.Colour;
  }
  static Rec Take(const DeskState& s, std::size_t i) { return s.Pages[i]; }
  static void Put(const Rec& r, DeskState& s, std::size_t i) { s.Pages[i] = r; }
  static std::size_t Size(const Rec& r) { return sizeof r + Heap(r.Name) + Heap(r.Text) + Heap(r.Colour); }
};

struct ChaseKind {
  using Rec = ChaseRecord;
  static constexpr std::size_t N = std::tuple_size_v<decltype(DeskState::Chases)>;
  static bool Same(const Rec& a, const DeskState& s, std::size_t i) {
    const Rec& b = s.Chases[i];
    return a.Steps == b.Steps && a.Loop == b.Loop && a.Fixture == b.Fixture && SameBytes(a.Channels, b.Channels) &&
           SameBytes(a.Data, b.Data) && SameBytes(a.Fade, b.Fade) && SameBytes(a.Speed, b.Speed) &&
           SameBytes(a.Time, b.Time) && SameBytes(a.Fix, b.Fix) && a.Name == b.Name && a.Colour == b.Colour;
  }
  static Rec Take(const DeskState& s, std::size_t i) { return s.Chases[i]; }
  static void Put(const Rec& r, DeskState& s, std::size_t i) { s.Chases[i] = r; }
  static std::size_t Size(const Rec& r) { return sizeof r + Heap(r.Name) + Heap(r.Colour); }
};

struct FixtureKind {
  using Rec = FixtureType;
  static constexpr std::size_t N = kFixtureTypes;
  static bool Same(const Rec& a, const DeskState& s, std::size_t i) {
    return SameBytes(a.low, s.FixtureLow[i]) && SameBytes(a.high, s.FixtureHigh[i]) && a.name == s.FixtureName[i] &&
           a.functionName == s.FixtureFunctionName[i] && a.buttonText == s.FixtureButtonText[i] &&
           a.colour == s.FixtureColour[i];
  }
  static Rec Take(const DeskState& s, std::size_t i) {
    return Rec{s.FixtureName[i], s.FixtureFunctionName[i], s.FixtureButtonText[i],
               s.FixtureLow[i],  s.FixtureHigh[i],         s.FixtureColour[i]};
  }
  static void Put(const Rec& r, DeskState& s, std::size_t i) {
    s.FixtureName[i] = r.name;
    s.FixtureFunctionName[i] = r.functionName;
    s.FixtureButtonText[i] = r.buttonText;
    s.FixtureLow[i] = r.low;
    s.FixtureHigh[i] = r.high;
    s.FixtureColour[i] = r.colour;
  }
  static std::size_t Size(const Rec& r) {
    std::size_t n = sizeof r + Heap(r.name);
    for (const auto& t : r.functionName) n += Heap(t);
    for (int f = 0; f < 4; ++f)
      for (int k = 0; k < 21; ++k) n += Heap(r.buttonText[f][k]) + Heap(r.colour[f][k]);
    return n;
  }
};

struct InfoKind {
  using Rec = ShowInfo;
  static constexpr std::size_t N = 1;
  static bool Same(const Rec& a, const DeskState& s, std::size_t) {
    return a.screenCount == s.ScreenCount && a.projectName == s.ProjectName && a.projectText == s.ProjectText;
  }
  static Rec Take(const DeskState& s, std::size_t) { return Rec{s.ScreenCount, s.ProjectName, s.ProjectText}; }
  static void Put(const Rec& r, DeskState& s, std::size_t) {
    s.ScreenCount = r.screenCount;
    s.ProjectName = r.projectName;
    s.ProjectText = r.projectText;
  }
  static std::size_t Size(const Rec& r) { return sizeof r + Heap(r.projectName) + Heap(r.projectText); }
};

struct PatchKind {
  using Rec = Patch;
  static constexpr std::size_t N = 1;
  static bool Same(const Rec& a, const DeskState& s, std::size_t) { return SameBytes(a, s.PatchTable); }
  static Rec Take(const DeskState& s, std::size_t) { return s.PatchTable; }
  static void Put(const Rec& r, DeskState& s, std::size_t) { s.PatchTable = r; }
  static std::size_t Size(const Rec&) { return sizeof(Rec); }
};

template <typename K>
using Rows = std::array<std::shared_ptr<const typename K::Rec>, K::N>;

// One table of a state: its records, shared with the states around it.
template <typename K>
struct Table {
  std::shared_ptr<const Rows<K>> rows;
  bool operator==(const Table&) const = default;
};

// The table of a state: the previous one when nothing in it changed, else a
// new table sharing every unchanged record.
template <typename K>
Table<K> Take(const Table<K>& prev, const DeskState& s, std::size_t& bytes) {
  std::shared_ptr<Rows<K>> next;
  for (std::size_t i = 0; i < K::N; ++i) {
    if (prev.rows && K::Same(*(*prev.rows)[i], s, i)) continue;
    if (!next) {
      next = prev.rows ? std::make_shared<Rows<K>>(*prev.rows) : std::make_shared<Rows<K>>();
      bytes += sizeof(Rows<K>);
    }
    auto rec = std::make_shared<const typename K::Rec>(K::Take(s, i));
    bytes += K::Size(*rec);
    (*next)[i] = std::move(rec);
  }
  if (!next) return prev;
  return Table<K>{std::move(next)};
}

// Writes the records in which `to` differs from `from` (the state the desk
// record holds now).
template <typename K>
void Put(const Table<K>& from, const Table<K>& to, DeskState& s) {
  if (from.rows == to.rows) return;
  for (std::size_t i = 0; i < K::N; ++i)
    if ((*from.rows)[i] != (*to.rows)[i]) K::Put(*(*to.rows)[i], s, i);
}

// Bytes that go with a table only this state holds.
template <typename K>
std::size_t Released(const Table<K>& t) {
  if (!t.rows || t.rows.use_count() != 1) return 0;
  std::size_t n = sizeof(Rows<K>);
  for (const auto& r : *t.rows)
    if (r.use_count() == 1) n += K::Size(*r);
  return n;
}

}  // namespace

struct ShowHistory::Image {
  Table<ChannelKind> channels;
  Table<SubmixKind> submixes;
  Table<FaderKind> faders;
  Table<ButtonKind> buttons;
  Table<ScreenKind> screens;
  Table<PageKind> pages;
  Table<ChaseKind> chases;
  Table<FixtureKind> fixtures;
  Table<InfoKind> info;
  Table<PatchKind> patch;

  // Calls f for every table (paired with the same table of `other`).
  template <typename F>
  void each(F&& f) const {
    f(channels), f(submixes), f(faders), f(buttons), f(screens), f(pages), f(chases), f(fixtures), f(info), f(patch);
  }
  template <typename F>
  void fill(const Image& other, F&& f) {
    f(channels, other.channels), f(submixes, other.submixes), f(faders, other.faders), f(buttons, other.buttons),
        f(screens, other.screens), f(pages, other.pages), f(chases, other.chases), f(fixtures, other.fixtures),
        f(info, other.info), f(patch, other.patch);
  }
  template <typename F>
  void each(const Image& other, F&& f) const {
    f(channels, other.channels), f(submixes, other.submixes), f(faders, other.faders), f(buttons, other.buttons),
        f(screens, other.screens), f(pages, other.pages), f(chases, other.chases), f(fixtures, other.fixtures),
        f(info, other.info), f(patch, other.patch);
  }
};

struct ShowHistory::Entry {
  Image image;
  std::string name;         // the act that led here ("" for the base)
  Identity identity;        // the project's file identity while current
  bool loads = false;       // the act changed the file identity (a load)
  std::optional<std::string> savedAs;  // the file that holds this state
};

ShowHistory::ShowHistory() = default;

bool ShowHistory::Started() const { return !entries_.empty(); }
int ShowHistory::Depth() const { return entries_.empty() ? 0 : static_cast<int>(head_); }
int ShowHistory::RedoDepth() const {
  return entries_.empty() ? 0 : static_cast<int>(entries_.size() - 1 - head_);
}
ShowHistory::~ShowHistory() = default;

ShowHistory::Identity ShowHistory::identityOf(const DeskState& s) {
  return Identity{s.ProjectFileName, s.ProjectPath, s.ProjectDate, s.ProjectVersion};
}

void ShowHistory::putIdentity(const Identity& id, DeskState& s) {
  s.ProjectFileName = id.fileName;
  s.ProjectPath = id.path;
  s.ProjectDate = id.date;
  s.ProjectVersion = id.version;
}

void ShowHistory::Reset(const DeskState& s) {
  entries_.clear();
  bytes_ = 0;
  Entry base;
  std::size_t bytes = 0;
  const Image none;
  base.image.fill(none, [&](auto& rows, const auto& empty) { rows = Take(empty, s, bytes); });
  base.identity = identityOf(s);
  if (s.ProjectChanged == 0) base.savedAs = s.ProjectPath;
  entries_.push_back(std::move(base));
  head_ = 0;
  ++serial_;
  bytes_ = bytes;
}

bool ShowHistory::Capture(const DeskState& s, const std::string& name, bool merge) {
  if (entries_.empty()) {
    Reset(s);
    return false;
  }
  merge = merge && head_ > 0 && head_ + 1 == entries_.size();
  Entry& cur = entries_[head_];
  Image next;
  std::size_t bytes = 0;
  bool changed = false;
  next.fill(cur.image, [&](auto& rows, const auto& prev) {
    rows = Take(prev, s, bytes);
    changed = changed || !(rows == prev);
  });
  const Identity id = identityOf(s);
  if (!changed) {
    cur.identity = id;
    return false;
  }
  ++serial_;
  if (merge) {
    // The joined act keeps the state before it; its own image is replaced.
    Entry old = std::move(cur);
    cur.image = std::move(next);
    cur.name = name;
    cur.loads = old.loads || !(id == old.identity);
    cur.identity = id;
    cur.savedAs.reset();
    bytes_ += bytes;
    release(old);
    while (bytes_ > kByteBudget && entries_.size() > 2) dropOldest();
    return true;
  }
  // A new act ends the branch of undone ones.
  while (entries_.size() > head_ + 1) {
    release(entries_.back());
    entries_.pop_back();
  }
  Entry e;
  e.image = std::move(next);
  e.name = name;
  e.loads = !(id == cur.identity);
  e.identity = id;
  entries_.push_back(std::move(e));
  head_ = entries_.size() - 1;
  bytes_ += bytes;
  while (static_cast<int>(entries_.size()) - 1 > kCapacity) dropOldest();
  while (bytes_ > kByteBudget && entries_.size() > 2) dropOldest();
  return true;
}

void ShowHistory::release(const Entry& e) {
  std::size_t n = 0;
  e.image.each([&](const auto& rows) { n += Released(rows); });
  bytes_ -= std::min(bytes_, n);
}

void ShowHistory::dropOldest() {
  release(entries_.front());
  entries_.pop_front();
  entries_.front().name.clear();
  if (head_ > 0) --head_;
}

void ShowHistory::restore(const Image& from, const Image& to, DeskState& s) const {
  from.each(to, [&](const auto& a, const auto& b) { Put(a, b, s); });
}

bool ShowHistory::Undo(DeskState& s) {
  if (Depth() == 0) return false;
  const Entry& undone = entries_[head_];
  const Entry& back = entries_[head_ - 1];
  restore(undone.image, back.image, s);
  if (undone.loads) putIdentity(back.identity, s);
  --head_;
  ++serial_;
  s.ProjectChanged = Saved(s.ProjectPath) ? 0 : -1;
  return true;
}

bool ShowHistory::Redo(DeskState& s) {
  if (RedoDepth() == 0) return false;
  const Entry& from = entries_[head_];
  const Entry& redone = entries_[head_ + 1];
  restore(from.image, redone.image, s);
  if (redone.loads) putIdentity(redone.identity, s);
  ++head_;
  ++serial_;
  s.ProjectChanged = Saved(s.ProjectPath) ? 0 : -1;
  return true;
}

std::string ShowHistory::LastName() const { return Depth() > 0 ? entries_[head_].name : std::string(); }
std::string ShowHistory::NextName() const { return RedoDepth() > 0 ? entries_[head_ + 1].name : std::string(); }

void ShowHistory::MarkSaved(const std::string& path) {
  if (entries_.empty()) return;
  for (Entry& e : entries_)
    if (e.savedAs && *e.savedAs == path) e.savedAs.reset();
  entries_[head_].savedAs = path;
}

bool ShowHistory::Saved(const std::string& path) const {
  if (entries_.empty()) return false;
  const auto& saved = entries_[head_].savedAs;
  return saved && *saved == path;
}

}  // namespace lumora
