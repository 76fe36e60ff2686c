#!/bin/sh
# Builds the ArtReceive fuzzer with clang (libFuzzer, ASan, UBSan) from the
# protocol core alone and runs it briefly. Usage: run_artnet_fuzz.sh SRC_DIR OUT_DIR [RUNS]
set -eu
src="$1"; out="$2"; runs="${3:-200000}"
mkdir -p "$out"
clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -I"$src" "$src/tests/fuzz/artnet_receive_fuzz.cpp" "$src/output/artnet_node.cpp" \
  "$src/output/artnet_nodes.cpp" "$src/output/artnet_packet.cpp" -o "$out/artnet_receive_fuzz"
"$out/artnet_receive_fuzz" -runs="$runs" -max_len=1024 -dict="$src/tests/fuzz/artnet.dict" -seed=1
