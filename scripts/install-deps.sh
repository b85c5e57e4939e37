#!/usr/bin/env bash
# Installs, from Debian's archive, whatever the show needs to be built and
# played; with --test, also what testing and releasing add; and the further
# packages named as arguments. Quick when everything is there already.
#   scripts/install-deps.sh [--test] [PACKAGE ...]
set -euo pipefail

# Building and playing: the compiler, SFML and its sound, the forge's
# libraries (pictures, MP3, loudness), the tools' options and JSON, the fonts.
packages=(
  build-essential cmake pkg-config
  libsfml-dev libmpg123-dev libopenal-dev libasound2-dev libx11-dev
  libfreetype-dev libpng-dev zlib1g-dev libmp3lame-dev libebur128-dev
  nlohmann-json3-dev libcli11-dev x11-utils
  fonts-dancingscript
)
# Testing and releasing: GoogleTest, a virtual display and its helpers, the
# shader checker, ffmpeg and sox for the video and music checks, the
# release's library rewriting and the bare Debian system.
test_packages=(
  googletest libgtest-dev
  xvfb xauth xdotool glslang-tools libgl1-mesa-dri mesa-utils
  lame ffmpeg sox
  patchelf debootstrap
)
if [ "${1:-}" = --test ]; then
  shift
  packages+=("${test_packages[@]}")
fi
packages+=("$@")

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
