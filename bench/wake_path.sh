#!/bin/bash
# Where the time between a send's deadline and its packet goes: the headless
# desk's wire thread and the minimal reference sender (bench/wire_ref_sender.c)
# run side by side in a private network namespace, each broadcasting one
# ArtDmx universe every 100 ms on a veth pair, while the kernel's tracer
# follows both threads. Per send it splits deadline -> packet sent into:
#   timer      the deadline to the timer firing (the thread woken)
#   switch     woken to running
#   user       running to the send called (the thread's own work, plus the
#              return to user space)
#   sendto     the system call itself (the network path up to the far end)
# and prints p50 / p90 / p99 / max in microseconds for each, and the whole.
# The desk's deadline is the one of its last sleep before the send (with the
# warm-up on, the sleep after the warm-up).
#   bench/wake_path.sh [BUILD_DIR]
# Root (namespaces, tracefs). Variables: DURATION (seconds, default 30),
# WARMUP (LUMORA_WIRE_WARMUP for the desk: 0 or 1; unset = the desk's own
# choice, off when headless), LUMORA (the desk binary).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
lumora=${LUMORA:-$build/lumora}
dur=${DURATION:-30}
T=/sys/kernel/tracing

[ "$(id -u)" -eq 0 ] || { echo "wake_path: needs root (namespaces, tracing)" >&2; exit 1; }
[ -x "$lumora" ] || { echo "wake_path: no desk binary $lumora" >&2; exit 1; }
[ -w "$T/trace" ] || { echo "wake_path: no tracefs at $T" >&2; exit 1; }

work=$(mktemp -d /tmp/wake_path.XXXXXX)
ns=lwp-$$
events="timer/hrtimer_start sched/sched_waking sched/sched_switch syscalls/sys_enter_sendto syscalls/sys_exit_sendto"
clock_was=$(sed -n 's/.*\[\(.*\)\].*/\1/p' "$T/trace_clock")
buffer_was=$(cat "$T/buffer_size_kb")
cleanup() {
  set +e  # put everything back, whatever fails
  echo 0 >"$T/tracing_on"
  for e in $events; do
    echo 0 >"$T/events/$e/enable"
    echo 0 >"$T/events/$e/filter"
  done
  echo "$clock_was" >"$T/trace_clock"
  echo "$buffer_was" >"$T/buffer_size_kb"
  for p in $(cat "$work/pids" 2>/dev/null); do kill "$p" 2>/dev/null || true; done
  ip netns del "$ns" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

ip netns add "$ns"
ip -n "$ns" link add lwp0 type veth peer name lwp1
ip -n "$ns" link set lo up
ip -n "$ns" addr add 10.0.0.5/8 brd + dev lwp0
ip -n "$ns" link set lwp0 up
ip -n "$ns" link set lwp1 up
cc -O2 -Wall -o "$work/ref" "$root/bench/wire_ref_sender.c"

# The desk, headless, one Art-Net universe; its console stays open for the run.
mkfifo "$work/console"
desk_env=(LUMORA_ARTNET_ADDRESS=10.0.0.5)
[ -n "${WARMUP:-}" ] && desk_env+=(LUMORA_WIRE_WARMUP="$WARMUP")
ip netns exec "$ns" env "${desk_env[@]}" "$lumora" --headless --console --sim <"$work/console" >/dev/null 2>"$work/desk.err" &
echo $! >>"$work/pids"
exec 3>"$work/console"
printf 'show Art_Config\nclick Art_Config.Button1(0)\n' >&3
# The reference: its own source port and universe, so the desk never hears it.
ip netns exec "$ns" "$work/ref" 10.0.0.5 10.255.255.255 100 1 $((dur + 10)) 6455 100 6456 &
echo $! >>"$work/pids"
sleep 3

# Found among the namespace's own processes: another desk on the host is not ours.
in_ns() { for p in $(ip netns pids "$ns"); do [ "$(cat "/proc/$p/comm" 2>/dev/null)" = "$1" ] && echo "$p"; done | head -1; }
desk=$(in_ns lumora-headless)
ref=$(in_ns ref)
[ -n "$desk" ] && [ -n "$ref" ] || { echo "wake_path: desk or reference did not start" >&2; cat "$work/desk.err" >&2; exit 1; }
# The wire thread is the desk's real-time thread (a negative priority in stat).
wire=""
for t in /proc/"$desk"/task/*; do
  if [ "$(awk '{print $18}' "$t/stat")" -lt 0 ]; then wire=$(basename "$t"); break; fi
done
[ -n "$wire" ] || { echo "wake_path: the desk's wire thread does not run at real-time priority" >&2; exit 1; }

echo 0 >"$T/tracing_on"
echo >"$T/trace"
echo mono >"$T/trace_clock"
echo 8192 >"$T/buffer_size_kb"
own="common_pid == $wire || common_pid == $ref"
echo "$own" >"$T/events/timer/hrtimer_start/filter"
echo "pid == $wire || pid == $ref" >"$T/events/sched/sched_waking/filter"
echo "next_pid == $wire || next_pid == $ref" >"$T/events/sched/sched_switch/filter"
echo "$own" >"$T/events/syscalls/sys_enter_sendto/filter"
echo "$own" >"$T/events/syscalls/sys_exit_sendto/filter"
for e in $events; do echo 1 >"$T/events/$e/enable"; done
echo 1 >"$T/tracing_on"
sleep "$dur"
echo 0 >"$T/tracing_on"
cp "$T/trace" "$work/trace"
exec 3>&-

echo "wake_path: ${dur}s, one universe every 100 ms; desk wire thread $wire (warm-up ${WARMUP:-as the desk chooses}), reference $ref"
python3 - "$work/trace" "$wire" "$ref" <<'EOF'
import re, sys
path, wire, ref = sys.argv[1], sys.argv[2], sys.argv[3]
who = {wire: "desk", ref: "reference"}
stamp = re.compile(r"\s(\d+\.\d+): (\w+)")
state = {k: {} for k in who}
rows = {k: [] for k in who}
for line in open(path):
    m = stamp.search(line)
    if not m:
        continue
    t = float(m.group(1)) * 1e6  # microseconds
    ev = m.group(2)
    if ev == "hrtimer_start":
        if "function=hrtimer_wakeup" not in line:
            continue
        pid = re.search(r"-(\d+)\s+\[", line).group(1)
        if pid in state:
            state[pid] = {"deadline": int(re.search(r"softexpires=(\d+)", line).group(1)) / 1e3}
    elif ev == "sched_waking":
        pid = re.search(r" pid=(\d+)", line).group(1)
        if pid in state:
            state[pid]["woken"] = t
    elif ev == "sched_switch":
        pid = re.search(r"next_pid=(\d+)", line).group(1)
        if pid in state:
            state[pid]["running"] = t
    elif "sys_sendto(" in line:
        pid = re.search(r"-(\d+)\s+\[", line).group(1)
        s = state.get(pid)
        if s is not None and "deadline" in s and "woken" in s and "running" in s and "send" not in s:
            s["send"] = t
    elif "sys_sendto ->" in line:
        pid = re.search(r"-(\d+)\s+\[", line).group(1)
        s = state.get(pid)
        if s is not None and "send" in s and "sent" not in s:
            s["sent"] = t
            if s["deadline"] <= s["woken"] <= s["running"] <= s["send"]:
                rows[pid].append((s["woken"] - s["deadline"], s["running"] - s["woken"], s["send"] - s["running"],
                                  s["sent"] - s["send"], s["sent"] - s["deadline"]))
heads = ["timer", "switch", "user", "sendto", "deadline->sent"]
def q(v, p):
    v = sorted(v)
    return v[min(len(v) - 1, int(p * len(v)))]
print("%-10s %6s  %s" % ("sender", "sends", "  ".join("%-23s" % h for h in heads)))
print("%-10s %6s  %s" % ("", "", "  ".join("%-23s" % "p50/p90/p99/max us" for _ in heads)))
for pid in (wire, ref):
    r = rows[pid]
    if not r:
        print("%-10s %6d  (no complete sends traced)" % (who[pid], 0))
        continue
    cols = []
    for k in range(len(heads)):
        v = [x[k] for x in r]
        cols.append("%-23s" % ("%.0f/%.0f/%.0f/%.0f" % (q(v, .5), q(v, .9), q(v, .99), max(v))))
    print("%-10s %6d  %s" % (who[pid], len(r), "  ".join(cols)))
EOF
