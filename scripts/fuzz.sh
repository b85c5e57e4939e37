#!/bin/sh
# Fuzzes the music reader with libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer, on one core.
#   scripts/fuzz.sh [RUNS] [SECONDS]
# RUNS defaults to ten million executions; SECONDS (0: no limit) stops earlier.
# Work files (corpus, crash inputs, the log) go to build/fuzz-mp3, or FUZZ_DIR.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-10000000}
seconds=${2:-0}
work=${FUZZ_DIR:-$root/build/fuzz-mp3}
mkdir -p "$work/corpus"

echo "building the fuzz target"
clang++ -std=c++17 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$root" "$root/tools/fuzz_mp3.cpp" "$root/audio/mp3_stream.cpp" "$root/system/files_linux.cpp" \
    $(pkg-config --cflags --libs libmpg123) -o "$work/fuzz_mp3"

# Seed the corpus with two short tones in real MP3 frames: 8 kHz mono and
# 44.1 kHz joint stereo.
if command -v lame >/dev/null 2>&1 && [ ! -e "$work/corpus/seed-stereo.mp3" ]; then
    awk 'BEGIN { for (i = 0; i < 6000; i++) for (c = 0; c < 2; c++) {
                 v = int(20000 * sin(i / (5 + c))); if (v < 0) v += 65536;
                 printf "%c%c", v % 256, int(v / 256) } }' > "$work/seed.raw"
    lame --quiet -r -s 8 --bitwidth 16 --signed --little-endian -m m -a "$work/seed.raw" \
        "$work/corpus/seed-mono.mp3" 2>/dev/null || true
    lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -m j "$work/seed.raw" \
        "$work/corpus/seed-stereo.mp3" 2>/dev/null || true
    rm -f "$work/seed.raw"
fi

echo "fuzzing: at most $runs executions$( [ "$seconds" -gt 0 ] && echo ", at most $seconds s")"
start=$(date +%s)
status=0
(cd "$work" && ./fuzz_mp3 -runs="$runs" -max_total_time="$seconds" -max_len=8192 \
    -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 corpus) > "$work/last-run.log" 2>&1 || status=$?
end=$(date +%s)

# Anything in the log that libFuzzer did not write came from the decoder.
messages=$(grep -cv '^\(#\|INFO:\|MS:\|stat::\|Done \|base unit:\|0x\|\\\|"\|###\|Dictionary\|$\)' \
    "$work/last-run.log" || true)
executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/last-run.log")
faults=$(grep -c 'ERROR: \|deadly signal\|ALARM: working on the last Unit\|out-of-memory' "$work/last-run.log" || true)
echo "executions: ${executions:-unknown}, time: $((end - start)) s, faults: $faults, other lines on stderr: $messages"
[ "$status" -eq 0 ] || tail -n 40 "$work/last-run.log"
exit "$status"
