// The QLC+ fixture library browser ("Fixture Library"): maker -> model ->
// mode, then Import stores the chosen mode in the sequence desk's selected
// fixture type. Offered when the library is installed.
#pragma once

#include <string>
#include <vector>

#include "core/form.h"
#include "fixtureimport/fixture_import.h"

namespace lumora {

class Fixture_Browser : public Form {
 public:
  explicit Fixture_Browser(DeskBase& desk);

  Control Maker_List{*this, "Maker_List", Kind::ListBox};
  Control Model_List{*this, "Model_List", Kind::ListBox};
  Control Mode_List{*this, "Mode_List", Kind::ListBox};
  Control Mode_Info{*this, "Mode_Info", Kind::Label};
  Control Import_Button{*this, "Import_Button", Kind::Button};
  Control Close_Button{*this, "Close_Button", Kind::Button};

  void Form_Load() override;
  void Maker_List_Click();
  void Model_List_Click();
  void Mode_List_Click();
  void Import_Button_Click();

  // Where the library lives: $LUMORA_QLC_FIXTURES, else QLC+'s own folder.
  static std::string DefaultRoot();
  static bool LibraryInstalled();
  void setRoot(std::string root) { root_ = std::move(root); }
  const std::string& root() const { return root_; }

 private:
  void clearModes();
  std::string root_;
  std::vector<std::string> makers_;  // folder names
  std::vector<std::string> models_;  // file paths of the chosen maker
  fixtureimport::ParseResult parsed_;
  std::string parsedPath_;
};

}  // namespace lumora
