#!/usr/bin/env bash
# Installs the Debian packages the desk needs to build, run and test, only
# those that are missing. Run as root (or with sudo available).
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config ccache
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  qt6-base-dev
  libtinyxml2-dev nlohmann-json3-dev
  libftdi1-dev libusb-1.0-0-dev librtmidi-dev libasound2-dev
  jackd2 libjack-jackd2-dev
  mingw-w64 wine wine64
  xvfb xauth imagemagick
  iproute2 util-linux
  python3
  clang libclang-rt-14-dev
  ola tshark curl
)

# Test data only: the fixture import tests read real QLC+ definitions from
# the installed library (never copied into the repository).
TEST_PACKAGES=(
  qlcplus-data
)
PACKAGES+=("${TEST_PACKAGES[@]}")

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
