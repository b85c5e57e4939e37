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
  display_file=$(mktemp)
  Xvfb -displayfd 9 -screen 0 1280x720x24 -nolisten tcp -noreset 9>"$display_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  trap 'kill $xvfb_pid 2>/dev/null || true; rm -f "$display_file"' EXIT
  for _ in $(seq 300); do [ -s "$display_file" ] && break; kill -0 $xvfb_pid 2>/dev/null || break; sleep 0.1; done
  number=$(head -n1 "$display_file")
  [ -n "$number" ] || { echo "play.sh: the virtual display did not start" >&2; exit 1; }
  export DISPLAY=:$number
  build/ostralis-capture --video build/ostralis.mp4
  echo "play.sh: wrote build/ostralis.mp4" >&2
  exit 0
fi
cd build/show
exec ../ostralis
