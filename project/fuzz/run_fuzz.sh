#!/usr/bin/env bash
# Builds the project reader's libFuzzer target with clang under ASan and
# UBSan and runs it for a while over the seed corpus.
#   project/fuzz/run_fuzz.sh [seconds]     (default 30)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
secs="${1:-30}"
out="${FUZZ_BUILD:-$root/build-fuzz}"
mkdir -p "$out/corpus"
clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -I"$root" "$here/fuzz_reader.cpp" "$root/project/project_format.cpp" "$root/project/project_writer.cpp" "$root/core/levels.cpp" \
  "$root/core/desk_state.cpp" -o "$out/fuzz_reader"
# New inputs go to the scratch corpus; the seeds in the tree stay as they are.
"$out/fuzz_reader" -max_total_time="$secs" -max_len=262144 -timeout=10 "$out/corpus" "$here/corpus"
