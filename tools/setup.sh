#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Vestan need,
# only those that are missing. Installing needs root: run as yourself, it asks
# sudo for apt-get; run once with sudo, the builds still run as yourself.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-svg-dev qt6-translations-l10n
  libgl-dev libgtest-dev libgmock-dev
  clang libclang-rt-14-dev clang-format
  xvfb xauth imagemagick lrzsz ckermit ser2net
  fonts-dejavu-core
  desktop-file-utils appstream dpkg-dev ccache
  file librsvg2-bin help2man lintian
  debootstrap x11-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

asRoot=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "setup: these packages are missing: ${missing[*]}" >&2
    echo "setup: installing them needs root; run this script as root" >&2
    exit 1
  fi
  asRoot=(sudo env DEBIAN_FRONTEND=noninteractive)
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${asRoot[@]}" apt-get update -qq
"${asRoot[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
