// Fixture types from the libraries operators already have: QLC+ fixture
// definitions (.qxf, XML) and Open Fixture Library files (.json). A
// definition is parsed into a format-neutral form, then one of its modes is
// mapped onto the desk's fixture type: colour wheel -> function 0, gobo
// wheel -> function 1, pan -> 2, tilt -> 3. Everything that does not fit is
// listed in the report rather than dropped silently.
//
// This library knows nothing of the desk: it fills its own FixtureType,
// which the sequence desk copies into a slot of its fixture table.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumora::fixtureimport {

constexpr int kFunctions = 4;     // functions 0..3 are the desk's
constexpr int kEntries = 21;      // entries 0..20 of a function
constexpr int kDeskEntries = 20;  // the moving-light desk shows entries 0..19
constexpr std::size_t kCaptionMax = 9;
// Limits past which a definition is refused as absurd.
constexpr std::size_t kMaxFileBytes = 8u << 20;
constexpr std::size_t kMaxCapabilities = 256;  // per channel: 8-bit values
constexpr std::size_t kMaxChannels = 1024;     // per definition
constexpr std::size_t kMaxModes = 256;
constexpr std::size_t kMaxModeChannels = 512;  // one universe

// Colour text of the desk's system button face (an unset colour).
constexpr const char* kSystemFaceText = "-2147483633";

enum class Role {
  Other,
  ColourWheel,
  GoboWheel,
  Pan,
  Tilt,
  Fine,  // the low byte of a 16-bit channel
  Prism,
};

// How a capability of a wheel channel is used.
enum class CapKind {
  Slot,     // one wheel position: becomes an entry
  Split,    // between two slots (split colours)
  Other,    // rotation, shake, random, ...
};

struct Capability {
  int min = 0, max = 0;
  std::string name;
  CapKind kind = CapKind::Other;
  std::optional<int32_t> colour;  // red + 256 green + 65536 blue
};

struct Channel {
  std::string name;
  std::string group;  // what it does, for the report ("speed", "shutter", ...)
  Role role = Role::Other;
  std::vector<Capability> caps;
};

struct Mode {
  std::string name;
  std::vector<int> channels;  // indices into Definition::channels; -1 unknown
};

struct Definition {
  std::string manufacturer, model;
  std::vector<Channel> channels;
  std::vector<Mode> modes;
};

struct ParseResult {
  bool ok = false;
  std::string error;  // one sentence for the operator when !ok
  Definition def;
};

ParseResult ParseQxf(std::string_view text);
// manufacturer: the maker's name when the file does not carry it (OFL files
// keep it in their folder's name).
ParseResult ParseOfl(std::string_view text, std::string_view manufacturer);

struct Entry {
  std::string text;
  int low = 0, high = 0;
  std::string colour = kSystemFaceText;
};

struct FixtureType {
  std::string name;
  std::array<std::string, 6> functionName{};
  std::array<std::array<Entry, kEntries>, kFunctions> entries{};
};

struct ModeInfo {
  std::string name;
  int channels = 0;
  int mappable = 0;  // how many of colour, gobo, pan, tilt the mode has
};
std::vector<ModeInfo> Modes(const Definition& d);
// The mode with the most mappable channels; among equals the one with the
// fewest channels (less to patch), then the first. -1 when there are none.
int BestMode(const Definition& d);

struct ImportResult {
  bool ok = false;
  std::string error;
  FixtureType type;
  std::string mode;
  std::vector<std::string> report;
};
// Maps mode `mode` (index) of a parsed definition.
ImportResult Build(const Definition& d, int mode);

// Reads a file (format from its extension, .qxf or .json) and maps the named
// mode, or the best one when `mode` is empty.
ImportResult ImportFile(const std::string& path, const std::string& mode = "");
// Parses a file by its extension.
ParseResult ParseFile(const std::string& path);

// A caption of at most kCaptionMax characters (bytes), shortened by a
// readable rule: common words abbreviated ("Dark" -> "Dk"), then vowels
// dropped from the longest words, then cut. `taken` holds the captions
// already given in the same function; the result differs from all of them.
std::string ShortCaption(std::string_view name, const std::vector<std::string>& taken);

// "#rrggbb" -> red + 256 green + 65536 blue.
std::optional<int32_t> HexColour(std::string_view hex);

}  // namespace lumora::fixtureimport
