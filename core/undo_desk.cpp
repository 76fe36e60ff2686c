#include "core/undo_desk.h"

namespace lumora {

namespace {
constexpr int kShiftMask = 1;
constexpr int kCtrlMask = 2;
constexpr int kKeyY = 89;
constexpr int kKeyZ = 90;
}  // namespace

void UndoDesk::EventBegins(Form* form, const Control* control, const Timer* timer, std::string_view what) {
  if (depth_++ > 0) {
    if (!control) return;
    sawControl_ = true;
    if (!joinControl_) {
      joinControl_ = control;
      joinWhat_ = what;
    }
    if (name_.empty() && nameOf) name_ = nameOf(form, control, what);
    return;
  }
  // The history's base is the show as the first act finds it: start-up and
  // a project given on the command line are not acts.
  if (!history_.Started()) history_.Reset(s_);
  timerAct_ = timer != nullptr;
  sawControl_ = false;
  stepping_ = false;
  saveMarked_ = false;
  changedAtStart_ = s_.ProjectChanged;
  joinControl_ = control;
  joinWhat_ = control ? std::string(what) : std::string();
  name_.clear();
  hostText_.clear();
  if (timerAct_) return;
  if (control || !nameOf) {
    if (nameOf) name_ = nameOf(form, control, what);
  } else {
    hostText_ = what;
    if (form) name_ = nameOf(form, nullptr, what);
  }
}

void UndoDesk::EventEnds() {
  if (depth_ <= 0 || --depth_ > 0) return;
  bool moved = false;
  if (stepping_) {
    // The undo or redo itself placed the history; its redraw is no act.
    lastSerial_ = ~0ull;
  } else if (!timerAct_ || sawControl_) {
    std::string name = name_;
    if (name.empty() && nameOf && !hostText_.empty()) name = nameOf(nullptr, nullptr, hostText_);
    if (name.empty()) name = "Edit";
    const bool merge = joinControl_ && joins && joins(*joinControl_, joinWhat_) && joinControl_ == lastControl_ &&
                       joinWhat_ == lastWhat_ && name == lastName_ && history_.Serial() == lastSerial_;
    if (history_.Capture(s_, name, merge)) {
      moved = true;
      lastControl_ = joinControl_;
      lastWhat_ = joinWhat_;
      lastName_ = name;
      lastSerial_ = history_.Serial();
    }
  }
  if (saveMarked_) {
    history_.MarkSaved(pendingSave_);
  } else if (!stepping_ && changedAtStart_ != 0 && s_.ProjectChanged == 0) {
    // The act cleared the changed flag (a save, a reset): the show as it
    // stands is what the project's file holds.
    history_.MarkSaved(s_.ProjectPath);
  }
  saveMarked_ = false;
  if (moved && changed) changed();
}

void UndoDesk::MarkSaved(const std::string& path) {
  if (depth_ > 0) {
    // Applied when the act ends, after the load it belongs to is recorded.
    pendingSave_ = path;
    saveMarked_ = true;
    return;
  }
  if (!history_.Started()) history_.Reset(s_);
  else if (history_.Capture(s_, "Load Project")) lastSerial_ = ~0ull;
  history_.MarkSaved(path);
  if (changed) changed();
}

bool UndoDesk::Undo() {
  if (refused && refused()) return false;
  if (history_.Depth() == 0) return false;
  step(true);
  return true;
}

bool UndoDesk::Redo() {
  if (refused && refused()) return false;
  if (history_.RedoDepth() == 0) return false;
  step(false);
  return true;
}

void UndoDesk::step(bool back) {
  if (depth_ > 0) stepping_ = true;
  if (!(back ? history_.Undo(s_) : history_.Redo(s_))) return;
  lastSerial_ = ~0ull;
  if (redraw) redraw();
  if (changed) changed();
}

bool UndoDesk::KeyFirst(Form& form, int keyCode, int shift) {
  if (!(shift & kCtrlMask) || (keyCode != kKeyZ && keyCode != kKeyY)) return false;
  Control* undo = form.control("Undo");
  Control* redo = form.control("Redo");
  if (!undo || !redo) return false;
  if (keyCode == kKeyZ && !(shift & kShiftMask)) undo->Click();
  else redo->Click();
  return true;
}

}  // namespace lumora
