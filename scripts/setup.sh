#!/usr/bin/env bash
# Installs what building, running and testing Kestrin need, with apt-get. Quiet and
# quick when everything is already there; safe to run any number of times.
# --server adds PostgreSQL and Qt's driver for it, for a practice whose photo
# database lives on a server, and for the tests, which run against a real one.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
  libqt6sql6-sqlite libqt6svg6 libgl-dev
  libjpeg-dev libjpeg-turbo-progs poppler-utils
  fonts-noto-cjk qt6-translations-l10n
  xvfb xauth xdotool x11-utils imagemagick openbox
)
if [ "${1:-}" = "--server" ]; then
  packages+=(postgresql libqt6sql6-psql)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
