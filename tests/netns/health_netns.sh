#!/bin/sh
# The desk's Art-Net node list against a second node, inside private network
# namespaces. Called as
#   unshare -n sh health_netns.sh TEST_BINARY TEST_NODE
# The desk's test runs in this namespace (art0, 10.0.0.5/8); the test node
# runs in a second fresh namespace (node0, 10.0.0.6/8) joined to it by a
# veth pair, since both bind UDP port 6454. The node answers polls and sends
# ArtDmx on universe 3; its output port wants universe 7.
set -eu
bin="$1"; node="$2"

fail() { echo "health_netns: FAIL: $*" >&2; exit 1; }
for t in nsenter ip; do command -v "$t" >/dev/null || fail "$t is not installed"; done
links=$(ip -o link show | wc -l)
if [ "$links" -ne 1 ] || ! ip -o link show lo | grep -q 'state DOWN'; then
  fail "not inside a fresh private network namespace; refusing to run"
fi
ip link set lo up

pids=""
cleanup() { for p in $pids; do kill "$p" 2>/dev/null || true; done; }
trap cleanup EXIT

unshare -n sleep 120 &
nodens=$!; pids="$pids $nodens"
sleep 0.2
ip link add art0 type veth peer name node0 netns "$nodens"
ip addr add 10.0.0.5/8 brd + dev art0
ip link set art0 up
nsenter -t "$nodens" -n sh -c 'ip link set lo up; ip addr add 10.0.0.6/8 brd + dev node0; ip link set node0 up'

log=$(mktemp)
nsenter -t "$nodens" -n "$node" --ip 10.0.0.6 --bcast 10.255.255.255 --sends 3 --wants 7 \
  --short "Rival Desk" --long "Rival desk in the test namespace" --seconds 60 >"$log" 2>&1 &
pids="$pids $!"
for i in $(seq 1 50); do grep -q ready "$log" && break; sleep 0.1; done
grep -q ready "$log" || { cat "$log" >&2; fail "the test node did not start"; }

rc=0
LUMORA_NETNS_PRIVATE=1 ARTNET_TEST_LOCAL=10.0.0.5 "$bin" || rc=$?
echo "test node: $(tr '\n' ' ' < "$log")"
rm -f "$log"
exit $rc
