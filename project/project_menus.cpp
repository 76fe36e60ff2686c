#include "project/project_menus.h"

#include <functional>
#include <iostream>
#include <optional>

#include "platform/desk_base.h"
#include "output/art_config.h"
#include "output/artnet.h"
#include "output/sacn_output.h"
#include "remote/bcf.h"
#include "playback/playdesk.h"
#include "project/project_format.h"
#include "project/project_io.h"
#include "project/show_keeper.h"
#include "core/undo_desk.h"

namespace lumora {

namespace {

void Statuses(DeskBase& d, const std::string& main, const std::string& play) {
  d.mainDesk().Status.setText(main);
  d.window<Playdesk>().Status.setText(play);
}

std::string InitialPath(const DeskBase& d) { return d.state.ProjectPath.empty() ? "*.xml" : d.state.ProjectPath; }

// The save dialog; its answer becomes ProjectPath, a cancel empties it so
// the next instant save asks again.
std::optional<std::string> AskSavePath(DeskBase& d, const std::string& title) {
  auto r = d.dialogs().FileDialog(FileKind::Save, title, kProjectFilter, InitialPath(d));
  if (!r || r->empty() || *r == "*.xml") {
    d.state.ProjectPath.clear();
    return std::nullopt;
  }
  d.state.ProjectPath = *r;
  return r;
}

void SaveFailed(DeskBase& d, const std::string& path, const std::string& reason) {
  d.dialogs().Message(" The file " + path + " could not be saved (" + reason +
                          "). Any previous file of that name is unchanged.",
                      " Save Error", MsgIcon::Exclamation);
  Statuses(d, " Save Failed ", " Save Failed");
}

void SavePart(DeskBase& d, const std::string& title, const std::function<std::string(const DeskState&)>& writer,
              const std::string& mainStatus, const std::string& playStatus) {
  auto path = AskSavePath(d, title);
  if (!path) return;
  std::string err = WriteFileAtomically(*path, writer(d.state));
  if (!err.empty()) {
    SaveFailed(d, *path, err);
    return;
  }
  Statuses(d, mainStatus, playStatus);
}

void LoadWithDialog(DeskBase& d, bool redraw) {
  auto r = d.dialogs().FileDialog(FileKind::Open, " Load Lumora Project", kProjectFilter, InitialPath(d));
  if (!r || r->empty() || *r == "*.xml") return;
  std::string err = LoadProject(d, *r, redraw);
  if (!err.empty()) {
    d.dialogs().Message(" The file " + *r + " could not be loaded (" + err + "). Nothing was changed.",
                        " Load Error", MsgIcon::Exclamation);
    Statuses(d, " Load Failed ", " Load Failed");
  }
}

}  // namespace

std::string SaveWholeProject(DeskBase& d, const std::string& path) {
  DeskState& s = d.state;
  const int16_t before = s.ProjectVersion;
  if (s.ProjectVersion < 32767) ++s.ProjectVersion;
  const std::string date = TodayText();
  ShowKeeper* keeper = ShowKeeper::of(d);
  // The new file is complete on the disk before the backups move, so a full
  // disk costs no backup; the project file itself is replaced last.
  AtomicWrite file;
  std::string err = file.prepare(path, WriteWholeProject(s, date));
  if (err.empty() && keeper) {
    std::string backupErr = RotateBackups(path, keeper->settings().backupCount);
    if (!backupErr.empty()) std::cerr << "lumora: no backup of " << path << " (" << backupErr << ")\n";
  }
  if (err.empty()) err = file.commit();
  if (!err.empty()) {
    // Nothing was saved, so nothing was versioned either.
    s.ProjectVersion = before;
    SaveFailed(d, path, err);
    return err;
  }
  s.ProjectDate = date;
  s.ProjectChanged = 0;
  if (UndoDesk* undo = d.owned<UndoDesk>()) undo->MarkSaved(path);
  if (keeper) keeper->wholeSaveDone(path);
  Statuses(d, " Project Saved ", " Project Saved");
  return {};
}

void SaveXML_Click(DeskBase& d) {
  auto path = AskSavePath(d, "Save DMX Project");
  if (!path) return;
  SaveWholeProject(d, *path);
}

void Save_Instant_Click(DeskBase& d) {
  if (d.state.ProjectPath.empty()) {
    SaveXML_Click(d);
    return;
  }
  SaveWholeProject(d, d.state.ProjectPath);
}

void Save_Submix_XML_Click(DeskBase& d) {
  SavePart(d, "Save DMX Submixes", WriteSubmixFile, " Submix Saved ", " Submix Saved");
}

void Save_Patch_XML_Click(DeskBase& d) {
  SavePart(d, "Save DMX Patches", WritePatchFile, " Patches Saved ", " Patches Saved");
}

void Save_Chase_XML_Click(DeskBase& d) {
  SavePart(d, "Save DMX Sequences", WriteSequenceFile, " Sequences Saved ", " Sequences Saved");
}

void LoadXML_Click(DeskBase& d) { LoadWithDialog(d, true); }

void Load_P_XML_Click(DeskBase& d) { LoadWithDialog(d, false); }

std::string LoadProject(DeskBase& d, const std::string& path, bool redraw) {
  // What an interrupted save of this project left behind goes first.
  RemoveStaleSaveTemps(path);
  std::string text;
  std::string err = ReadWholeFile(path, text);
  if (!err.empty()) return err;
  // Without the root element this is some other file; reading it would
  // report success for a load that did nothing useful.
  if (text.find("<Lumora_XML>") == std::string::npos) return "it is not a Lumora project file";
  DeskState& s = d.state;
  ReadReport rep = ReadProjectText(s, text);
  s.ProjectPath = path;
  s.ProjectFileName = path;
  // Only a whole project is what its file holds; a part leaves the rest.
  if (UndoDesk* undo = d.owned<UndoDesk>(); undo && rep.project) undo->MarkSaved(path);
  // AdapterType is set by the reader; the adapter's send step picks it up on
  // the next tick, without the set-up dialog's selection effects.
  if (rep.bcfMode > 0) {
    // The surface is started as "Connect to BCF" does, then keeps the mode
    // the show was saved with when it was found.
    BCF& b = d.window<BCF>();
    b.Load();
    b.BcfConnect();
    if (s.BcfMode > 0) {
      s.BcfMode = rep.bcfMode;
      b.PanelRefresh();
      b.Show();
    } else {
      b.Unload();
    }
  }
  if (rep.network) {
    // The set-up dialog loads (initialising the node) without showing.
    d.window<Art_Config>().Load();
    ArtApply(d);
  }
  if (rep.sacn) SacnApply(d);
  Statuses(d, "Project Loaded ", "Project Loaded");
  if (ShowKeeper* keeper = ShowKeeper::of(d)) keeper->projectLoaded(path);
  if (redraw) {
    d.mainDesk().RefreshDesk();
    d.window<Playdesk>().RedrawPlaydesk();
  }
  return {};
}

}  // namespace lumora
