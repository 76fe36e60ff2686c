#include "remote/bcf_hooks.h"

#include "app/desk.h"

namespace lumora {

void BcfRunButtonSequence(Desk& d, int button, int level) {
  (void)d;
  (void)button;
  (void)level;
}

void BcfRunFaderSequence(Desk& d, int fader, int level) {
  (void)d;
  (void)fader;
  (void)level;
}

}  // namespace lumora
