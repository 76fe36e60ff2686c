#!/usr/bin/env bash
# Installs the Debian packages the desk needs, only those that are missing.
# Run as root (or with sudo available).
#
#   scripts/deps.sh run            building and running the desk (make run)
#   scripts/deps.sh package        the above plus what cpack needs (make package)
#   scripts/deps.sh test           all of these plus every test tool (make test)
#   scripts/deps.sh SET --print    print the packages of SET, install nothing
#
# Without a SET, `test` is meant.
set -euo pipefail

# Building and running: compiler, build tools, Qt 6, the device and MIDI
# libraries the desk links.
RUN_PACKAGES=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev
  qt6-httpserver-dev qt6-websockets-dev   # the web remote's module (Qt HTTP server, WebSockets)
  libtinyxml2-dev nlohmann-json3-dev      # fixture import (QXF and OFL files)
  libftdi1-dev libusb-1.0-0-dev
  librtmidi-dev libasound2-dev libjack-jackd2-dev
)
# A virtual display for `make run` on a machine that has none.
HEADLESS_RUN_PACKAGES=(xvfb xauth)

# Building the Debian package: dpkg-shlibdeps and the file type check cpack
# runs before it.
PACKAGE_PACKAGES=(dpkg-dev file)

# Testing: test and benchmark frameworks, the peers and tools the tests run.
TEST_PACKAGES=(
  libgtest-dev libgmock-dev libbenchmark-dev
  jackd2                                  # JACK server for the BCF2000 MIDI test
  mingw-w64 wine wine64                   # corvex.dll cross build and its Wine test
  ola tshark curl                         # Art-Net and sACN interop with olad (ola_recorder), checked with tshark
  iproute2 util-linux                     # private network namespaces (ip, unshare, nsenter)
  clang libclang-rt-14-dev                # libFuzzer runs
  lintian desktop-file-utils appstream    # the package test's validators
  xvfb xauth imagemagick                  # screenshots of the windows
  python3                                 # sequences/fixtures/make_fixtures.py
  qlcplus-data                            # real fixture definitions for the import tests (read, never copied)
  chromium chromium-driver python3-selenium  # the web remote in a real browser
)

set_name=test
print=0
for arg in "$@"; do
  case "$arg" in
    run|package|test) set_name="$arg" ;;
    --print) print=1 ;;
    *) echo "usage: scripts/deps.sh [run|package|test] [--print]" >&2; exit 2 ;;
  esac
done

PACKAGES=("${RUN_PACKAGES[@]}")
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  PACKAGES+=("${HEADLESS_RUN_PACKAGES[@]}")
fi
add() {
  for p in "$@"; do
    case " ${PACKAGES[*]} " in *" $p "*) ;; *) PACKAGES+=("$p") ;; esac
  done
}
case "$set_name" in
  package) add "${PACKAGE_PACKAGES[@]}" ;;
  test) add "${PACKAGE_PACKAGES[@]}" "${TEST_PACKAGES[@]}" ;;
esac

if [ "$print" = 1 ]; then
  printf '%s\n' "${PACKAGES[@]}"
  exit 0
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then SUDO="sudo"; else
    echo "deps: missing packages (${missing[*]}) and not root; install them and retry" >&2
    exit 1
  fi
fi

echo "deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
# jackd2 asks about real-time priority; answer no without a prompt.
echo "jackd2 jackd/tweak_rt_limits boolean false" | $SUDO debconf-set-selections 2>/dev/null || true
# tshark asks whether non-root users may capture; answer no.
echo "wireshark-common wireshark-common/install-setuid boolean false" | $SUDO debconf-set-selections 2>/dev/null || true
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
