#!/bin/sh
# Interop with OLA's Art-Net node, entirely inside private network
# namespaces. Called as
#   unshare -n sh ola_interop.sh LUMORA_BIN WORK_DIR
# The desk runs in this namespace (art0, 10.0.0.5/8); olad runs in a second
# fresh namespace (ola0, 10.0.0.6/8) joined to it by a veth pair, since both
# bind UDP port 6454. olad patches its Art-Net input ports to universes 3 and
# 5; the desk enables ports 3 and 5 with known slot values; olad must hold
# those values, and tshark's Art-Net dissector must show olad's ArtPoll
# answered by the desk's ArtPollReply and ArtDmx for universes 3 and 5.
set -eu
lumora="$1"; work="$2"

fail() { echo "ola_interop: FAIL: $*" >&2; exit 1; }
for t in olad ola_dev_info ola_patch tshark curl setpriv nsenter; do
  command -v "$t" >/dev/null || fail "$t is not installed (scripts/deps.sh installs it)"
done
links=$(ip -o link show | wc -l)
if [ "$links" -ne 1 ] || ! ip -o link show lo | grep -q 'state DOWN'; then
  fail "not inside a fresh private network namespace; refusing to run"
fi

ip link set lo up
rm -rf "$work"; mkdir -p "$work/cfg"
# olad refuses to run as root; it runs as nobody with only the Art-Net plugin.
for p in dummy e131 espnet ftdidmx gpio karate kinet milinst opendmx openpixelcontrol osc pathport \
         renard sandnet shownet spi stageprofi uartdmx usbdmx usbserial; do
  echo "enabled = false" > "$work/cfg/ola-$p.conf"
done
cat > "$work/cfg/ola-artnet.conf" <<EOF
always_broadcast = false
enabled = true
ip = 10.0.0.6
long_name = OLA - ArtNet node
net = 0
output_ports = 4
short_name = OLA - ArtNet node
subnet = 0
use_limited_broadcast = false
use_loopback = false
EOF
chmod 777 "$work" "$work/cfg"; chmod 666 "$work"/cfg/*

pids=""
cleanup() { for p in $pids; do kill "$p" 2>/dev/null || true; done; }
trap cleanup EXIT

# olad's namespace: a fresh one held open by a sleeping process.
unshare -n sleep 120 &
olans=$!; pids="$pids $olans"
sleep 0.2
ip link add art0 type veth peer name ola0 netns "$olans"
ip addr add 10.0.0.5/8 brd + dev art0
ip link set art0 up
nsenter -t "$olans" -n sh -c 'ip link set lo up; ip addr add 10.0.0.6/8 brd + dev ola0; ip link set ola0 up'
inola() { nsenter -t "$olans" -n "$@"; }

# Background jobs of sh ignore SIGINT; tshark needs it back to stop cleanly.
env --default-signal=INT tshark -i art0 -q -w "$work/capture.pcap" >"$work/tshark.log" 2>&1 &
shark=$!; pids="$pids $shark"
# The capture runs once its file exists: tshark starts slowly on a busy
# machine, and the first ArtPoll must not go by before it listens.
for i in $(seq 1 300); do [ -s "$work/capture.pcap" ] && break; sleep 0.1; done

nsenter -t "$olans" -n setpriv --reuid=nobody --regid=nogroup --clear-groups \
  olad -c "$work/cfg" -l 3 -i 127.0.0.1 >"$work/olad.log" 2>&1 &
pids="$pids $!"

ready=0
for i in $(seq 1 50); do
  if inola ola_dev_info >"$work/devices.txt" 2>/dev/null && grep -q ArtNet "$work/devices.txt"; then ready=1; break; fi
  sleep 0.2
done
[ "$ready" = 1 ] || { cat "$work/olad.log" >&2; fail "olad did not start"; }
dev=$(sed -n 's/^Device \([0-9]*\): ArtNet.*/\1/p' "$work/devices.txt" | head -n 1)
[ -n "$dev" ] || fail "no ArtNet device in olad"
inola ola_patch -d "$dev" -p 0 -i -u 3
inola ola_patch -d "$dev" -p 1 -i -u 5

# The desk: output tick stopped so the frame holds the values set here.
(
  printf 'set Hoofdblad.Timer1.Enabled false\n'
  printf 'set DmxFrame(0) 17\nset DmxFrame(1) 34\nset DmxFrame(255) 128\nset DmxFrame(511) 255\n'
  printf 'show Art_Config\nget Art_Config.Text2\nget ArtBroadcast\n'
  printf 'click Art_Config.Button1(3)\nclick Art_Config.Button1(5)\n'
  sleep 12
  printf 'get ArtNet.Log\nquit\n'
) | LUMORA_ARTNET_LOG=stderr "$lumora" --headless --console >"$work/desk.out" 2>"$work/desk.err" &
desk=$!; pids="$pids $desk"
sleep 1.5
# Patching an output port makes olad poll the network (ArtPoll) for nodes
# listening on Art-Net universe 0, which is what the desk's reply announces.
inola ola_patch -d "$dev" -p 0 -u 0
# olad polls once its port discovery is done; wait for it to list the desk.
for i in $(seq 1 40); do
  inola ola_artnet -d "$dev" -u 0 >"$work/nodes.txt" 2>&1 || true
  grep -q '10\.0\.0\.5' "$work/nodes.txt" && break
  sleep 0.25
done

dmx3=$(inola curl -s "http://127.0.0.1:9090/get_dmx?u=3")
dmx5=$(inola curl -s "http://127.0.0.1:9090/get_dmx?u=5")
wait "$desk" || true
# SIGINT lets tshark write out every packet it holds.
kill -INT "$shark" 2>/dev/null || true
for i in $(seq 1 50); do kill -0 "$shark" 2>/dev/null || break; sleep 0.1; done
cleanup; trap - EXIT; sleep 0.3

echo "desk: $(tr '\n' ' ' < "$work/desk.out")"
grep -q '" Art-Net Initialized"' "$work/desk.out" || fail "desk did not initialise Art-Net"
grep -q '"10.255.255.255"' "$work/desk.out" || fail "desk broadcast address"

check_dmx() {
  u="$1"; json="$2"
  vals=$(printf '%s' "$json" | tr -d ' \n' | sed -n 's/.*"dmx":\[\([^]]*\)\].*/\1/p')
  [ -n "$vals" ] || fail "olad has no DMX on universe $u: $json"
  got=$(printf '%s' "$vals" | awk -F, '{print $1, $2, $3, $256, $512, NF}')
  [ "$got" = "17 34 0 128 255 512" ] || fail "universe $u slots (1 2 3 256 512 count): $got"
  echo "olad universe $u: slots 1,2,3,256,512 = $got"
}
echo "olad's Art-Net nodes on universe 0: $(tr '\n' ' ' < "$work/nodes.txt")"
grep -q '10\.0\.0\.5' "$work/nodes.txt" || fail "olad did not learn the desk from its ArtPollReply"
check_dmx 3 "$dmx3"
check_dmx 5 "$dmx5"

fields=$(tshark -r "$work/capture.pcap" -Y artnet -T fields -e ip.src -e udp.length \
         -e artnet.header.opcode -e artnet.output.universe 2>/dev/null | sort | uniq -c)
echo "tshark Art-Net packets (count, source, UDP length, opcode, universe):"
echo "$fields"
echo "$fields" | grep -Eq '10\.0\.0\.6[[:space:]]+[0-9]+[[:space:]]+0x(0000)?2000' || fail "no ArtPoll from olad seen"
echo "$fields" | grep -Eq '10\.0\.0\.5[[:space:]]+247[[:space:]]+0x(0000)?2100' || fail "no 239-byte ArtPollReply from the desk"
echo "$fields" | grep -Eq '10\.0\.0\.5[[:space:]]+538[[:space:]]+0x(0000)?5000[[:space:]]+3$' || fail "no ArtDmx for universe 3"
echo "$fields" | grep -Eq '10\.0\.0\.5[[:space:]]+538[[:space:]]+0x(0000)?5000[[:space:]]+5$' || fail "no ArtDmx for universe 5"
echo "ola_interop: PASS"
