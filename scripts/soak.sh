#!/usr/bin/env bash
# Runs the random-action soak (tests/soak/soak_driver.cpp) built on the
# sanitizer tree, inside a private network namespace when the machine allows
# one (the desk's Art-Net also stays on its loop-back twin).
#
#   scripts/soak.sh PATH/TO/lumora_soak
#   SOAK_ACTIONS=500000 SOAK_SEED=1 scripts/soak.sh ...
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bin="$1"
actions="${SOAK_ACTIONS:-500000}"
seed="${SOAK_SEED:-1}"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$root/tests/lsan.supp}"
export LUMORA_ARTNET_SIMULATE=1
if unshare -n true 2>/dev/null; then
  exec unshare -n "$bin" --actions "$actions" --seed "$seed"
fi
echo "soak: no private network namespace here (needs root); Art-Net stays simulated" >&2
exec "$bin" --actions "$actions" --seed "$seed"
