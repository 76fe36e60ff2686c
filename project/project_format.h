// The project file: its section writers and its tag-scanning reader. Pure
// functions over the desk record, so the format can be tested, fuzzed and
// benchmarked without a running desk. Opening files, dialogs and the effects
// of a load on the running desk live in project_menus / project_io.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/desk_state.h"

namespace lumora {

// --- tag scanner -------------------------------------------------------------
// `pos` is 1-based (0 is taken as 1) and is moved past the closing tag, or to
// the length of the closing tag when there is none, which sends the next
// search back near the start. The open and the close are searched from `pos`
// independently.
struct TagHit {
  std::string_view text;  // between the open and the close; "" when not found
  bool found = false;     // both tags present, the close after the open
};
TagHit FindTag(std::size_t& pos, std::string_view text, std::string_view tag);
std::string GetTagText(std::size_t& pos, std::string_view text, std::string_view tag);
// The nearest integer of the element's text; 0 when missing or not numeric.
int16_t GetTagNumber(std::size_t& pos, std::string_view text, std::string_view tag);
// "a:b" as two nearest integers; both 0 when missing or without ":".
void GetTagPair(std::size_t& pos, std::string_view text, std::string_view tag, int16_t& a, int16_t& b);

// A number in the reader's sense: optional blanks, sign, digits with an
// optional "." fraction and exponent. Locale-independent.
bool IsNumericText(std::string_view text, double& value);

// --- writers -----------------------------------------------------------------
namespace projectfile {
inline constexpr const char* kRootOpen = "<Lumora_XML>\r";
inline constexpr const char* kRootClose = "</Lumora_XML>\r";
inline constexpr const char* kFileEnd = "\r\n";  // the one-piece write's own line end

// Each section kind as written; a kind with nothing to write gives "".
std::string ProjectSection(const DeskState& s, const std::string& date);
std::string SubmixSections(const DeskState& s);
std::string PatchSection(const DeskState& s);
std::string FaderNameSections(const DeskState& s);
std::string ButtonSections(const DeskState& s);
std::string FaderSections(const DeskState& s);
std::string ChaseSections(const DeskState& s);
std::string ScreenSections(const DeskState& s);
std::string PageSections(const DeskState& s);

// A chase step time as the file holds it: "0" then the number as the desk
// prints it without its leading blank (0.5 -> "0.5", 1.5 -> "01.5", 2 -> "02").
std::string StepTime(double seconds);
}  // namespace projectfile

// Whole project with ProjectVersion as it stands (the save raises it first)
// and the given "dd/mm/yyyy" date.
std::string WriteWholeProject(const DeskState& s, const std::string& date);
std::string WriteSubmixFile(const DeskState& s);
std::string WritePatchFile(const DeskState& s);
std::string WriteSequenceFile(const DeskState& s);

// --- reader ------------------------------------------------------------------
struct ReadReport {
  bool hasRoot = false;      // the text holds the <Lumora_XML> root
  bool project = false;      // a Project section was read
  bool network = false;      // at least one Network universe was read
  int16_t bcfMode = 0;       // the BCF value read (0 when none)
  bool sacn = false;         // an sACN section was read
  int records = 0;           // records of any kind stored
  int skipped = 0;           // records refused (bad or out-of-range number)
};

// Assigns every section the text holds, without clearing first except for
// the clearing steps of the format. Never stores outside the tables, never
// throws, whatever the input.
ReadReport ReadProjectText(DeskState& s, std::string_view text);

}  // namespace lumora
