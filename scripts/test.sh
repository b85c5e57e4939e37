#!/usr/bin/env bash
# Installs what is missing, builds, starts a virtual display of its own and
# runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --test
scripts/build.sh

# The Windows player's zip, which the Wine tests unpack and run. Its
# libraries are built once and then come from their cache.
windows_start=$(date +%s)
scripts/package-windows.sh
echo "Windows zip made in $(( $(date +%s) - windows_start )) s"

# Memory safety: the capture tool alone, built again with AddressSanitizer
# and UndefinedBehaviorSanitizer into build-sanitize/. Only it and the
# libraries it links are compiled (the /fast targets skip the forge); the
# show's files are the ones build/ made. The memory test runs it.
mkdir -p build-sanitize
sanitize_log=build-sanitize/build.log
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOSTRALIS_SANITIZE=ON -DBUILD_TESTING=OFF \
    > $sanitize_log 2>&1 || { cat $sanitize_log; exit 1; }
for target in ostralis-options ostralis-progress ostralis-outlines ostralis-show ostralis-tools ostralis-capture; do
    make -C build-sanitize -j"$(nproc)" "$target/fast" >> $sanitize_log 2>&1 || { tail -n 60 $sanitize_log; exit 1; }
done
export OSTRALIS_REQUIRE_SANITIZED=1

# A virtual screen of the show's size: Xvfb's default of 1280 x 1024 would
# make the full-screen window switch to that mode. Without -noreset the
# server resets whenever its last client leaves, and refuses the clients
# that connect meanwhile.
# The server picks a free display itself and writes its number once it
# listens: two runs at once never share one.
display_file=$(mktemp)
Xvfb -displayfd 9 -screen 0 1280x720x24 -nolisten tcp -noreset 9>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true; rm -f "$display_file"' EXIT
for _ in $(seq 300); do [ -s "$display_file" ] && break; kill -0 $xvfb_pid 2>/dev/null || break; sleep 0.1; done
number=$(head -n1 "$display_file")
[ -n "$number" ] || { echo "test.sh: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$number

cd build
ctest --output-on-failure -j"$(nproc)" "$@"
