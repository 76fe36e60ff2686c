#!/bin/sh
# Runs the Art-Net socket tests in a private network namespace. Called as
#   unshare -n sh artnet_netns.sh TEST_BINARY
# The namespace holds only the loopback and a veth pair: art0 carries the
# desk's test address, peer0 is where the test's capture socket listens.
# Nothing here can reach the host's network.
set -eu
bin="$1"

# A fresh namespace has nothing but a loopback that is down; anything else
# means this is not the private namespace, so refuse to touch it.
links=$(ip -o link show | wc -l)
if [ "$links" -ne 1 ] || ! ip -o link show lo | grep -q 'state DOWN'; then
  echo "artnet_netns: not inside a fresh private network namespace; refusing to run" >&2
  exit 1
fi

ip link set lo up
ip link add art0 type veth peer name peer0
ip link set art0 up
ip link set peer0 up

for c in "10.0.0.5/8 10.0.0.5 10.255.255.255" \
         "2.1.2.3/8 2.1.2.3 2.255.255.255" \
         "192.168.1.10/24 192.168.1.10 255.255.255.255"; do
  set -- $c
  ip addr flush dev art0
  ip addr add "$1" dev art0
  # The limited broadcast 255.255.255.255 leaves through the default route.
  ip route replace default dev art0
  echo "artnet_netns: local address $2, broadcasts to $3"
  LUMORA_NETNS_PRIVATE=1 ARTNET_TEST_LOCAL="$2" ARTNET_TEST_BCAST="$3" "$bin"
done
