// The sequence desk's fixture import: a definition file or the installed
// QLC+ library into the selected fixture type.
#include <algorithm>

#include "platform/desk_base.h"
#include "sequences/chases_form.h"
#include "sequences/fixture_browser.h"
#include "sequences/fixture_prop.h"

namespace lumora {

namespace {
constexpr const char* kImportFilter =
    "Fixture definitions|*.qxf *.json|QLC+ fixtures|*.qxf|Open Fixture Library|*.json";

bool SlotEmpty(const DeskState& s, std::size_t fx) {
  if (!s.FixtureName[fx].empty()) return false;
  for (const auto& fn : s.FixtureButtonText[fx])
    for (const auto& t : fn)
      if (!t.empty()) return false;
  return true;
}

std::string Lines(const std::vector<std::string>& v) {
  std::string t;
  for (const auto& l : v) t += (t.empty() ? "" : "\n") + l;
  return t;
}
}  // namespace

void Chases::Fixture_Import_Click() {
  auto path = desk().dialogs().FileDialog(FileKind::Open, "Import Fixture Definition", kImportFilter, "");
  if (!path || path->empty()) return;
  StoreImport(fixtureimport::ImportFile(*path));
}

void Chases::Fixture_Browse_Click() {
  if (!Fixture_Browser::LibraryInstalled()) {
    desk().dialogs().Message(" The QLC+ fixture library is not installed (" + Fixture_Browser::DefaultRoot() +
                                 "); use Import... with a definition file",
                             " Fixture Import", MsgIcon::Exclamation);
    return;
  }
  desk().window<Fixture_Browser>().Show();
}

bool Chases::StoreImport(const fixtureimport::ImportResult& r) {
  if (!r.ok) {
    importReport_ = {"import refused: " + r.error};
    desk().dialogs().Message(" " + r.error + ". The fixture table is unchanged.", " Fixture Import Error",
                             MsgIcon::Exclamation);
    return false;
  }
  DeskState& s = desk().state;
  const auto fx = static_cast<std::size_t>(std::clamp<int>(s.SelectedFixture, 0, kFixtureTypes - 1));
  importReport_ = r.report;
  if (!SlotEmpty(s, fx) &&
      !desk().dialogs().Ask(" Fixture " + std::to_string(fx) + " holds \"" + s.FixtureName[fx] +
                                "\". Replace it with \"" + r.type.name + "\"?",
                            " Import Fixture")) {
    importReport_.push_back("not stored: fixture " + std::to_string(fx) + " kept \"" + s.FixtureName[fx] + "\"");
    return false;
  }
  s.FixtureName[fx] = r.type.name;
  s.FixtureFunctionName[fx] = r.type.functionName;
  for (std::size_t f = 0; f < 4; ++f) {
    for (std::size_t k = 0; k < 21; ++k) {
      const auto& e = r.type.entries[f][k];
      s.FixtureButtonText[fx][f][k] = e.text;
      s.FixtureLow[fx][f][k] = static_cast<int16_t>(e.low);
      s.FixtureHigh[fx][f][k] = static_cast<int16_t>(e.high);
      s.FixtureColour[fx][f][k] = e.colour;
    }
  }
  importReport_.push_back("stored in fixture " + std::to_string(fx));
  RefillFixtureList();
  RedrawMovingDesk();
  if (desk().window<Fixture_Prop>().Loaded()) desk().window<Fixture_Prop>().Refresh();
  desk().dialogs().Message(Lines(importReport_), " Fixture Import", MsgIcon::Information);
  return true;
}

}  // namespace lumora
