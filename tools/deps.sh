#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need; does
# nothing when they are all there already.
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-svg-dev qt6-multimedia-dev libgl-dev
          libglib2.0-dev qt6-translations-l10n qt6-l10n-tools fonts-dejavu-core fonts-dejavu-extra xdg-utils desktop-file-utils ccache
          # What every desktop has, so that the tests meet what users run them
          # with: GIO's volume monitors (which write into HOME), the
          # accessibility bus, and a session bus.
          gvfs at-spi2-core dbus-x11)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
