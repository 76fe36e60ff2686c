#!/bin/bash
# The running cost of a headless show: the demo show with one Art-Net
# universe against a minimal reference sender of the same ArtDmx stream
# (bench/artdmx_reference.c), both measured the same way from /proc over the
# same seconds of the same run. Goals: the desk's CPU within 1.25 x the
# reference's, its resident memory at most 10 MiB, no GUI library mapped.
#
#   bench/headless_cost.sh [BUILD_DIR] [SECONDS]     (root; default build, 30 s)
#
# Runs inside private network namespaces it makes (unshare -n): the desk and
# the reference each get their own namespace with a veth pair at 10.x, so
# their broadcasts never meet and nothing reaches the host's network.
# Exit status 0 when both goals are met, 1 when not, 2 when it cannot run.
# Figures taken while other work shares the machine are upper bounds.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
seconds=${2:-30}
src=$(cd "$here/.." && pwd)

# Sets up a fresh namespace: loopback, and a veth pair with a 10.x address.
netns_setup() {
  local links
  links=$(ip -o link show | wc -l)
  if [ "$links" -ne 1 ]; then
    echo "headless_cost: not inside a fresh private network namespace; refusing" >&2
    exit 2
  fi
  ip link set lo up
  ip link add art0 type veth peer name peer0
  ip addr add "$1/8" dev art0
  ip link set art0 up
  ip link set peer0 up
}

case "${LUMORA_COST_ROLE:-}" in
  reference)
    netns_setup 10.0.0.2
    exec "$build/bench/artdmx_reference" 10.255.255.255
    ;;
  desk)
    netns_setup 10.0.0.1
    exec env -u LUMORA_ARTNET_SIMULATE "$build/lumora" --headless --quiet --project "$3" \
      --artnet-address 10.0.0.1
    ;;
  "") ;;
  *) echo "headless_cost: unknown role" >&2; exit 2 ;;
esac

if [ "$(id -u)" -ne 0 ]; then
  echo "headless_cost: needs root (unshare -n)" >&2
  exit 2
fi
for f in "$build/lumora" "$build/lumora-headless" "$build/bench/artdmx_reference"; do
  [ -x "$f" ] || { echo "headless_cost: $f is missing (build first)" >&2; exit 2; }
done

work=$(mktemp -d /tmp/lumora-cost-XXXXXX)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# The demo show of the tree with universe 0 on Art-Net (the file's lines end
# in CR and are indented with tabs).
show="$work/demo_artnet.xml"
perl -pe 's|<Adapter>0</Adapter>|<Adapter>0</Adapter>\r\t\t<Network>\r\t\t\t<Universe>0</Universe>\r\t\t</Network>|' \
  "$src/project/demo/demo_show.xml" >"$show"
grep -q '<Network>' "$show"

LUMORA_COST_ROLE=desk unshare -n "$0" "$build" "$seconds" "$show" 2>"$work/desk.err" &
desk=$!
pids+=("$desk")
LUMORA_COST_ROLE=reference unshare -n "$0" "$build" "$seconds" &
ref=$!
pids+=("$ref")

# CPU time in ns of every thread (schedstat), and in clock ticks (stat).
cpu_ns() {
  local sum=0 t v
  for t in /proc/"$1"/task/*/schedstat; do
    read -r v _ <"$t" || true
    sum=$((sum + v))
  done
  echo "$sum"
}
ticks() { awk '{print $14 + $15}' /proc/"$1"/stat; }
status_kb() { awk -v k="$2:" '$1 == k {print $2}' /proc/"$1"/status; }
wakeups() { awk '$1 == "voluntary_ctxt_switches:" {v=$2} $1 == "nonvoluntary_ctxt_switches:" {n=$2} END {print v + n}' /proc/"$1"/status; }

# Settle (start-up and the first sends are not the running cost).
sleep 3
for p in "$desk" "$ref"; do
  if ! kill -0 "$p" 2>/dev/null; then
    echo "headless_cost: a process ended early" >&2
    cat "$work/desk.err" >&2
    exit 2
  fi
done
d0=$(cpu_ns "$desk"); r0=$(cpu_ns "$ref"); dt0=$(ticks "$desk"); rt0=$(ticks "$ref")
dw0=$(wakeups "$desk"); rw0=$(wakeups "$ref")
t0=$(date +%s%N)
sleep "$seconds"
d1=$(cpu_ns "$desk"); r1=$(cpu_ns "$ref"); dt1=$(ticks "$desk"); rt1=$(ticks "$ref")
dw1=$(wakeups "$desk"); rw1=$(wakeups "$ref")
t1=$(date +%s%N)
drss=$(status_kb "$desk" VmRSS); dhwm=$(status_kb "$desk" VmHWM); rrss=$(status_kb "$ref" VmRSS)
gui=$(grep -c -E 'libQt|libX11|libxcb|libGL' /proc/"$desk"/maps || true)
hz=$(getconf CLK_TCK)

awk -v d="$((d1 - d0))" -v r="$((r1 - r0))" -v dt="$((dt1 - dt0))" -v rt="$((rt1 - rt0))" \
    -v dw="$((dw1 - dw0))" -v rw="$((rw1 - rw0))" -v el="$((t1 - t0))" -v hz="$hz" \
    -v drss="$drss" -v dhwm="$dhwm" -v rrss="$rrss" -v gui="$gui" '
BEGIN {
  s = el / 1e9
  dc = d / 1e9 / s; rc = r / 1e9 / s
  printf "headless show cost over %.1f s (CPU-s per s from schedstat; stat ticks at %d Hz)\n", s, hz
  printf "  %-22s %10s %10s %12s %10s\n", "", "CPU-s/s", "ticks/s", "wakeups/s", "RSS MiB"
  printf "  %-22s %10.5f %10.4f %12.1f %10.2f  (peak %.2f)\n", "lumora --headless", dc, dt / hz / s, dw / s, drss / 1024, dhwm / 1024
  printf "  %-22s %10.5f %10.4f %12.1f %10.2f\n", "reference sender", rc, rt / hz / s, rw / s, rrss / 1024
  ratio = rc > 0 ? dc / rc : 0
  printf "  CPU ratio %.2f (goal <= 1.25); resident %.2f MiB (goal <= 10); GUI libraries mapped: %s\n", ratio, drss / 1024, (gui > 0 ? "yes" : "none")
  exit !(ratio <= 1.25 && drss <= 10240 && gui == 0)
}'
