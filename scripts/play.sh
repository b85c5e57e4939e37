#!/usr/bin/env bash
# Installs what is missing, builds the show and plays it, full screen.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh --play

# Without a display, render the show to a video instead, under a virtual
# screen of the show's size started for it alone.
if ! xdpyinfo >/dev/null 2>&1; then
  scripts/install-deps.sh xvfb xauth ffmpeg libgl1-mesa-dri
  echo "play.sh: no display can be reached (DISPLAY='${DISPLAY:-}'):" \
    "rendering the show to build/ostralis.mp4 instead, under a virtual display of its own" >&2
  number=77
  while [ -e /tmp/.X$number-lock ]; do number=$((number + 1)); done
  Xvfb ":$number" -screen 0 1280x720x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
  export DISPLAY=:$number
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  build/ostralis-capture --video build/ostralis.mp4
  echo "play.sh: wrote build/ostralis.mp4" >&2
  exit 0
fi
cd build/show
exec ../ostralis
