#!/bin/sh
# The desk's sACN (E1.31) against real peers, entirely inside private network
# namespaces. Called as
#   unshare -n sh sacn_interop.sh LUMORA_BIN WORK_DIR
# Two desks run in this namespace (desk0, 10.0.0.5/8), each with a user
# folder of its own, so each is a source with its own CID. olad runs in a
# second fresh namespace (ola0, 10.0.0.6/8) behind a veth pair, with its
# E1.31 plugin and no other. Desk B sends universe 1 at priority 100; then
# desk A sends universe 1 at priority 150 with other slots, and universe 2
# (multicast and unicast to olad). Checked:
#   - olad's universes hold the 512 slots the winning desk sends, read with
#     OLA's own client (ola_recorder): desk B's alone, desk A's once it sends
#     at the higher priority, desk B's again as soon as desk A ends;
#   - olad hears every stream end (its log names each CID's termination);
#   - tshark's E1.31 dissector decodes every packet the desks sent, with no
#     malformed packet and no expert note, each stream at its priority and
#     ending with three Stream_Terminated packets.
set -eu
lumora="$1"; work="$2"

fail() { echo "sacn_interop: FAIL: $*" >&2; exit 1; }
for t in olad ola_dev_info ola_patch ola_recorder tshark setpriv nsenter; do
  command -v "$t" >/dev/null || fail "$t is not installed (scripts/deps.sh installs it)"
done
links=$(ip -o link show | wc -l)
if [ "$links" -ne 1 ] || ! ip -o link show lo | grep -q 'state DOWN'; then
  fail "not inside a fresh private network namespace; refusing to run"
fi

ip link set lo up
rm -rf "$work"; mkdir -p "$work/cfg" "$work/desk-a" "$work/desk-b"
# olad refuses to run as root; it runs as nobody with only the E1.31 plugin.
for p in artnet dummy espnet ftdidmx gpio karate kinet milinst opendmx openpixelcontrol osc pathport \
         renard sandnet shownet spi stageprofi uartdmx usbdmx usbserial; do
  echo "enabled = false" > "$work/cfg/ola-$p.conf"
done
cat > "$work/cfg/ola-e131.conf" <<CONF
enabled = true
ip = 10.0.0.6
input_ports = 2
output_ports = 0
ignore_preview = true
prepend_hostname = false
revision = 0.46
draft_discovery = false
CONF
chmod 777 "$work" "$work/cfg"; chmod 666 "$work"/cfg/*

pids=""
cleanup() {
  # Desks end by themselves once told to (their input ends), then the rest.
  touch "$work/desk-a/stop" "$work/desk-b/stop"
  sleep 1
  for p in $pids; do kill "$p" 2>/dev/null || true; done
}
trap cleanup EXIT

# olad's namespace: a fresh one held open by a sleeping process.
unshare -n sleep 600 &
olans=$!; pids="$pids $olans"
sleep 0.2
ip link add desk0 type veth peer name ola0 netns "$olans"
ip addr add 10.0.0.5/8 dev desk0
ip link set desk0 up
nsenter -t "$olans" -n sh -c 'ip link set lo up; ip addr add 10.0.0.6/8 dev ola0; ip link set ola0 up'
inola() { nsenter -t "$olans" -n "$@"; }

# Background jobs of sh ignore SIGINT; tshark needs it back to stop cleanly.
env --default-signal=INT tshark -i desk0 -q -w "$work/capture.pcap" >"$work/tshark.log" 2>&1 &
shark=$!; pids="$pids $shark"
for i in $(seq 1 300); do [ -s "$work/capture.pcap" ] && break; sleep 0.1; done

nsenter -t "$olans" -n setpriv --reuid=nobody --regid=nogroup --clear-groups \
  olad -c "$work/cfg" -l 3 -i 127.0.0.1 --no-http --no-register-with-dns-sd >"$work/olad.log" 2>&1 &
pids="$pids $!"
ready=0
for i in $(seq 1 100); do
  if inola ola_dev_info >"$work/devices.txt" 2>/dev/null && grep -q 'E1.31' "$work/devices.txt"; then ready=1; break; fi
  sleep 0.2
done
[ "$ready" = 1 ] || { cat "$work/olad.log" >&2; fail "olad did not start"; }
# Only the E1.31 plugin made a device.
[ "$(grep -c '^Device ' "$work/devices.txt")" = 1 ] || fail "olad has other devices: $(cat "$work/devices.txt")"
dev=$(sed -n 's/^Device \([0-9]*\): E1\.31.*/\1/p' "$work/devices.txt" | head -n 1)
inola ola_patch -d "$dev" -p 0 -i -u 1
inola ola_patch -d "$dev" -p 1 -i -u 2

# A desk: output tick stopped so that the frame holds the slots set here
# (slot i = (i * MUL + ADD) mod 256), then its universes switched on.
# It runs until its input ends (the exit operation ends its streams).
desk() {
  name="$1"; mul="$2"; add="$3"; shift 3
  {
    printf 'set Hoofdblad.Timer1.Enabled false\n'
    i=0
    while [ $i -lt 512 ]; do printf 'set DmxFrame(%d) %d\n' $i $(( (i * mul + add) % 256 )); i=$((i + 1)); done
    printf 'set Sacn.Interface "10.0.0.5"\n'
    for c in "$@"; do printf '%s\n' "$c"; done
    printf 'get Sacn.Cid\nget Sacn.Status\nget SacnPorts\n'
    while [ ! -e "$work/$name/stop" ]; do sleep 0.1; done
    printf 'queue answer ok\nquit\n'
  } | HOME="$work/$name" XDG_CONFIG_HOME="$work/$name/config" XDG_STATE_HOME="$work/$name/state" \
      "$lumora" --headless --console >"$work/$name/desk.out" 2>"$work/$name/desk.err"
}
expect_slots() {  # universe mul add: the last frame ola_recorder saw
  u="$1"; mul="$2"; add="$3"
  want=$(awk -v m="$mul" -v a="$add" 'BEGIN { for (i = 0; i < 512; i++) printf "%s%d", (i ? "," : ""), (i * m + a) % 256 }')
  got=$(awk -v u="$u" '$1 == u { last = $2 } END { print last }' "$work/record.txt")
  [ -n "$got" ] || fail "olad gave no frame of universe $u: $(head -c 300 "$work/record.txt")"
  [ "$got" = "$want" ] || fail "universe $u: olad holds $(echo "$got" | cut -c1-80)..., the desk sent $(echo "$want" | cut -c1-80)..."
  echo "olad universe $u: the same 512 slots as the desk ($(echo "$got" | cut -c1-40)...)"
}
record() {  # seconds: what olad hands its clients for universes 1 and 2
  rm -f "$work/record.txt"
  # ola_recorder's exit status is not its success: its file and its count are.
  inola timeout $(( $1 + 20 )) ola_recorder --record "$work/record.txt" --universes 1,2 --duration "$1" \
    >"$work/recorder.log" 2>&1 || true
  grep -q 'Saved [1-9][0-9]* frames' "$work/recorder.log" || fail "ola_recorder: $(cat "$work/recorder.log")"
}

cid() { sed -n 's/^ok "\([0-9a-f-]*\)"$/\1/p' "$work/$1/desk.out"; }
added() { grep -c "Added new E1.31 source: $1" "$work/olad.log" || true; }
terminated() { grep -c "CID $1 sent a termination for universe $2\$" "$work/olad.log" || true; }
# Conditions for await: functions, so each try reads olad's log afresh
# (a "$(...)" argument would be expanded once, before the first try).
took() { [ "$(added "$1")" -ge "$2" ]; }
ended() { [ "$(terminated "$1" "$2")" -ge 1 ]; }
stop_capture() {
  kill -INT "$shark" 2>/dev/null || true
  for i in $(seq 1 100); do kill -0 "$shark" 2>/dev/null || break; sleep 0.1; done
}
shark() { tshark -r "$work/capture.pcap" --enable-heuristic acn -o acn.dmx_enable:TRUE "$@" 2>/dev/null; }
explain() {  # what olad, the desks and the capture saw, for a failure's report
  echo "--- olad's sources:" >&2
  grep 'Raising priority\|Added new E1.31 source\|has expired\|termination\|WARN' "$work/olad.log" | tail -n 20 >&2
  grep -v 'Avahi\|Old packet' "$work/olad.log" | tail -n 5 >&2
  for d in desk-b desk-a; do
    [ -e "$work/$d/desk.out" ] || continue
    echo "--- $d: $(grep -v '^ok$' "$work/$d/desk.out" | tr '\n' ' ')" >&2
    tail -n 5 "$work/$d/desk.err" >&2
  done
  stop_capture
  echo "--- captured on desk0 (count, CID, destination, universe, priority, first/last sequence):" >&2
  shark -Y 'udp.dstport == 5568' -T fields -e acn.cid -e ip.dst -e acn.dmx.universe -e acn.dmx.priority \
    -e acn.dmx.seq_number |
    awk -F'\t' '{ k = $1 " " $2 " " $3 " " $4; if (!(k in n)) first[k] = $5; n[k]++; last[k] = $5 }
                END { for (k in n) print n[k], k, first[k], last[k] }' >&2
}
await() {  # what, condition...
  what="$1"; shift
  for i in $(seq 1 600); do "$@" && return 0; sleep 0.1; done
  explain
  fail "$what"
}

# Desk B first: olad takes its universe 1 at priority 100.
desk desk-b 13 100 'set SacnPorts(0).Enabled true' &
deskb=$!; pids="$pids $deskb"
await "desk B did not start" sh -c "grep -q '^ok \"[0-9a-f-]*\"\$' '$work/desk-b/desk.out'"
cidb=$(cid desk-b)
await "olad did not take desk B's universe" took "$cidb" 1
record 2
expect_slots 1 13 100

# Desk A: universe 1 at priority 150 wins over desk B, which goes on
# sending; universe 2 goes multicast and unicast to olad.
desk desk-a 7 3 'set SacnPorts(0).Priority 150' 'set SacnPorts(0).Enabled true' \
  'set SacnPorts(1).Unicast "10.0.0.6"' 'set SacnPorts(1).Enabled true' &
deska=$!; pids="$pids $deska"
await "desk A did not start" sh -c "grep -q '^ok \"[0-9a-f-]*\"\$' '$work/desk-a/desk.out'"
cida=$(cid desk-a)
[ "$cida" != "$cidb" ] || fail "both desks have the CID $cida"
await "olad did not take desk A's universes" took "$cida" 2
sleep 1
record 3
expect_slots 1 7 3
expect_slots 2 7 3
grep -q 'Raising priority for universe 1 from 100 to 150' "$work/olad.log" || fail "olad did not raise universe 1 to priority 150"
echo "olad: universe 1 raised from priority 100 (desk B) to 150 (desk A)"

# Desk A ends: its streams end with it. Within the 2.5 s a receiver waits
# for a silent source, olad already holds desk B's slots again.
touch "$work/desk-a/stop"
wait "$deska" || fail "desk A did not end cleanly: $(tail -n 5 "$work/desk-a/desk.err")"
record 2
expect_slots 1 13 100
touch "$work/desk-b/stop"
wait "$deskb" || fail "desk B did not end cleanly: $(tail -n 5 "$work/desk-b/desk.err")"
await "olad did not hear desk B's stream end" ended "$cidb" 1
for u in 1 2; do
  [ "$(terminated "$cida" $u)" -ge 1 ] || fail "olad did not hear desk A end universe $u"
done
grep 'sent a termination' "$work/olad.log" | sed 's/^.*: /olad: /'

# tshark writes what it has seen a moment after it saw it.
sleep 2
stop_capture
cleanup; trap - EXIT

for d in desk-a desk-b; do
  echo "$d: $(grep -v '^ok$' "$work/$d/desk.out" | tr '\n' ' ')"
  [ "$(grep -c '^err' "$work/$d/desk.out")" = 0 ] || fail "$d refused a command: $(grep '^err' "$work/$d/desk.out")"
done

sent=$(shark -Y 'udp.dstport == 5568' -T fields -e frame.number | wc -l)
decoded=$(shark -Y 'udp.dstport == 5568 && acn.dmx.universe' -T fields -e frame.number | wc -l)
bad=$(shark -Y 'udp.dstport == 5568 && (_ws.malformed || _ws.expert)' -T fields -e frame.number | wc -l)
echo "tshark: $sent sACN packets, $decoded decoded as E1.31 data, $bad malformed or with expert notes"
[ "$sent" -gt 20 ] || fail "too few sACN packets captured ($sent)"
[ "$decoded" = "$sent" ] || fail "tshark's E1.31 dissector did not decode every packet"
[ "$bad" = 0 ] || { shark -Y 'udp.dstport == 5568 && (_ws.malformed || _ws.expert)' -V | head -n 60 >&2; fail "malformed or expert-flagged packets"; }

fields=$(shark -Y 'udp.dstport == 5568' -T fields -e acn.cid -e ip.dst -e acn.dmx.universe -e acn.dmx.priority \
         -e acn.dmx.option_s -e acn.dmx.source_name -e acn.dmx.count)
echo "tshark E1.31 streams (count, CID, destination, universe, priority, terminated, source, slots+1):"
echo "$fields" | sort | uniq -c
count() { echo "$fields" | awk -F'\t' -v c="$1" -v d="$2" -v u="$3" -v p="$4" -v t="$5" \
  '$1 == c && $2 == d && $3 == u && $4 == p && ($5 == t || ($5 == "True" && t == 1) || ($5 == "False" && t == 0)) && $7 == 513 { n++ } END { print n + 0 }'; }
for s in "$cida 239.255.0.1 1 150" "$cida 239.255.0.2 2 100" "$cida 10.0.0.6 2 100" "$cidb 239.255.0.1 1 100"; do
  set -- $s
  data=$(count "$1" "$2" "$3" "$4" 0); ends=$(count "$1" "$2" "$3" "$4" 1)
  [ "$data" -ge 2 ] || fail "no data packets from $1 to $2 universe $3 priority $4"
  [ "$ends" = 3 ] || fail "$ends Stream_Terminated packets from $1 to $2 universe $3 (expected 3)"
done
echo "$fields" | awk -F'\t' '$6 !~ /^Lumora on / { bad = 1 } END { exit bad }' || fail "a source name is not 'Lumora on <host>'"
echo "sacn_interop: PASS"
