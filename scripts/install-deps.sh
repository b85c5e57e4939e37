#!/usr/bin/env bash
# Installs, from Debian's archive, whatever the show needs to build, run and
# be tested, and the further packages named as arguments. Quick when
# everything is there already.
#   scripts/install-deps.sh [PACKAGE ...]
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libsfml-dev libmpg123-dev libopenal-dev libasound2-dev libx11-dev
  libfreetype-dev libpng-dev zlib1g-dev libmp3lame-dev lame libebur128-dev
  nlohmann-json3-dev
  googletest libgtest-dev libcli11-dev
  xvfb xauth x11-utils xdotool glslang-tools libgl1-mesa-dri mesa-utils
  fonts-comic-neue ffmpeg sox
  patchelf debootstrap
  "$@"
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
