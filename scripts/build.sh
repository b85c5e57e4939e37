#!/usr/bin/env bash
# Builds the show (Release) into build/: the player, the forge's pictures and
# music, the show directory, the tools and the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release "$@" > build.log 2>&1 || { cat build.log; exit 1; }
cmake --build build -j"$(nproc)" >> build.log 2>&1 || { tail -n 60 build.log; exit 1; }
