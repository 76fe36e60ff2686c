#include "sequences/fixture_browser.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "platform/desk_base.h"
#include "sequences/chases_form.h"

namespace lumora {

namespace fs = std::filesystem;

namespace {
// "Chauvet-Intimidator-Spot-155.qxf" of maker "Chauvet": "Intimidator Spot 155".
std::string ModelName(const fs::path& file, const std::string& maker) {
  std::string stem = file.stem().string();
  std::string prefix = maker;
  std::replace(prefix.begin(), prefix.end(), '_', '-');
  if (stem.size() > prefix.size() + 1 && stem.compare(0, prefix.size(), prefix) == 0 && stem[prefix.size()] == '-')
    stem = stem.substr(prefix.size() + 1);
  std::replace(stem.begin(), stem.end(), '-', ' ');
  std::replace(stem.begin(), stem.end(), '_', ' ');
  return stem;
}
}  // namespace

Fixture_Browser::Fixture_Browser(DeskBase& desk) : Form(desk, "Fixture_Browser"), root_(DefaultRoot()) {
  setCaption("Fixture Library");
  Import_Button.setCaption("Import");
  Import_Button.setToolTipText("Store the chosen mode in the sequence desk's selected fixture");
  Close_Button.setCaption("Close");
  Maker_List.onClick = [this] { Maker_List_Click(); };
  Model_List.onClick = [this] { Model_List_Click(); };
  Mode_List.onClick = [this] { Mode_List_Click(); };
  Import_Button.onClick = [this] { Import_Button_Click(); };
  Close_Button.onClick = [this] { Unload(); };
}

std::string Fixture_Browser::DefaultRoot() {
  const char* env = std::getenv("LUMORA_QLC_FIXTURES");
  return env && *env ? env : "/usr/share/qlcplus/fixtures";
}

bool Fixture_Browser::LibraryInstalled() {
  std::error_code ec;
  return fs::is_directory(DefaultRoot(), ec);
}

void Fixture_Browser::Form_Load() {
  makers_.clear();
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(root_, ec))
    if (e.is_directory(ec)) makers_.push_back(e.path().filename().string());
  std::sort(makers_.begin(), makers_.end());
  Maker_List.Clear();
  for (const auto& m : makers_) {
    std::string shown = m;
    std::replace(shown.begin(), shown.end(), '_', ' ');
    Maker_List.AddItem(shown);
  }
  Model_List.Clear();
  models_.clear();
  clearModes();
  Mode_Info.setCaption(makers_.empty() ? " No fixture library found in " + root_ : " Choose a maker, a model and a mode");
}

void Fixture_Browser::clearModes() {
  Mode_List.Clear();
  parsed_ = {};
  parsedPath_.clear();
  Import_Button.setEnabled(false);
}

void Fixture_Browser::Maker_List_Click() {
  const int k = Maker_List.ListIndex();
  Model_List.Clear();
  models_.clear();
  clearModes();
  if (k < 0 || static_cast<std::size_t>(k) >= makers_.size()) return;
  const std::string& maker = makers_[static_cast<std::size_t>(k)];
  std::vector<std::pair<std::string, std::string>> found;  // shown name, path
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(fs::path(root_) / maker, ec)) {
    const auto ext = e.path().extension().string();
    if (ext == ".qxf" || ext == ".json") found.emplace_back(ModelName(e.path(), maker), e.path().string());
  }
  std::sort(found.begin(), found.end());
  for (auto& [name, path] : found) {
    Model_List.AddItem(name);
    models_.push_back(path);
  }
  Mode_Info.setCaption(" " + std::to_string(found.size()) + (found.size() == 1 ? " model" : " models"));
}

void Fixture_Browser::Model_List_Click() {
  const int k = Model_List.ListIndex();
  clearModes();
  if (k < 0 || static_cast<std::size_t>(k) >= models_.size()) return;
  parsedPath_ = models_[static_cast<std::size_t>(k)];
  parsed_ = fixtureimport::ParseFile(parsedPath_);
  if (!parsed_.ok) {
    Mode_Info.setCaption(" " + parsed_.error);
    return;
  }
  const auto modes = fixtureimport::Modes(parsed_.def);
  for (const auto& m : modes) Mode_List.AddItem(m.name + " (" + std::to_string(m.channels) + " ch)");
  // The mode the file dialog would take is chosen first.
  const int best = fixtureimport::BestMode(parsed_.def);
  if (best >= 0) {
    Mode_List.setListIndex(best);
    Mode_List_Click();
  } else {
    Mode_Info.setCaption(" No mode has a colour wheel, gobo wheel, pan or tilt channel");
  }
}

void Fixture_Browser::Mode_List_Click() {
  const int k = Mode_List.ListIndex();
  if (!parsed_.ok || k < 0 || static_cast<std::size_t>(k) >= parsed_.def.modes.size()) {
    Import_Button.setEnabled(false);
    return;
  }
  const auto r = fixtureimport::Build(parsed_.def, k);
  if (!r.ok) {
    Mode_Info.setCaption(" " + r.error);
    Import_Button.setEnabled(false);
    return;
  }
  // The mapped channels, so the operator sees what the import gives.
  std::string info;
  for (std::size_t i = 1; i < r.report.size(); ++i) {
    if (r.report[i].rfind("not mapped", 0) == 0) continue;
    info += (info.empty() ? " " : "\n ") + r.report[i];
  }
  Mode_Info.setCaption(info);
  Import_Button.setEnabled(true);
}

void Fixture_Browser::Import_Button_Click() {
  const int k = Mode_List.ListIndex();
  if (!parsed_.ok || k < 0 || static_cast<std::size_t>(k) >= parsed_.def.modes.size()) {
    desk().dialogs().Message(" Choose a maker, a model and a mode first", " Fixture Import", MsgIcon::Exclamation);
    return;
  }
  if (desk().window<Chases>().StoreImport(fixtureimport::Build(parsed_.def, k))) Unload();
}

}  // namespace lumora
