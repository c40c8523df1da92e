#!/usr/bin/env bash
# Installs every Debian 12 package that the build, the tests and the programs need.
# Safe to run again: when everything is already installed it only checks and returns.
set -euo pipefail

PACKAGES=(
  # Build tools and compilers (clang and its runtime for the fuzz build)
  cmake ninja-build g++ clang clang-format libclang-rt-14-dev git pkg-config
  # Qt 6
  qt6-base-dev qt6-base-dev-tools libgl-dev
  # Test and benchmark libraries
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  # X11 session, window manager and desktop tools
  xvfb icewm x11-utils libx11-dev libxtst-dev libxfixes-dev libxext-dev libxrandr-dev xdg-utils
  # xdg-open tells a document's type with `file` when no full desktop runs (the test desktop)
  file
  # LibreOffice, for the presentation program adapter; its GTK 3 toolkit paints the slide show
  libreoffice-impress libreoffice-dev libreoffice-gtk3
  # Media and audio
  libmpv-dev libasound2-dev sox pulseaudio pulseaudio-utils libasound2-plugins alsa-utils
)

missing=()
for pkg in "${PACKAGES[@]}"; do
  status="$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)"
  if [[ "$status" != "install ok installed" ]]; then
    missing+=("$pkg")
  fi
done

if [[ ${#missing[@]} -eq 0 ]]; then
  echo "setup-debian: all ${#PACKAGES[@]} packages are installed"
  exit 0
fi

if [[ $EUID -ne 0 ]]; then
  if ! command -v sudo >/dev/null 2>&1; then
    echo "setup-debian: missing packages: ${missing[*]}" >&2
    echo "setup-debian: run this script as root (sudo is not installed)" >&2
    exit 1
  fi
  exec sudo -- bash "$0" "$@"
fi

echo "setup-debian: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends "${missing[@]}"
