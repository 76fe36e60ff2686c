#include "platform/desk_base.h"

#include <cstdio>
#include <cstdlib>

namespace lumora {

DeskBase::DeskBase(const DeskOptions& opts, Dialogs& dialogs) : DeskCore(opts.manualClock, dialogs), opts_(opts) {
  platform_.simulated = opts.sim;
}

DeskBase::~DeskBase() = default;

void DeskBase::releaseOwned() {
  eventObserver = nullptr;
  links_.surface = nullptr;
  owned_.clear();
}

Form* DeskBase::form(std::string_view name) const {
  for (Form* f : forms_)
    if (f->name() == name) return f;
  return nullptr;
}

void DeskBase::UnloadAll() {
  unloading_ = true;
  Form* main = links_.main ? &links_.main->form : nullptr;
  for (auto it = forms_.rbegin(); it != forms_.rend(); ++it) {
    if (*it == main) continue;
    (*it)->Unload();
  }
  if (main) main->Unload();
  ended_ = true;
}

void DeskBase::noWindow(const char* type) {
  // A desk is composed with every window; a missing one is a build fault.
  std::fprintf(stderr, "lumora: no window of type %s on this desk\n", type);
  std::abort();
}

}  // namespace lumora
