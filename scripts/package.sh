#!/usr/bin/env bash
# Makes build/ostralis-linux-x86_64.tar.gz: the player, the show directory,
# a short text on how to run it and the licences of what it ships.
# Usage: scripts/package.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
name=ostralis-linux-x86_64
archive=$build/$name.tar.gz

fail() { echo "package.sh: $*" >&2; exit 1; }

# Everything the show reads must be there: 29 pictures, two fonts, seven shaders, the music.
[ -x "$build/ostralis" ] || fail "no player at $build/ostralis: build first (scripts/build.sh)"
show=$build/show
[ "$(ls "$show"/*.png 2>/dev/null | wc -l)" -eq 29 ] || fail "$show does not hold the 29 pictures"
[ "$(ls "$show"/*.txt 2>/dev/null | grep -c '_shader\.')" -eq 7 ] || fail "$show does not hold the 7 shaders"
for file in angel6.mp3 KGYouWontBringMeDown.ttf KGYouWontBringMeDownBold.ttf; do
  [ -f "$show/$file" ] || fail "$show has no $file"
done

staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
root=$staging/$name
mkdir -p "$root/show" "$root/licences"
cp "$build/ostralis" "$root/"
cp "$show"/*.png "$show"/*_shader.*.txt "$show"/angel6.mp3 "$show"/KGYouWontBringMeDown*.ttf "$root/show/"

# The fonts are Comic Neue under the names the show reads.
cp /usr/share/doc/fonts-comic-neue/copyright "$root/licences/Comic-Neue.txt"
if [ -f LICENSE ]; then cp LICENSE "$root/licences/Ostralis.txt"; fi

# The shared libraries the player links to directly, as Debian names their packages.
packages=""
for library in $(objdump -p "$build/ostralis" | awk '/NEEDED/ {print $2}'); do
  path=$(ldd "$build/ostralis" | awk -v lib="$library" '$1 == lib {print $3}')
  [ -n "$path" ] || continue
  owner=$( (dpkg -S "$path" || dpkg -S "/usr$path" || dpkg -S "$(realpath "$path")") 2>/dev/null | head -n1 | cut -d: -f1) || true
  case "$owner" in ""|libc6|libgcc-s1|libstdc++6) ;; *) packages="$packages $owner" ;; esac
done
packages=$(echo "$packages" | tr ' ' '\n' | sort -u | tr '\n' ' ' | sed 's/^ *//; s/ *$//')

cat > "$root/README.txt" <<EOF
Ostralis
========

A real-time show of twelve scenes, about two and a half minutes, with its
music, full screen at 1280 x 720. Every picture and the music were made by
the show's own generator.

Running it (Linux, x86-64, an X display with OpenGL and shaders):

    cd $name/show
    ../ostralis

The player reads its files from the directory it runs in, so start it from
show/ as above. Escape ends the show early. Without a sound device it plays
silently.

It needs these Debian 12 packages:

    sudo apt-get install $packages

Licences of what this archive ships are in licences/: the two fonts are
Comic Neue (SIL Open Font License), renamed to the names the show reads.
EOF

# A reproducible archive: sorted names, one owner, one date.
tmp=$archive.partial
tar --sort=name --owner=0 --group=0 --numeric-owner --mtime='2026-01-01 00:00Z' \
  -C "$staging" -czf "$tmp" "$name"
mv "$tmp" "$archive"
echo "package.sh: wrote $archive ($(du -h "$archive" | cut -f1))"
