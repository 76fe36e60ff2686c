#!/bin/sh
# Fuzzes the fixture file reader with libFuzzer under ASan and UBSan.
#   sequences/fuzz/run_fuzz.sh [seconds]   (default 60)
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${TMPDIR:-/tmp}/lumora_fixture_fuzz
mkdir -p "$out/corpus"
cp "$root"/sequences/fixtures/*.FXT "$out/corpus/"
clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$root" "$root/sequences/fuzz/fixture_file_fuzz.cpp" "$root/sequences/fixture_file.cpp" \
  "$root/core/levels.cpp" "$root/core/desk_state.cpp" -o "$out/fixture_file_fuzz"
"$out/fixture_file_fuzz" -max_total_time="${1:-60}" -max_len=200000 "$out/corpus"
