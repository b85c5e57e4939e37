#!/usr/bin/env bash
# Makes build/ostralis-linux-x86_64.tar.gz, an archive that plays on a Linux
# machine that has never seen our build: the player, every shared library it
# needs beyond what any desktop Linux has, each with its licence beside it,
# the show directory, a launcher and a short text on how to run it.
# Usage: scripts/package.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
name=ostralis-linux-x86_64
archive=$build/$name.tar.gz

fail() { echo "package.sh: $*" >&2; exit 1; }
command -v patchelf >/dev/null || fail "patchelf is not installed (scripts/install-deps.sh)"

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
mkdir -p "$root/bin" "$root/lib/fallback" "$root/show" "$root/licences"
cp "$build/ostralis" "$root/bin/"
cp "$show"/*.png "$show"/*_shader.*.txt "$show"/angel6.mp3 "$show"/KGYouWontBringMeDown*.ttf "$root/show/"

# What any desktop Linux has, and what must come from it: glibc and its
# loader, GL with its dispatch and driver, the X client libraries, udev,
# ALSA and zlib. Everything else the player loads comes along.
system_library() {
  case "$1" in
    ld-linux*|libc.so.*|libm.so.*|libdl.so.*|libpthread.so.*|librt.so.*|libresolv.so.*) return 0 ;;
    libGL.so.*|libGLX.so.*|libGLdispatch.so.*|libOpenGL.so.*|libEGL.so.*) return 0 ;;
    libX11.so.*|libX11-xcb.so.*|libxcb*.so.*|libXau.so.*|libXdmcp.so.*|libXext.so.*|libXrandr.so.*|libXrender.so.*) return 0 ;;
    libudev.so.*|libasound.so.*|libz.so.*) return 0 ;;
  esac
  return 1
}
# libstdc++ and libgcc_s come along too, but the launcher uses them only on
# a system whose own are older than the player needs: a newer system's GL
# driver may itself need its newer libstdc++, and only one can be loaded.
fallback_library() {
  case "$1" in libstdc++.so.*|libgcc_s.so.*) return 0 ;; esac
  return 1
}

# The Debian package that holds a library file.
# Prints nothing, and succeeds, where no package holds it.
owner_of() {
  local path=$1
  { (dpkg -S "$path" || dpkg -S "$(realpath "$path")" || dpkg -S "/usr$path") 2>/dev/null || true; } \
    | head -n1 | cut -d: -f1
}

# Writes the library's licence beside it: its Debian copyright file, after
# a line on where its source is.
write_licence() {
  local soname=$1 path=$2 dir=$3 package source version copyright
  package=$(owner_of "$path")
  [ -n "$package" ] || fail "no Debian package holds $path"
  source=$(dpkg-query -W -f='${source:Package}' "$package")
  version=$(dpkg-query -W -f='${source:Version}' "$package")
  copyright=$(realpath "/usr/share/doc/$package/copyright" 2>/dev/null || true)
  [ -f "$copyright" ] || fail "no licence found for $package"
  {
    echo "$soname comes from Debian 12's package $package, built from Debian's"
    echo "source package $source, version $version (apt-get source $source=$version)."
    if grep -q 'LGPL\|Lesser General Public' "$copyright"; then
      echo "It is under the GNU Lesser General Public License and ships as a shared"
      echo "library: you may replace it with your own build of that source."
    fi
    echo
    cat "$copyright"
  } > "$dir/$soname.licence.txt"
}

# Every library the player loads, as the loader finds it here; one it
# cannot find would be missing from the archive too.
libraries=$(ldd "$build/ostralis") || fail "ldd cannot read $build/ostralis"
unfound=$(awk '$2 == "=>" && $3 == "not" { print $1 }' <<< "$libraries" | tr '\n' ' ')
[ -z "$unfound" ] || fail "the loader finds no ${unfound% } for $build/ostralis"
bundled=""
while read -r soname path; do
  [ -n "$path" ] && [ -f "$path" ] || continue
  system_library "$soname" && continue
  dir=$root/lib
  fallback_library "$soname" && dir=$root/lib/fallback
  cp -L "$path" "$dir/$soname"
  chmod 0644 "$dir/$soname"
  write_licence "$soname" "$path" "$dir"
  bundled="$bundled $soname"
done < <(awk '$2 == "=>" && $3 ~ /^\// {print $1, $3}' <<< "$libraries" | sort)
[ -n "$bundled" ] || fail "ldd found no library of the player's"

# The player finds the bundled libraries beside it, and each of them the
# others, by their own folder ($ORIGIN) rather than the system's.
patchelf --set-rpath '$ORIGIN/../lib' "$root/bin/ostralis"
for library in "$root"/lib/*.so.*; do
  case "$library" in *.txt) continue ;; esac
  patchelf --set-rpath '$ORIGIN' "$library"
done

# The newest glibc and libstdc++ versions that anything here asks for.
newest_version() {
  local prefix=$1
  find "$root/bin" "$root/lib" -type f ! -name '*.txt' | sort | while read -r file; do
    objdump -T "$file" 2>/dev/null | awk '/\*UND\*/' | grep -o "${prefix}_[0-9.]*[0-9]" || true
  done | sed "s/^${prefix}_//" | sort -uV | tail -n1
}
glibc=$(newest_version GLIBC)
glibcxx=$(newest_version GLIBCXX)
[ -n "$glibc" ] && [ -n "$glibcxx" ] || fail "cannot tell which glibc and libstdc++ the player needs"

# Distributions whose glibc is at least the one needed.
distributions=$(awk -v need="$glibc" '
  function newer(a, b,   x, y) { split(a, x, "."); split(b, y, ".");
    return x[1] > y[1] || (x[1] == y[1] && x[2] + 0 >= y[2] + 0) }
  newer($1, need) { $1 = ""; sub(/^ /, ""); list = list (list ? ", " : "") $0 }
  END { print list }' <<'TABLE'
2.28 Debian 10
2.28 RHEL 8 and its rebuilds
2.31 Debian 11
2.31 Ubuntu 20.04
2.34 RHEL 9 and its rebuilds
2.35 Ubuntu 22.04
2.36 Debian 12
2.36 Fedora 37
2.39 Ubuntu 24.04
TABLE
)

# The launcher: starts the show from any working directory.
cat > "$root/ostralis" <<LAUNCHER
#!/bin/sh
# Starts Ostralis from wherever it is called. The player reads its files by
# bare name from show/, beside this script.
here=\$(dirname "\$(readlink -f "\$0")")

# The system's own libstdc++ unless it is older than the player needs (it
# asks for GLIBCXX_$glibcxx): then the one in lib/fallback.
system=\$( (ldconfig -p || /sbin/ldconfig -p) 2>/dev/null | awk '\$1 == "libstdc++.so.6" && /x86-64/ { print \$NF; exit }')
if [ -z "\$system" ] || ! grep -q -F "GLIBCXX_$glibcxx" "\$system" 2>/dev/null; then
  LD_LIBRARY_PATH="\$here/lib/fallback\${LD_LIBRARY_PATH:+:\$LD_LIBRARY_PATH}"
  export LD_LIBRARY_PATH
fi

cd "\$here/show" || exit 1
exec "\$here/bin/ostralis" "\$@"
LAUNCHER
chmod 0755 "$root/ostralis"

# The fonts are Dancing Script under the names the show reads.
cp /usr/share/doc/fonts-dancingscript/copyright "$root/licences/Dancing-Script.txt"
if [ -f LICENSE ]; then cp LICENSE "$root/licences/Ostralis.txt"; fi

cat > "$root/README.txt" <<EOF
Ostralis
========

A real-time show of twelve scenes, about two and a half minutes, with its
music, full screen at 1280 x 720. Every picture and the music were made by
the show's own generator.

Running it
----------

Unpack the archive anywhere and start the launcher at its root, from any
folder:

    $name/ostralis

Escape ends the show early. Nothing needs to be installed: the libraries
the player needs beyond a desktop's own come with it, in lib/.

What it needs
-------------

- Linux on x86-64 with glibc $glibc or newer: for example $distributions, or newer releases.
- An X display (an X11 desktop, or Xwayland under Wayland) with OpenGL
  and GLSL shaders: any desktop's Mesa or vendor driver will do.
- The screen: the show plays full screen at 1280 x 720 where the screen
  offers that mode. On any other screen it keeps the screen's own mode and
  shows the whole picture scaled to fit, with black bars where the shape
  differs.
- The sound: the default output of the system (ALSA, or PulseAudio or
  PipeWire through it). Without a sound device the show plays silently.
- From the desktop itself: glibc, libGL and its driver, libX11 and the X
  client libraries (libXrandr, libXext, libXrender), libudev, ALSA's
  libasound and zlib.

What is inside
--------------

- ostralis: the launcher; bin/ostralis: the player, which reads its files
  from show/.
- lib/: the libraries that come with the player (SFML, OpenAL, mpg123,
  FreeType and theirs), each with its licence and source beside it
  (lib/NAME.licence.txt). The LGPL ones are shared libraries that you may
  replace. lib/fallback/ holds libstdc++ and libgcc_s, used only where the
  system's own are older than the player needs.
- licences/: the two fonts are Dancing Script (SIL Open Font License), renamed
  to the names the show reads.
EOF

# A reproducible archive: sorted names, one owner, one date.
tmp=$archive.partial
trap 'rm -rf "$staging"; rm -f "$tmp"' EXIT
tar --sort=name --owner=0 --group=0 --numeric-owner --mtime='2026-01-01 00:00Z' \
  -C "$staging" -czf "$tmp" "$name" || fail "tar could not write $archive"
mv "$tmp" "$archive" || fail "could not move $tmp to $archive"
echo "package.sh: wrote $archive ($(du -h "$archive" | cut -f1)), bundling:$bundled"
