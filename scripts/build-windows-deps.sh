#!/usr/bin/env bash
# Cross-builds, for Windows x86-64, the libraries the player links to, from
# Debian's own source packages: SFML (system, window, graphics, audio),
# FreeType, FLAC, Ogg and Vorbis as static libraries; OpenAL Soft and mpg123
# (LGPL) as DLLs. Nothing prebuilt is used.
#
# The result is cached outside the clone, in
#   ${OSTRALIS_CACHE:-/var/cache/ostralis}/mingw-deps-KEY
# where KEY hashes the source packages' versions, the compiler's version and
# this script with the toolchain file, so a clean clone reuses it and any
# change makes it anew. Sources unpack and build in build-windows/deps-src/
# (OSTRALIS_DEPS_WORK moves it).
# Prints the folder (include/, lib/, bin/, licences/) as its last line.
set -euo pipefail
# Its own path before the cd below: the cache key reads this script.
self=$(realpath "$0")
cd "$(dirname "$self")/.."
root=$(pwd)
toolchain=$root/cmake/mingw-w64-x86_64.cmake
cache_root=${OSTRALIS_CACHE:-/var/cache/ostralis}
mkdir -p "$cache_root" 2>/dev/null && [ -w "$cache_root" ] || cache_root=$HOME/.cache/ostralis
mkdir -p "$cache_root"
work=${OSTRALIS_DEPS_WORK:-$root/build-windows/deps-src}
mkdir -p "$work"
say() { echo "build-windows-deps: $*" >&2; }

# The source packages, by Debian's names.
packages=(libogg libvorbis flac freetype openal-soft mpg123 libsfml)

# A private apt configuration whose entries are the machine's own, turned
# into deb-src; the machine's sources are left as they are. Its lists live
# in the cache, so later runs only check them for changes.
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
apt_dir=$cache_root/apt-sources
mkdir -p "$apt_dir/parts" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
own_sources() {
  scripts/deb-src-entries.sh --list "$codename" /etc/apt/sources.list /etc/apt/sources.list.d/*.list \
    > "$apt_dir/parts/own.list"
  scripts/deb-src-entries.sh --sources "$codename" /etc/apt/sources.list.d/*.sources \
    > "$apt_dir/parts/own.sources"
}
own_sources
# A run cut short may have left the fallback entry below in place.
rm -f "$apt_dir/parts/next.sources"
# OpenAL Soft's bookworm release is missing from some mirrors: the next
# release's entry is there to fall back on, for that package alone.
sed "s/Suites:.*/Suites: trixie/" "$apt_dir/parts/own.sources" | awk 'BEGIN { RS = ""; ORS = "\n\n" } NR == 1' \
  > "$apt_dir/next.sources"
cat > "$apt_dir/apt.conf" <<EOF
Dir::Etc::SourceList "/dev/null";
Dir::Etc::SourceParts "$apt_dir/parts";
Dir::State::Lists "$apt_dir/lists";
Dir::Cache "$apt_dir/cache";
APT::Sandbox::User "root";
EOF
export APT_CONFIG=$apt_dir/apt.conf
apt-get update -qq >&2 || say "could not refresh the source lists; using the ones cached"

# The newest version of a source package in the lists.
source_version() {
  local newest="" version
  for version in $(apt-cache showsrc --only-source "$1" 2>/dev/null | sed -n 's/^Version: //p'); do
    if [ -z "$newest" ] || dpkg --compare-versions "$version" gt "$newest"; then newest=$version; fi
  done
  echo "$newest"
}
versions=""
for package in "${packages[@]}"; do
  version=$(source_version "$package")
  [ -n "$version" ] || { say "no source package $package in the lists"; exit 1; }
  versions="$versions $package=$version"
done
compiler=$(x86_64-w64-mingw32-g++-posix --version | head -n1)
key=$( { echo "$versions"; echo "$compiler"; cat "$self" "$toolchain"; } | sha256sum | cut -c1-16)
prefix=$cache_root/mingw-deps-$key
if [ -f "$prefix/.complete" ]; then
  say "cached: $prefix"
  echo "$prefix"
  exit 0
fi
# One build of a key at a time: another one waits here, then finds it done.
exec 8> "$prefix.lock"
if ! flock -n 8; then
  say "another build of $prefix is running; waiting for it"
  flock 8
fi
if [ -f "$prefix/.complete" ]; then
  say "cached: $prefix"
  echo "$prefix"
  exit 0
fi

say "building into $prefix:$versions"
start=$(date +%s)
# A build that was cut short goes on from the last library it finished.
staging=$prefix.partial
mkdir -p "$staging/licences"
jobs=$(nproc)

# Fetches a source package and unpacks it with Debian's patches applied, by
# hand: some mirrors lack an upstream signature file that dpkg-source would
# insist on. Sets $source_dir. Returns 1 where the mirror has no upstream
# tarball for it; a tarball that does not unpack or a patch that does not
# apply ends the build (the caller's "if !" would hide set -e's exit).
fetch() {
  local package=$1 version=$2 dir=$work/$1
  rm -rf "$dir"
  mkdir -p "$dir/download"
  # What the mirror lacks is found below; apt's own lines go to a log.
  (cd "$dir/download" && apt-get source --download-only -qq "$package=$version" > ../download.log 2>&1) || true
  local orig
  orig=$(ls "$dir"/download/*.orig.tar.* 2>/dev/null | grep '\.orig\.tar\.[a-z0-9]*$' | head -n1 || true)
  [ -n "$orig" ] || return 1
  mkdir -p "$dir/src"
  tar -xf "$orig" -C "$dir/src" --strip-components=1 || { say "cannot unpack $orig"; exit 1; }
  # Further upstream tarballs unpack into a folder named after their component.
  local part component
  for part in "$dir"/download/*.orig-*.tar.*; do
    case "$part" in *.asc|*"*"*) continue ;; esac
    component=${part##*.orig-}
    component=${component%%.tar.*}
    mkdir -p "$dir/src/$component"
    tar -xf "$part" -C "$dir/src/$component" --strip-components=1 || { say "cannot unpack $part"; exit 1; }
  done
  local debian patch
  debian=$(ls "$dir"/download/*.debian.tar.* 2>/dev/null | head -n1 || true)
  if [ -n "$debian" ]; then
    tar -xf "$debian" -C "$dir/src" || { say "cannot unpack $debian"; exit 1; }
    if [ -f "$dir/src/debian/patches/series" ]; then
      while read -r patch _; do
        patch -d "$dir/src" -p1 -s -N -t < "$dir/src/debian/patches/$patch" >&2 \
          || { say "Debian's patch $patch does not apply to $package $version"; exit 1; }
      done < <(grep -v '^\s*\(#\|$\)' "$dir/src/debian/patches/series")
    fi
    cp "$dir/src/debian/copyright" "$staging/licences/$package-${version#*:}.copyright" \
      || { say "$package has no debian/copyright"; exit 1; }
  fi
  source_dir=$dir/src
}

version_of() { echo "$versions" | tr ' ' '\n' | sed -n "s/^$1=//p"; }

# Whether a library is in the staging prefix already.
built() { [ -f "$staging/.built-$1" ]; }

# Builds and installs a CMake project into the staging prefix.
cmake_build() {
  local name=$1 src=$2
  shift 2
  cmake -S "$src" -B "$work/$name/build" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DOSTRALIS_WINDOWS_DEPS="$staging" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$staging" \
    -DCMAKE_POLICY_DEFAULT_CMP0074=NEW "$@" > "$work/$name.log" 2>&1 \
    && cmake --build "$work/$name/build" -j"$jobs" >> "$work/$name.log" 2>&1 \
    && cmake --install "$work/$name/build" >> "$work/$name.log" 2>&1 \
    || { tail -n 40 "$work/$name.log" >&2; say "$name failed to build"; exit 1; }
  touch "$staging/.built-$name"
}

# DLLs carry their own C and C++ runtime and threads: the zip needs nothing installed.
dll_flags="-static -static-libgcc -static-libstdc++"

build_libogg() {
  fetch libogg "$(version_of libogg)"
  cmake_build libogg "$source_dir" -DBUILD_SHARED_LIBS=OFF -DINSTALL_DOCS=OFF -DBUILD_TESTING=OFF
}

build_libvorbis() {
  fetch libvorbis "$(version_of libvorbis)"
  cmake_build libvorbis "$source_dir" -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTING=OFF
}

build_flac() {
  fetch flac "$(version_of flac)"
  cmake_build flac "$source_dir" -DBUILD_SHARED_LIBS=OFF -DBUILD_CXXLIBS=OFF -DBUILD_PROGRAMS=OFF \
    -DBUILD_EXAMPLES=OFF -DBUILD_TESTING=OFF -DBUILD_DOCS=OFF -DINSTALL_MANPAGES=OFF -DWITH_OGG=ON \
    -DWITH_STACK_PROTECTOR=OFF
}

# Without zlib, bzip2, PNG, HarfBuzz or Brotli: the show's fonts are plain TrueType.
build_freetype() {
  fetch freetype "$(version_of freetype)"
  cmake_build freetype "$source_dir" -DBUILD_SHARED_LIBS=OFF -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON \
    -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
}

build_openal_soft() {
  local version
  version=$(version_of openal-soft)
  if ! fetch openal-soft "$version"; then
    cp "$apt_dir/next.sources" "$apt_dir/parts/next.sources"
    apt-get update -qq >&2 || true
    version=$(source_version openal-soft)
    say "openal-soft's $codename source is not on this mirror; using $version"
    fetch openal-soft "$version" || { rm -f "$apt_dir/parts/next.sources"; say "no openal-soft source"; exit 1; }
    rm -f "$apt_dir/parts/next.sources"
  fi
  # Without Debian's packaging (some mirrors lack it too), the upstream
  # licence stands for its copyright file.
  if [ -d "$source_dir/debian" ]; then
    echo "openal-soft $version" > "$staging/licences/openal-soft.source"
  else
    cp "$source_dir/COPYING" "$staging/licences/openal-soft-${version#*:}.copyright"
    echo "openal-soft $version, its upstream tarball" > "$staging/licences/openal-soft.source"
  fi
  cmake_build openal-soft "$source_dir" -DLIBTYPE=SHARED -DALSOFT_UTILS=OFF -DALSOFT_EXAMPLES=OFF \
    -DALSOFT_TESTS=OFF -DALSOFT_NO_CONFIG_UTIL=ON -DALSOFT_INSTALL_EXAMPLES=OFF -DALSOFT_INSTALL_UTILS=OFF \
    -DALSOFT_BACKEND_SNDIO=OFF -DALSOFT_BACKEND_PORTAUDIO=OFF -DALSOFT_BACKEND_JACK=OFF \
    -DALSOFT_BACKEND_PIPEWIRE=OFF -DALSOFT_BACKEND_PULSEAUDIO=OFF -DALSOFT_BACKEND_SDL2=OFF \
    -DALSOFT_REQUIRE_WASAPI=OFF -DCMAKE_SHARED_LINKER_FLAGS="$dll_flags"
}

build_mpg123() {
  local version
  version=$(version_of mpg123)
  fetch mpg123 "$version"
  echo "mpg123 $version" > "$staging/licences/mpg123.source"
  cmake_build mpg123 "$source_dir/ports/cmake" -DBUILD_SHARED_LIBS=ON -DBUILD_PROGRAMS=OFF \
    -DBUILD_LIBOUT123=OFF -DCMAKE_SHARED_LINKER_FLAGS="$dll_flags"
}

build_libsfml() {
  fetch libsfml "$(version_of libsfml)"
  cmake_build libsfml "$source_dir" -DBUILD_SHARED_LIBS=OFF -DSFML_USE_SYSTEM_DEPS=ON \
    -DSFML_BUILD_NETWORK=OFF -DSFML_BUILD_EXAMPLES=OFF -DSFML_BUILD_DOC=OFF \
    -DSFML_INSTALL_PKGCONFIG_FILES=OFF -DSFML_USE_STATIC_STD_LIBS=ON
  # SFML names the GL import library as Windows spells it; MinGW's is lower case.
  sed -i 's/"OpenGL32"/"opengl32"/' "$staging/lib/cmake/SFML/SFMLConfigDependencies.cmake"
}

# In dependency order: SFML last.
for package in "${packages[@]}"; do
  built "$package" && continue
  say "$package"
  step=$(date +%s)
  "build_${package//-/_}"
  say "$package built in $(( $(date +%s) - step )) s"
done

# Only what the player links to or ships is kept.
rm -rf "$staging/share/doc" "$staging/share/man"
touch "$staging/.complete"
rm -rf "$prefix"
mv "$staging" "$prefix"
say "built in $(( $(date +%s) - start )) s"
echo "$prefix"
