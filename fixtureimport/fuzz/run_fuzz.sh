#!/bin/sh
# Fuzzes the two fixture definition readers (QLC+ .qxf and Open Fixture
# Library .json) with libFuzzer under ASan and UBSan.
#   fixtureimport/fuzz/run_fuzz.sh [seconds per target]   (default 30)
# Seeds: the hand-written OFL files of the tests and, when qlcplus-data is
# installed, a few QLC+ definitions (copied to the scratch corpus only).
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${FUZZ_BUILD:-${TMPDIR:-/tmp}/lumora_fixtureimport_fuzz}
secs=${1:-30}
mkdir -p "$out/qxf_corpus" "$out/ofl_corpus"
cp "$root"/tests/data/ofl/*/*.json "$out/ofl_corpus/"
if [ -d /usr/share/qlcplus/fixtures ]; then
  for f in Chauvet/Chauvet-Intimidator-Spot-155.qxf Robe/Robe-ColorSpot-250-AT.qxf Martin/Martin-MAC-700-Profile.qxf; do
    [ -f "/usr/share/qlcplus/fixtures/$f" ] && cp "/usr/share/qlcplus/fixtures/$f" "$out/qxf_corpus/"
  done
fi
lib="$root/fixtureimport/caption.cpp $root/fixtureimport/qxf.cpp $root/fixtureimport/ofl.cpp $root/fixtureimport/mapping.cpp"
for t in qxf ofl; do
  # shellcheck disable=SC2086
  clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I"$root" "$root/fixtureimport/fuzz/${t}_fuzz.cpp" $lib -ltinyxml2 -o "$out/${t}_fuzz"
  "$out/${t}_fuzz" -max_total_time="$secs" -max_len=65536 -timeout=10 "$out/${t}_corpus"
done
