#!/usr/bin/env bash
# Builds the show (Release) into build/: the player, the forge's pictures and
# music, the show directory, the tools and the tests. With --play, only what
# playing needs: the player and the capture tool, without the tests.
#   scripts/build.sh [--play] [CMAKE OPTION ...]
set -euo pipefail
cd "$(dirname "$0")/.."
targets=(--target all)
testing=ON
if [ "${1:-}" = --play ]; then
  shift
  targets=(--target ostralis ostralis-capture)
  testing=OFF
fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=$testing "$@" > build.log 2>&1 || { cat build.log; exit 1; }
cmake --build build -j"$(nproc)" "${targets[@]}" >> build.log 2>&1 || { tail -n 60 build.log; exit 1; }
