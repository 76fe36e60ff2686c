#!/usr/bin/env bash
# Cross-builds corvex.dll for x86-64 and i686 with MinGW-w64, checks the
# export tables, and runs the Windows test program under Wine (x86-64 always;
# i686 where Wine's 32-bit part is installed). Exit 77: nothing to test with.
#   run_wine_test.sh <corvex source dir> <work dir>
set -euo pipefail
src=$(cd "$1" && pwd)
work=$2
mkdir -p "$work"
work=$(cd "$work" && pwd)

command -v wine >/dev/null || { echo "wine is not installed: skipped"; exit 77; }
command -v x86_64-w64-mingw32-g++-posix >/dev/null || { echo "MinGW-w64 is not installed: skipped"; exit 77; }

export WINEDEBUG=-all
export WINEPREFIX="$work/wineprefix"
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono/Gecko prompts on the first start
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT

fail=0
note() { echo "corvex-windows: $*"; }
bad() { echo "corvex-windows: FAILED: $*"; fail=1; }

build() {  # arch
  local dir="$work/$1"
  local launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake -S "$src" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" \
    -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-w64.cmake" -DCORVEX_MINGW_ARCH="$1" >"$dir.configure.log" 2>&1 ||
    { cat "$dir.configure.log"; return 1; }
  cmake --build "$dir" -j 2 >"$dir.build.log" 2>&1 || { cat "$dir.build.log"; return 1; }
}

check_exports() {  # arch objdump
  local dll="$work/$1/corvex.dll" dump
  dump=$("$2" -p "$dll")
  grep -Eq '^Name[[:space:]].*[[:space:]]Tessin\.dll$' <<<"$dump" && note "$1: export table names Tessin.dll" ||
    bad "$1: export table does not name the library Tessin.dll"
  local names
  names=$(awk '/\[Ordinal\/Name Pointer\] Table/{on=1; next} on && /^\t\[/{print $NF; next} on{exit}' <<<"$dump" |
    tr '\n' ' ')
  [ "$names" = "QuillonCommand TessinCommand " ] && note "$1: exports: $names" ||
    bad "$1: exported names are '$names'"
  local imports
  imports=$(grep -E '^[[:space:]]*DLL Name:' <<<"$dump" | awk '{print tolower($3)}' | tr '\n' ' ')
  if grep -Eq 'libstdc|libgcc|winpthread' <<<"$imports"; then
    bad "$1: needs MinGW runtime DLLs: $imports"
  else
    note "$1: imports: $imports"
  fi
}

# Only the 32-bit build has two conventions: the stdcall entry returns with
# "ret $0xc", the cdecl one with a plain "ret".
check_conventions_i686() {
  local asm
  asm=$(i686-w64-mingw32-objdump -d "$work/i686/corvex.dll")
  local q t
  q=$(awk '/<_?QuillonCommand@12>:/{on=1; next} on && /^$/{exit} on && /\tret/{r=$0} END{print r}' <<<"$asm")
  t=$(awk '/<_?TessinCommand>:/{on=1; next} on && /^$/{exit} on && /\tret/{r=$0} END{print r}' <<<"$asm")
  grep -q 'ret[[:space:]]*\$0xc' <<<"$q" && note "i686: QuillonCommand returns popping 12 bytes" ||
    bad "i686: QuillonCommand does not end with ret \$0xc: '$q'"
  grep -Eq 'ret[[:space:]]*$' <<<"$t" && note "i686: TessinCommand returns with a plain ret" ||
    bad "i686: TessinCommand does not end with a plain ret: '$t'"
}

run() {  # arch program
  local dir="$work/$1" log="$work/$1/$2.log"
  # Output to a file: the Wine server that the first start leaves behind
  # would hold a pipe open.
  note "$1: running $2 under Wine"
  if ! (cd "$dir" && wine "./$2.exe" >"$log" 2>&1 </dev/null); then
    sed 's/^/  /' "$log"
    bad "$1: $2 failed under Wine"
    return
  fi
  sed 's/^/  /' "$log"
  grep -q ' 0 failed' "$log" || bad "$1: no clean result line from $2"
}

run_all() {  # arch
  run "$1" corvex_wine_test     # the DLL by file name: exports, command table, no device
  run "$1" corvex_win_pipe_test # overlapped writes, time-out and cancel, the worker
}

build x86_64 || { bad "x86_64: cross build failed"; exit 1; }
check_exports x86_64 x86_64-w64-mingw32-objdump
run_all x86_64

if command -v i686-w64-mingw32-g++-posix >/dev/null; then
  if build i686; then
    check_exports i686 i686-w64-mingw32-objdump
    check_conventions_i686
    if [ -x /usr/lib/wine/wine ] || [ -x /usr/lib/i386-linux-gnu/wine/wine ]; then
      run_all i686
    else
      note "i686: Wine's 32-bit part (wine32:i386) is not installed; the DLL was checked without running it"
    fi
  else
    bad "i686: cross build failed"
  fi
fi

if [ $fail -ne 0 ]; then
  echo "corvex-windows: FAILED"
  exit 1
fi
echo "corvex-windows: all checks passed"
