#!/usr/bin/env bash
# The Linux archive is made only when everything in it is there: a library
# the loader cannot find, one that no Debian package owns or a tar that
# fails each end with one line, exit 1 and no archive, not even a partial
# one. Runs package.sh on a crafted build folder with a stand-in ldd, dpkg
# or tar ahead of the real ones on PATH.
set -uo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
library=/usr/lib/x86_64-linux-gnu/libsfml-system.so.2.5
[ -f "$library" ] || { echo "skipped: $library is not installed"; exit 77; }
[ -f /usr/share/doc/fonts-dancingscript/copyright ] || { echo "skipped: fonts-dancingscript is not installed"; exit 77; }
command -v patchelf >/dev/null || { echo "skipped: patchelf is not installed"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
build=$work/build
mkdir -p "$build/show" "$work/bin"
cp /bin/true "$build/ostralis"
for i in $(seq 29); do : > "$build/show/picture$i.png"; done
for i in $(seq 7); do : > "$build/show/s${i}_shader.frag.txt"; done
: > "$build/show/angel6.mp3"
: > "$build/show/KGYouWontBringMeDown.ttf"
: > "$build/show/KGYouWontBringMeDownBold.ttf"
archive=$build/ostralis-linux-x86_64.tar.gz

failures=0
# check NAME EXPECTED_STATUS MESSAGE_PART: runs package.sh with the stand-ins in $work/bin.
check() {
  local name=$1 expected=$2 message=$3 status=0
  rm -f "$archive" "$archive.partial"
  PATH=$work/bin:$PATH "$here/scripts/package.sh" "$build" > "$work/out" 2> "$work/err" || status=$?
  local problem=""
  [ "$status" -eq "$expected" ] || problem="exit status $status, not $expected"
  grep -qF -- "$message" "$work/out" "$work/err" || problem="$problem; no line saying '$message'"
  if [ "$expected" -eq 0 ]; then
    [ -f "$archive" ] || problem="$problem; no archive"
  else
    [ ! -e "$archive" ] || problem="$problem; an archive was left"
  fi
  [ ! -e "$archive.partial" ] || problem="$problem; the partial archive was left"
  if [ -n "$problem" ]; then
    echo "FAILED $name: ${problem#; }"; sed 's/^/    /' "$work/out" "$work/err"; failures=$((failures + 1))
  else
    echo "ok $name"
  fi
}
stand_in() { printf '#!/bin/sh\n%s\n' "$2" > "$work/bin/$1"; chmod +x "$work/bin/$1"; }

stand_in ldd "echo '	libsfml-system.so.2.5 => $library (0x00007f0000000000)'"
check "a library the loader finds is bundled" 0 "bundling: libsfml-system.so.2.5"

stand_in ldd "echo '	libsfml-system.so.2.5 => $library (0x00007f0000000000)'; echo '	libopenal.so.1 => not found'"
check "a library the loader cannot find" 1 "finds no libopenal.so.1"

stand_in ldd "echo '	libsfml-system.so.2.5 => $library (0x00007f0000000000)'"
stand_in dpkg 'echo "dpkg-query: no path found matching pattern $2" >&2; exit 1'
check "a library that no package owns" 1 "no Debian package holds $library"
rm -f "$work/bin/dpkg"

stand_in tar 'echo "tar: write error" >&2; : > "$(echo "$@" | grep -o "[^ ]*\.partial")"; exit 2'
check "a tar that fails" 1 "tar could not write"

[ "$failures" -eq 0 ]
