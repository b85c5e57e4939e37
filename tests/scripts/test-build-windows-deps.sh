#!/usr/bin/env bash
# The Windows libraries' build, with stand-ins for apt, the cross compiler
# and CMake on PATH and a cache of its own, so nothing is fetched or built:
# the machine's source entries become valid deb-src entries, whatever their
# Types listed; the script runs by a relative path from another folder; a
# Debian patch that does not apply ends the build before anything is
# compiled; a second build of the same key waits for the first and uses it.
set -uo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
for tool in flock dpkg; do command -v $tool >/dev/null || { echo "skipped: no $tool"; exit 77; }; done
work=$(mktemp -d)
trap 'kill $holder 2>/dev/null; rm -rf "$work"' EXIT
holder=""
failures=0
ok() { echo "ok $1"; }
bad() { echo "FAILED $1"; [ -f "$work/err" ] && sed 's/^/    /' "$work/err"; failures=$((failures + 1)); }

# Source entries: deb822 stanzas and one-line entries.
cat > "$work/a.sources" <<'S'
Types: deb deb-src
URIs: file:/srv/mirror-deb/debian
Suites: bookworm bookworm-updates
Components: main

Types: deb
URIs: file:/srv/mirror-old/debian
Suites: bullseye
Components: main

Types: deb
URIs: file:/srv/mirror-off/debian
Suites: bookworm
Enabled: no

# a comment first
Types: deb
URIs: file:/srv/mirror-second/debian
Suites: bookworm
Components: main
S
printf 'deb file:/srv/mirror-one/debian bookworm main\ndeb-src file:/srv/mirror-one/debian bookworm main\ndeb file:/srv/mirror-old/debian bullseye main\n' > "$work/a.list"
stanzas=$("$here/scripts/deb-src-entries.sh" --sources bookworm "$work/a.sources")
expected='Types: deb-src
URIs: file:/srv/mirror-deb/debian
Suites: bookworm bookworm-updates
Components: main

# a comment first
Types: deb-src
URIs: file:/srv/mirror-second/debian
Suites: bookworm
Components: main'
[ "$stanzas" = "$expected" ] && ok "deb822 entries become deb-src stanzas" || { bad "deb822 entries become deb-src stanzas"; printf '%s\n' "$stanzas" | sed 's/^/    got: /'; }
lines=$("$here/scripts/deb-src-entries.sh" --list bookworm "$work/a.list" "$work/none.list")
[ "$lines" = "deb-src file:/srv/mirror-one/debian bookworm main" ] && ok "one-line entries become deb-src, once each" \
  || { bad "one-line entries become deb-src, once each"; echo "    got: $lines"; }

# The stand-ins. apt-get source hands out a tarball and Debian's packaging
# with a patch that cannot apply; CMake records that it ran.
bin=$work/bin
mkdir -p "$bin" "$work/pkg/src" "$work/pkg/debian/patches"
echo "int x;" > "$work/pkg/src/a.c"
tar -czf "$work/orig.tar.gz" -C "$work/pkg" src
printf 'broken.patch\n' > "$work/pkg/debian/patches/series"
printf -- '--- a/a.c\n+++ b/a.c\n@@ -1 +1 @@\n-int y;\n+int z;\n' > "$work/pkg/debian/patches/broken.patch"
echo "copyright" > "$work/pkg/debian/copyright"
tar -czf "$work/debian.tar.gz" -C "$work/pkg" debian
cat > "$bin/apt-get" <<S
#!/bin/sh
case "\$*" in *source*) [ -f "$work/no-source" ] && exit 100
  cp "$work/orig.tar.gz" pkg_1.0.orig.tar.gz; cp "$work/debian.tar.gz" pkg_1.0-1.debian.tar.gz ;; esac
exit 0
S
printf '#!/bin/sh\necho "Version: 1.0-1"\n' > "$bin/apt-cache"
printf '#!/bin/sh\necho "x86_64-w64-mingw32-g++-posix (stand-in) 12"\n' > "$bin/x86_64-w64-mingw32-g++-posix"
printf '#!/bin/sh\ntouch "%s/cmake-ran"\nexit 1\n' "$work" > "$bin/cmake"
chmod +x "$bin"/*
export OSTRALIS_CACHE=$work/cache OSTRALIS_DEPS_WORK=$work/deps-src PATH=$bin:$PATH

# By a relative path from another folder, one that means nothing from the
# repository's root. Without a source for the first library the build stops
# at once, having named its prefix.
touch "$work/no-source"
(cd "$here/tests" && ../scripts/build-windows-deps.sh) > /dev/null 2> "$work/err"
prefix=$(sed -n 's/^build-windows-deps: building into \([^:]*\):.*/\1/p' "$work/err")
[ -n "$prefix" ] && ok "runs by a relative path from another folder" || bad "runs by a relative path from another folder"
rm -f "$work/no-source"

if [ -n "$prefix" ]; then
  # The libraries before OpenAL Soft count as built; its patch fails.
  for done in libogg libvorbis flac freetype; do touch "$prefix.partial/.built-$done"; done
  status=0
  "$here/scripts/build-windows-deps.sh" > /dev/null 2> "$work/err" || status=$?
  if [ "$status" -ne 0 ] && grep -q "patch broken.patch does not apply" "$work/err" && [ ! -e "$work/cmake-ran" ]; then
    ok "a patch that does not apply ends the build"
  else
    bad "a patch that does not apply ends the build (status $status)"
  fi

  # Another build holds the key's lock and finishes it meanwhile.
  flock "$prefix.lock" sh -c "touch '$work/held'; sleep 3; mkdir -p '$prefix'; touch '$prefix/.complete'" &
  holder=$!
  for _ in $(seq 100); do [ -e "$work/held" ] && break; sleep 0.05; done
  rm -f "$work/cmake-ran"
  out=$("$here/scripts/build-windows-deps.sh" 2> "$work/err"); status=$?
  wait "$holder"; holder=""
  if [ "$status" -eq 0 ] && [ "$out" = "$prefix" ] && grep -q "waiting for it" "$work/err" && ! grep -q "building into" "$work/err"; then
    ok "a second build waits for the first and uses it"
  else
    bad "a second build waits for the first and uses it (status $status)"
  fi
fi
[ "$failures" -eq 0 ]
