#!/usr/bin/env bash
# Installs the Debian packages the Windows cross build and its Wine tests
# need, only those that are missing. Needs root for apt-get.
set -euo pipefail
packages=(mingw-w64 wine wine64 nsis librsvg2-bin ccache xz-utils fonts-dejavu-core fonts-wine
  qt6-translations-l10n xvfb xauth imagemagick xdotool icoutils cmark-gfm locales
  x11-utils)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# The Windows check runs Wine in a Russian locale, as the program's users do.
russian() { locale -a 2>/dev/null | grep -qix 'ru_RU.utf-\?8'; }
[ ${#missing[@]} -eq 0 ] && russian && exit 0
if [ "$(id -u)" -ne 0 ]; then
  echo "windows setup: missing ${missing[*]:-the locale ru_RU.UTF-8}; run $0 as root (sudo)" >&2
  exit 1
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "windows setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
if ! russian; then
  sed -i 's/^# *\(ru_RU.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  locale-gen >/dev/null
fi
