#!/usr/bin/env bash
# Makes, once per machine, a bare Debian 12 as a viewer's desktop would have
# it: debootstrap's minimal base plus only GL, the X client libraries, udev,
# ALSA and zlib. It is kept in a cache outside the clone, keyed by the
# package list and this script's version, and its path is printed.
#   scripts/bare-system.sh          (as root; OSTRALIS_CACHE moves the cache)
set -euo pipefail

version=1
suite=bookworm
packages=libgl1,libgl1-mesa-dri,libx11-6,libxrandr2,libxext6,libxrender1,libudev1,libasound2,zlib1g
cache=${OSTRALIS_CACHE:-/var/cache/ostralis}

fail() { echo "bare-system.sh: $*" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || fail "making a chroot needs root"
command -v debootstrap >/dev/null || fail "debootstrap is not installed"

key=$(printf '%s\n' "$version" "$suite" "$packages" | sha256sum | cut -c1-16)
root=$cache/bare-debian12-$key
if [ -e "$root/.complete" ]; then
  echo "$root"
  exit 0
fi

# The archive this machine's own apt reads from: the first Debian mirror of
# its sources that is not the security archive.
mirror() {
  local file uri
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    uri=$(awk 'tolower($1) == "uris:" { for (i = 2; i <= NF; i++) print $i }' "$file" | grep -v security | head -n1)
    [ -n "$uri" ] && { echo "$uri"; return; }
  done
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$file" ] || continue
    uri=$(awk '$1 == "deb" { for (i = 2; i <= NF; i++) if ($i !~ /^\[/ && $i ~ /:\/\//) { print $i; break } }' "$file" \
      | grep -v security | head -n1)
    [ -n "$uri" ] && { echo "$uri"; return; }
  done
}
source_uri=$(mirror)
[ -n "$source_uri" ] || fail "no Debian mirror found in this machine's apt sources"

# One maker at a time; whoever waited finds it made.
mkdir -p "$cache"
exec 9>"$cache/.lock"
flock 9
if [ ! -e "$root/.complete" ]; then
  started=$(date +%s)
  work=$cache/.making-$key
  rm -rf "$work"
  echo "bare-system.sh: making a bare Debian 12 in $root (once per machine)" >&2
  debootstrap --variant=minbase --include="$packages" "$suite" "$work" "$source_uri" > "$cache/debootstrap-$key.log" 2>&1 \
    || { tail -n 20 "$cache/debootstrap-$key.log" >&2; rm -rf "$work"; fail "debootstrap failed"; }
  # Nothing of the machine it was made on is needed inside: no apt lists, no downloads.
  rm -rf "$work/var/cache/apt/archives/"*.deb "$work/var/lib/apt/lists/"*
  touch "$work/.complete"
  rm -rf "$root"
  mv "$work" "$root"
  echo "bare-system.sh: made in $(( $(date +%s) - started )) s" >&2
fi
echo "$root"
