#!/usr/bin/env bash
# Runs every libFuzzer target of the desk for a while, one after the other,
# each built with clang under ASan and UBSan. Corpora grow under
# build-fuzz/corpus/TARGET and are kept between runs; the seeds in the tree
# stay as they are. A crashing input is saved under build-fuzz/crashes/.
#
#   scripts/fuzz.sh [TARGET...]          (default: all targets)
#   FUZZ_SECONDS=60 scripts/fuzz.sh      (time per target; default 600)
#
# Targets: project_reader fixture_file artnet_receive artnet_stateful console_parser
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${FUZZ_BUILD:-$root/build-fuzz}"
secs="${FUZZ_SECONDS:-600}"
cxx="${FUZZ_CXX:-clang++}"
flags=(-std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -I"$root")
all=(project_reader fixture_file artnet_receive artnet_stateful console_parser)
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${all[@]}")

# sources, seed folders and options of each target
setup() {
  opts=(); seeds=()
  case "$1" in
    project_reader)
      src=(project/fuzz/fuzz_reader.cpp project/project_format.cpp project/project_writer.cpp core/levels.cpp core/desk_state.cpp)
      seeds=("$root/project/fuzz/corpus"); opts=(-max_len=262144) ;;
    fixture_file)
      src=(sequences/fuzz/fixture_file_fuzz.cpp sequences/fixture_file.cpp core/levels.cpp core/desk_state.cpp)
      seeds=("$out/seeds/fixture_file"); opts=(-max_len=200000)
      mkdir -p "${seeds[0]}" && cp "$root"/sequences/fixtures/*.FXT "${seeds[0]}/" ;;
    artnet_receive)
      src=(tests/fuzz/artnet_receive_fuzz.cpp output/artnet_node.cpp output/artnet_packet.cpp)
      opts=(-max_len=1024 -dict="$root/tests/fuzz/artnet.dict") ;;
    artnet_stateful)
      src=(tests/fuzz/artnet_stateful_fuzz.cpp output/artnet_node.cpp output/artnet_packet.cpp)
      opts=(-max_len=8192 -dict="$root/tests/fuzz/artnet.dict") ;;
    console_parser)
      src=(tests/fuzz/console_parser_fuzz.cpp core/json.cpp core/registry.cpp core/state_registry.cpp
           core/desk_state.cpp core/levels.cpp)
      seeds=("$root/tests/fuzz/console_corpus"); opts=(-max_len=4096 -dict="$root/tests/fuzz/console.dict") ;;
    *) echo "unknown fuzz target $1 (known: ${all[*]})" >&2; return 1 ;;
  esac
}

mkdir -p "$out/bin" "$out/crashes" "$out/logs"
summary=()
status=0
for t in "${targets[@]}"; do
  setup "$t" || { status=2; continue; }
  echo "== $t: building"
  if ! (cd "$root" && "$cxx" "${flags[@]}" "${src[@]}" -o "$out/bin/$t"); then
    summary+=("$t: BUILD FAILED"); status=1; continue
  fi
  mkdir -p "$out/corpus/$t"
  echo "== $t: fuzzing for $secs s"
  "$out/bin/$t" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$out/crashes/$t-" "${opts[@]}" "$out/corpus/$t" "${seeds[@]}" \
    >"$out/logs/$t.log" 2>&1
  rc=$?
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$out/logs/$t.log" | grep -o '[0-9]*$' | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$out/logs/$t.log" | tail -1)
  files=$(find "$out/corpus/$t" -type f | wc -l)
  if [ $rc -eq 0 ]; then
    summary+=("$t: ${execs:-?} executions, 0 crashes, $cov, corpus $files inputs")
  else
    summary+=("$t: CRASH after ${execs:-?} executions (exit $rc), see $out/logs/$t.log and $out/crashes/")
    status=1
  fi
done
echo
echo "fuzz summary (${secs} s per target):"
printf '  %s\n' "${summary[@]}"
exit $status
