// Undo and redo of programming for a running desk: watches every event the
// windows dispatch and, when the outermost one (one operator act) ends,
// records the act in the show history if it changed any programming. The
// windows' side (names of acts, redrawing, the menu items) is given by the
// composition as plain functions, so this knows no window.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/desk_state.h"
#include "core/form.h"
#include "core/show_history.h"

namespace lumora {

class UndoDesk : public EventObserver {
 public:
  explicit UndoDesk(DeskState& s) : s_(s) {}

  // The name of an act that starts with this event (control null: a host's
  // act such as a console command, `what` its text). "" lets a later event
  // of the act name it.
  std::function<std::string(Form* form, const Control* control, std::string_view what)> nameOf;
  // Whether controls of this kind of event, moved again, join the act
  // before (a drag of one fader, typing into one box).
  std::function<bool(const Control& control, std::string_view what)> joins;
  // Redraws every open window from the tables (after an undo or a redo).
  std::function<void()> redraw;
  // True while undo and redo are refused (the chase editor runs its chase).
  std::function<bool()> refused;
  // Called whenever what Undo / Redo would do changed (menu captions).
  std::function<void()> changed;

  ShowHistory& history() { return history_; }
  const ShowHistory& history() const { return history_; }

  // The menu items' work. False when refused or there is nothing to do.
  bool Undo();
  bool Redo();
  // The show now matches the file at `path` (a whole save or a load).
  void MarkSaved(const std::string& path);

  void EventBegins(Form* form, const Control* control, const Timer* timer, std::string_view what) override;
  void EventEnds() override;
  // Ctrl+Z undoes, Ctrl+Shift+Z and Ctrl+Y redo, on a window with Undo and
  // Redo items.
  bool KeyFirst(Form& form, int keyCode, int shift) override;

 private:
  void step(bool back);

  DeskState& s_;
  ShowHistory history_;
  int depth_ = 0;
  bool timerAct_ = false;    // the outermost event is a timer's
  bool sawControl_ = false;  // a control event ran inside it
  bool stepping_ = false;    // an undo or redo runs inside it
  int16_t changedAtStart_ = 0;
  std::string name_;
  std::string hostText_;  // the host's act (a console command), for its name
  // The act before, for joining: its control and event, and the history's
  // serial right after it.
  const Control* joinControl_ = nullptr;
  std::string joinWhat_;
  const Control* lastControl_ = nullptr;
  std::string lastWhat_, lastName_;
  uint64_t lastSerial_ = ~0ull;
  std::string pendingSave_;
  bool saveMarked_ = false;
};

}  // namespace lumora
