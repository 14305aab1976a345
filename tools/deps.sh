#!/usr/bin/env bash
# Installs the Debian packages the build, the game and the tests need, but
# only those that are missing. Uses sudo when not run as root.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  freeglut3-dev libgl-dev libglu1-mesa-dev libx11-dev libxext-dev libxtst-dev zlib1g-dev
  googletest libgtest-dev libbenchmark-dev
  console-data
  xvfb xauth x11-utils xdotool imagemagick faketime
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then SUDO=(sudo); else
    echo "These packages are missing and installing them needs root or sudo: ${missing[*]}" >&2
    exit 1
  fi
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
"${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
