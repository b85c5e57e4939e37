#!/bin/sh
# Pictures of the music for the README: a spectrogram of the track with the
# scene starts marked, and its short-term loudness over time.
#   scripts/music-figures.sh TRACK.mp3 OUT_DIR
set -e
track=${1:?usage: music-figures.sh TRACK.mp3 OUT_DIR}
out=${2:?usage: music-figures.sh TRACK.mp3 OUT_DIR}
mkdir -p "$out"
# The scenes' starts in seconds into the track (the music starts 1.25 s into the show).
starts="0 8 22 32 42 56 72 88 104 118 134 146"
seconds=156
width=1248
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

ffmpeg -nostats -hide_banner -loglevel error -i "$track" "$tmp/track.wav"
sox "$tmp/track.wav" -n remix - rate 22050 spectrogram -x $width -y 360 -z 90 -t "angel6.mp3, scene starts marked" -o "$tmp/spectrogram.png"
# sox leaves a margin of 58 pixels on the left of the plot and 30 at the top.
marks=""
for s in $starts; do
    x=$(awk -v s=$s -v w=$width -v d=$seconds 'BEGIN { printf "%d", 58 + s * w / d }')
    marks="$marks${marks:+,}drawbox=x=$x:y=30:w=1:h=360:color=white"
done
ffmpeg -nostats -hide_banner -loglevel error -y -i "$tmp/spectrogram.png" -vf "$marks" "$out/music-spectrogram.png"

# Short-term (3 s) loudness every tenth of a second, as ffmpeg's ebur128 filter reports it.
ffmpeg -nostats -hide_banner -i "$track" -af ebur128 -f null - 2>&1 \
    | python3 "$(dirname "$0")/music-loudness-plot.py" "$out/music-loudness.png" $seconds $starts
