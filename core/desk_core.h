// The engine's part of a running desk: the desk record, the timers'
// scheduler, the registry of console globals and the dialogs. Everything in
// core/ (the form framework included) needs only this; platform/desk_base.h
// adds the window-independent rest, and the composition root (app/desk.h)
// the windows.
#pragma once

#include "core/desk_state.h"
#include "core/dialogs.h"
#include "core/registry.h"
#include "core/scheduler.h"

namespace lumora {

class EventObserver;

class DeskCore {
 public:
  DeskCore(bool manualClock, Dialogs& dialogs) : dialogs_(&dialogs), scheduler_(manualClock) {}
  DeskCore(const DeskCore&) = delete;
  DeskCore& operator=(const DeskCore&) = delete;

  DeskState state;
  // Sees every event the windows dispatch (the undo history); may be null.
  EventObserver* eventObserver = nullptr;

  Scheduler& scheduler() { return scheduler_; }
  Dialogs& dialogs() { return *dialogs_; }
  Registry& registry() { return registry_; }

 protected:
  ~DeskCore() = default;

 private:
  Dialogs* dialogs_;
  Scheduler scheduler_;
  Registry registry_;
};

// Registers the desk record's tables as console globals.
void SetupCore(DeskCore& d);

}  // namespace lumora
