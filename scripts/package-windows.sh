#!/usr/bin/env bash
# Makes build-windows/ostralis-windows-x86_64.zip: the Windows x86-64 player,
# cross-built on Debian with MinGW-w64, with the two DLLs it ships, every
# file the show reads (forged by the Linux build: the forge runs natively),
# a README.txt and the licences of what it ships.
#   scripts/package-windows.sh
# Installs what it needs, builds the libraries once (cached outside the
# clone, see scripts/build-windows-deps.sh), then the player.
set -euo pipefail
cd "$(dirname "$0")/.."
name=ostralis-windows-x86_64
out=build-windows
archive=$out/$name.zip

fail() { echo "package-windows.sh: $*" >&2; exit 1; }

# The cross toolchain, the tools to fetch and unpack Debian's sources, zip,
# and Wine for the tests that run the player.
packages=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-common
          dpkg-dev cmake make patch xz-utils bzip2 zip unzip wine64)
scripts/install-deps.sh "${packages[@]}"

# The show's files come from the Linux build.
show=build/show
if [ "$(ls "$show"/*.png 2>/dev/null | wc -l)" -ne 29 ] || [ ! -f "$show/angel6.mp3" ]; then
  scripts/build.sh
fi
[ "$(ls "$show"/*.png 2>/dev/null | wc -l)" -eq 29 ] || fail "$show does not hold the 29 pictures"
[ "$(ls "$show"/*_shader.*.txt 2>/dev/null | wc -l)" -eq 7 ] || fail "$show does not hold the 7 shaders"
for file in angel6.mp3 KGYouWontBringMeDown.ttf KGYouWontBringMeDownBold.ttf; do
  [ -f "$show/$file" ] || fail "$show has no $file"
done

# The libraries, then the player.
mkdir -p "$out"
deps=$(scripts/build-windows-deps.sh | tail -n1)
[ -f "$deps/.complete" ] || fail "the Windows libraries were not built"
log=$out/build.log
# Libraries built anew land in a folder of another key: what CMake found
# in the old one is forgotten.
if [ -f "$out/CMakeCache.txt" ] && ! grep -q "^OSTRALIS_WINDOWS_DEPS:[A-Z]*=$deps\$" "$out/CMakeCache.txt"; then
  rm -rf "$out/CMakeCache.txt" "$out/CMakeFiles"
fi
cmake -S . -B "$out" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
  -DOSTRALIS_WINDOWS_DEPS="$deps" > "$log" 2>&1 || { cat "$log"; exit 1; }
cmake --build "$out" -j"$(nproc)" --target ostralis >> "$log" 2>&1 || { tail -n 60 "$log"; exit 1; }

staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
root=$staging/$name
mkdir -p "$root/licences"

# The player and the DLLs of ours it imports, stripped of their symbols.
cp "$out/ostralis.exe" "$root/"
for dll in $(x86_64-w64-mingw32-objdump -p "$root/ostralis.exe" | sed -n 's/.*DLL Name: //p'); do
  if [ -f "$deps/bin/$dll" ]; then cp "$deps/bin/$dll" "$root/"; fi
done
x86_64-w64-mingw32-strip --strip-unneeded "$root"/*.exe "$root"/*.dll

# Every file the show reads, beside the exe: Windows starts a program that
# is double-clicked in its own folder.
cp "$show"/*.png "$show"/*_shader.*.txt "$show"/angel6.mp3 "$show"/KGYouWontBringMeDown*.ttf "$root/"

# The licences: the fonts, every library linked in or shipped (Debian's
# copyright file of its source package, named by package and version), and
# the MinGW-w64 runtime linked into the exe.
cp /usr/share/doc/fonts-dancingscript/copyright "$root/licences/Dancing-Script.txt"
for licence in "$deps"/licences/*.copyright; do
  cp "$licence" "$root/licences/$(basename "$licence" .copyright).txt"
done
cp /usr/share/doc/mingw-w64-common/copyright "$root/licences/mingw-w64-runtime.txt"
# Debian's copyright files name the LGPL by its path on a Debian system: its text ships too.
cp /usr/share/common-licenses/LGPL-2.1 "$root/licences/LGPL-2.1.txt"
if [ -f LICENSE ]; then cp LICENSE "$root/licences/Ostralis.txt"; fi
openal_source=$(cat "$deps/licences/openal-soft.source")
mpg123_source=$(cat "$deps/licences/mpg123.source")
openal_dll=$(cd "$root" && ls *OpenAL*.dll)
mpg123_dll=$(cd "$root" && ls *mpg123*.dll)

# Notepad wants CR LF line ends.
sed 's/$/\r/' > "$root/README.txt" <<EOF
Ostralis
========

A real-time show of twelve scenes, about two and a half minutes, with its
music, full screen at 1280 x 720. Every picture and the music were made by
the show's own generator.

Running it (Windows, 64-bit, OpenGL with shaders):

    Unzip the whole folder, then double-click ostralis.exe.

The player reads its files from the folder it is started in (the working
folder), not from the folder of ostralis.exe: double-click it here, start it
from a console in this folder, or give a shortcut this folder as its
"Start in". Started elsewhere, it names the folder it read and how many of
its files were missing there. It is a console program: its few progress
lines appear in the console window it opens; when it fails in a console of
its own, it waits for a key before that window closes. Escape ends the show
early. Without a sound device it plays silently.

What is here:

    ostralis.exe          the player (C and C++ runtimes linked in)
$(printf '    %-21s OpenAL Soft, the sound output\n' "$openal_dll")
$(printf '    %-21s mpg123, the MP3 decoder\n' "$mpg123_dll")
    *.png, *.txt, *.ttf   the pictures, shaders and fonts of the show
    angel6.mp3            the music
    licences\\             the licences of everything shipped

The two DLLs are LGPL libraries (licences\LGPL-2.1.txt), built unchanged
from Debian's source packages:

    $openal_source
    $mpg123_source

Other builds of the same libraries may replace them. SFML, FreeType, FLAC,
Ogg and Vorbis are linked into the player; their licences are in licences\\.
The fonts are Dancing Script (SIL Open Font License), renamed to the names the
show reads.
EOF

# A reproducible zip: sorted names, one date, no extra attributes.
find "$staging" -exec touch -h -d '2026-01-01 00:00Z' {} +
(cd "$staging" && find "$name" | LC_ALL=C sort | TZ=UTC zip -q -X -9 -@ "$name.zip")
mv "$staging/$name.zip" "$archive"
echo "$archive: $(du -h "$archive" | cut -f1), $(unzip -Z1 "$archive" | grep -vc '/$') files"
