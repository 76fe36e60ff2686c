#!/usr/bin/env bash
# What the desk's windows cost: starts the real desk (build/lumora) under a
# private Xvfb in each state below, drives it through the console, and after
# a warm-up samples utime+stime of the process from /proc/PID/stat over the
# measuring window. Prints CPU-s per s and VmRSS for each state.
#
#   empty   an empty desk, the main desk and the playback desk shown
#   demo    the demo show loaded, nothing moving (same windows)
#   run     the demo show with a chase running and a crossfade in progress:
#           two screens hand over to each other by autotake without end
#           (12 s takes, so the crossfader steps on every output tick) while
#           a four-step chase fades on the sequence engine
#
# Usage: bench/gui_cpu.sh [--binary PATH] [--warmup S] [--duration S]
#                         [--repeat N] [STATE...]
# Environment: WARMUP, DURATION, REPEAT, LUMORA as defaults for the options.
# Art-Net is simulated (LUMORA_ARTNET_SIMULATE=1): nothing goes to the network.
# On a machine shared with other work the figures are upper bounds.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
binary=${LUMORA:-$here/build/lumora}
warmup=${WARMUP:-5}
duration=${DURATION:-30}
repeat=${REPEAT:-1}
states=()
while [ $# -gt 0 ]; do
  case "$1" in
    --binary) binary=$2; shift 2 ;;
    --warmup) warmup=$2; shift 2 ;;
    --duration) duration=$2; shift 2 ;;
    --repeat) repeat=$2; shift 2 ;;
    -h|--help) sed -n '2,20p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    empty|demo|run) states+=("$1"); shift ;;
    *) echo "gui_cpu.sh: unknown argument '$1'" >&2; exit 2 ;;
  esac
done
[ ${#states[@]} -gt 0 ] || states=(empty demo run)
[ -x "$binary" ] || { echo "gui_cpu.sh: no desk program at $binary (build first)" >&2; exit 1; }
command -v Xvfb >/dev/null || { echo "gui_cpu.sh: Xvfb is not installed" >&2; exit 1; }

work=$(mktemp -d)
xvfb_pid=""
desk_pid=""
cleanup() {
  exec 3>&- 2>/dev/null || true
  if [ -n "$desk_pid" ] && kill -0 "$desk_pid" 2>/dev/null; then kill "$desk_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ] && kill -0 "$xvfb_pid" 2>/dev/null; then kill "$xvfb_pid" 2>/dev/null || true; fi
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A display of our own: Xvfb picks a free number and writes it to fd 5.
Xvfb -displayfd 5 -screen 0 1920x1080x24 -nolisten tcp 5>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "gui_cpu.sh: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
export LUMORA_ARTNET_SIMULATE=1
export QT_QPA_PLATFORM=xcb
hz=$(getconf CLK_TCK)

# Console lines that bring the desk into a state (the playback desk is shown
# in every state).
commands() {
  echo "show Playdesk"
  case "$1" in
    run)
      # Two screens with different looks that follow each other for ever.
      for ch in 0 1 2 3 4 5 6 7 8 9 10 11; do
        echo "set Screens(1).Preset($ch) $(( (ch * 37 + 40) % 256 ))"
        echo "set Screens(2).Preset($ch) $(( 255 - (ch * 37 + 40) % 256 ))"
      done
      echo "set ScreenCount 2"
      for n in 1 2; do
        echo "set Screens($n).Name \"Look $n\""
        echo "set Screens($n).PresetLevel 255"
        echo "set Screens($n).Time 12"
        echo "set Screens($n).Auto -1"
        echo "set Screens($n).Delay 0"
      done
      echo "set Screens(2).Next 1"
      echo "set Screens(1).Next 2"
      # Entering run mode takes screen 1, whose Auto flag starts the chain.
      echo "click Playdesk.Run_Switch"
      # A four-step fading chase on the first four chase channels.
      echo "load Chases"
      echo "set Chases(0).Name \"Bench\""
      echo "set Chases(0).Steps 4"
      for s in 1 2 3 4; do
        echo "set Chases(0).Speed($s) 1"
        echo "set Chases(0).Time($s) 1"
        for c in 0 1 2 3; do
          echo "set Chases(0).Data($s,$c) $(( ((s + c) % 4) * 80 ))"
          echo "set Chases(0).Fade($s,$c) 1"
        done
      done
      echo "click Chases.Chase_Go_Button"
      echo "get AutotakeRunning"
      echo "get Chases.Chase_Go_Button.Caption"
      ;;
  esac
}

stat_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }

printf '%-6s %-4s %14s %10s\n' state run "CPU-s per s" "RSS MiB"
for state in "${states[@]}"; do
  for r in $(seq "$repeat"); do
    args=(--console)
    [ "$state" = empty ] || args+=(--demo)
    rm -f "$work/in"
    mkfifo "$work/in"
    "$binary" "${args[@]}" <"$work/in" >"$work/out.log" 2>"$work/err.log" &
    desk_pid=$!
    exec 3>"$work/in"
    commands "$state" >&3
    sleep "$warmup"
    if ! kill -0 "$desk_pid" 2>/dev/null; then
      echo "gui_cpu.sh: the desk ended early in state $state" >&2
      cat "$work/err.log" >&2
      exit 1
    fi
    if [ "$state" = run ] && ! grep -q '^ok -1$' "$work/out.log"; then
      echo "gui_cpu.sh: no autotake is running in state run" >&2
      exit 1
    fi
    if grep -q '^err' "$work/out.log"; then
      echo "gui_cpu.sh: a console command failed in state $state:" >&2
      grep '^err' "$work/out.log" >&2
      exit 1
    fi
    t0=$(stat_ticks "$desk_pid")
    s0=$(date +%s.%N)
    sleep "$duration"
    t1=$(stat_ticks "$desk_pid")
    s1=$(date +%s.%N)
    rss=$(rss_kib "$desk_pid")
    awk -v st="$state" -v r="$r" -v t0="$t0" -v t1="$t1" -v s0="$s0" -v s1="$s1" -v hz="$hz" -v rss="$rss" \
      'BEGIN { printf "%-6s %-4s %14.4f %10.1f\n", st, r, (t1 - t0) / hz / (s1 - s0), rss / 1024 }'
    # End of input: the exit operation with default answers.
    exec 3>&-
    for _ in $(seq 50); do kill -0 "$desk_pid" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$desk_pid" 2>/dev/null; then kill "$desk_pid"; fi
    wait "$desk_pid" 2>/dev/null || true
    desk_pid=""
  done
done
