#!/usr/bin/env bash
# Installs every Debian package needed to build, run and test Kvor Pro.
# Idempotent: the package index is refreshed only when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format
  qt6-base-dev qt6-base-dev-tools libqt6svg6 qt6-l10n-tools
  libgl-dev libxkbcommon-dev
  libmariadb-dev mariadb-server mariadb-client
  libcurl4-openssl-dev python3-pyftpdlib python3-openssl
  fonts-liberation fonts-dejavu-core
  poppler-utils zbar-tools python3-dbfread gdal-bin
  xvfb xauth libshp-dev
  xdotool x11-apps x11-utils netpbm libxcb1-dev
  clang libclang-rt-14-dev openssl
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  echo "deps: installing ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
