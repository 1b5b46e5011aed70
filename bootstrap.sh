#!/usr/bin/env bash
# Sets Corvantis up on a Debian machine.
#   ./bootstrap.sh run   installs what is missing, builds, installs the program
#                        and its starter library, and starts it
#   ./bootstrap.sh test  installs what is missing, builds and runs every test
set -euo pipefail
cd "$(dirname "$0")"

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-multimedia-dev libqt6multimedia6 libgl-dev
  # Songs in WAV, MP3, FLAC, Ogg Vorbis (base, good), AAC in .m4a and AIFF (bad)
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
  # The tests make their own short songs in each format with gst-launch-1.0
  gstreamer1.0-tools
  libsqlite3-dev
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_missing() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
}

build() {
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build build -j"$(nproc)"
}

case "${1:-}" in
  run)
    install_missing
    build
    cmake --install build --prefix "$HOME/.local"
    exec "$HOME/.local/bin/corvantis"
    ;;
  test)
    install_missing
    build
    QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j"$(nproc)"
    ;;
  *)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
