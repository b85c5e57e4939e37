#!/usr/bin/env bash
# Installs what is missing, builds the show and plays it, full screen.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh

# The player needs a display.
if ! xdpyinfo >/dev/null 2>&1; then
  echo "play.sh: no display can be reached (DISPLAY='${DISPLAY:-}')" >&2
  exit 1
fi
cd build/show
exec ../ostralis
