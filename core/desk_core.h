// The engine's part of a running desk: the desk record, the timers'
// scheduler, the registry of console globals and the dialogs. Everything in
// core/ (the form framework included) needs only this; the composition root
// (app/desk.h) derives the whole desk from it and adds the windows.
#pragma once

#include "core/desk_state.h"
#include "core/dialogs.h"
#include "core/registry.h"
#include "core/scheduler.h"

namespace lumora {

class DeskCore {
 public:
  DeskCore(bool manualClock, Dialogs& dialogs) : dialogs_(&dialogs), scheduler_(manualClock) {}
  DeskCore(const DeskCore&) = delete;
  DeskCore& operator=(const DeskCore&) = delete;

  DeskState state;

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
