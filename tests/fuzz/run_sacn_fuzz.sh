#!/bin/sh
# Builds the sACN packet parser fuzzer with clang (libFuzzer, ASan, UBSan)
# from the protocol core alone and runs it briefly from the seed packets.
# Usage: run_sacn_fuzz.sh SRC_DIR OUT_DIR [RUNS]
set -eu
src="$1"; out="$2"; runs="${3:-200000}"
mkdir -p "$out/sacn_corpus"
clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -I"$src" "$src/tests/fuzz/sacn_parser_fuzz.cpp" "$src/output/sacn_packet.cpp" -o "$out/sacn_parser_fuzz"
"$out/sacn_parser_fuzz" -runs="$runs" -max_len=1024 -dict="$src/tests/fuzz/sacn.dict" -seed=1 \
  "$out/sacn_corpus" "$src/tests/fuzz/sacn_corpus"
