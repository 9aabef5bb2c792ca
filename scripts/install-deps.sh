#!/usr/bin/env bash
# Installs the Debian packages Brindlewave needs.
#   install-deps.sh        everything: build, run, test and package
#   install-deps.sh run    only what building and running the program needs
# Idempotent: when everything is present it does not call apt at all.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-l10n-tools qt6-translations-l10n
  libsdl2-dev libsndfile1-dev libebur128-dev
  ffmpeg libavcodec-extra
  fonts-noto-cjk xdg-utils
)
if [ "${1:-}" != run ]; then
  packages+=(
    xvfb xauth xdotool imagemagick x11-utils
    dpkg-dev file lintian desktop-file-utils appstream librsvg2-bin
    dbus at-spi2-core python3-pyatspi
  )
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
