#!/usr/bin/env bash
# Plays the Linux release as a viewer's machine would: the archive unpacked
# in a bare Debian 12 (scripts/bare-system.sh), the launcher started in a
# chroot from another folder, on a virtual display of its own. Checks that
# ldd finds every library, that the start-up lines are exact, that the first
# scene begins and that Escape ends the show with 0. Leaves nothing mounted.
#   scripts/test-bare-system.sh [BUILD_DIR]    exit 77: skipped, with the reason
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
name=ostralis-linux-x86_64

skip() { echo "skipped: $*"; exit 77; }
fail() { echo "FAILED: $*" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || skip "a chroot with its mounts needs root"
command -v debootstrap >/dev/null || skip "debootstrap is not installed"
for tool in Xvfb xdotool patchelf; do command -v $tool >/dev/null || skip "$tool is not installed"; done

started=$(date +%s)
scripts/package.sh "$build"
bare=$(scripts/bare-system.sh)
ready=$(date +%s)
echo "bare system ready in $((ready - started)) s (with the archive): $bare"

# Everything this run makes or mounts is undone on the way out, whatever happens.
work=$(mktemp -d /tmp/ostralis-bare.XXXXXX)
mounts=()
player_pid=""
job_pid=""
xvfb_pid=""
cleanup() {
  # The player first, by its own pid, and waited for: it holds the mounts.
  if [ -n "$player_pid" ]; then
    kill "$player_pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$player_pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$player_pid" 2>/dev/null || true
  fi
  [ -n "$job_pid" ] && { kill "$job_pid" 2>/dev/null; wait "$job_pid" 2>/dev/null; } || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  local i
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
    umount "${mounts[i]}" 2>/dev/null || umount -l "${mounts[i]}" 2>/dev/null || echo "cannot unmount ${mounts[i]}" >&2
  done
  # Never removes across a mount: the host's /dev is bound in there.
  if awk -v w="$work/" 'index($2 "/", w) == 1 { found = 1 } END { exit !found }' /proc/self/mounts; then
    echo "left $work in place: something is still mounted under it" >&2
  else
    rm -rf --one-file-system "$work"
  fi
}
trap cleanup EXIT
# Records a mount only when it was made.
on() { mount "$@" || return; mounts+=("${!#}"); }

# The cached system stays untouched: the run writes on an overlay of it, or
# on a copy where overlays cannot be mounted.
root=$work/root
mkdir -p "$work/upper" "$work/overlay-work" "$root"
if ! on -t overlay overlay -o "lowerdir=$bare,upperdir=$work/upper,workdir=$work/overlay-work" "$root" 2>/dev/null; then
  cp -a "$bare/." "$root/"
fi

# A virtual display of the show's size for this run alone.
Xvfb -displayfd 9 -screen 0 1280x720x24 -nolisten tcp -noreset 9>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 300); do [ -s "$work/display" ] && break; sleep 0.1; done
number=$(head -n1 "$work/display")
[ -n "$number" ] || fail "Xvfb gave no display number"
display=:$number

# The viewer's side: the archive unpacked in a home folder with the system's
# own tar, the display's socket, /proc and /dev bound in.
cp "$build/$name.tar.gz" "$root/tmp/"
mkdir -p "$root/home/viewer" "$root/tmp/.X11-unix"
chroot "$root" tar -xzf "/tmp/$name.tar.gz" -C /home/viewer
on -t proc proc "$root/proc"
on --bind /dev "$root/dev"
on --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
in_chroot() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/home/viewer DISPLAY="$display" "$@"; }

# ldd finds every library of the player's and of those it brings.
missing=$(in_chroot sh -c 'for f in /home/viewer/'"$name"'/bin/ostralis /home/viewer/'"$name"'/lib/*.so.*; do
  case "$f" in *.txt) continue ;; esac; ldd "$f" | sed "s|^|$f: |"; done' | grep 'not found' || true)
[ -z "$missing" ] || fail "libraries not found in the bare system:"$'\n'"$missing"
echo "ldd finds every library"

# Started from another folder than the show's, the launcher plays the show.
# The shell writes its pid and execs the launcher, which execs the player:
# that pid is the player's own (a chroot keeps the host's pids).
rm -f "$root/tmp/player.pid"
in_chroot sh -c "echo \$\$ > /tmp/player.pid && cd /home/viewer && exec ./$name/ostralis" > "$work/out.txt" 2> "$work/err.txt" &
job_pid=$!
for _ in $(seq 100); do [ -s "$root/tmp/player.pid" ] && break; sleep 0.1; done
player_pid=$(cat "$root/tmp/player.pid" 2>/dev/null || true)
[ -n "$player_pid" ] || fail "the player's pid was not written"
deadline=$((SECONDS + 180))
until grep -qx 'scene 01 loaded' "$work/out.txt"; do
  kill -0 "$player_pid" 2>/dev/null || { cat "$work/out.txt" "$work/err.txt" >&2; fail "the player ended before the first scene"; }
  [ $SECONDS -lt $deadline ] || { cat "$work/out.txt" "$work/err.txt" >&2; fail "the first scene did not begin in 180 s"; }
  sleep 0.2
done
sleep 1

# Escape, held down until the player has ended: it is looked at while an event is taken.
DISPLAY=$display xdotool keydown Escape
status=0
for _ in $(seq 300); do kill -0 "$player_pid" 2>/dev/null || break; sleep 0.1; done
DISPLAY=$display xdotool keyup Escape
if kill -0 "$player_pid" 2>/dev/null; then fail "Escape did not end the player"; fi
wait "$job_pid" || status=$?
player_pid=""
job_pid=""

expected=$'created render window\n\ngeneric data loaded\nBASS loaded\nWindow is active for OpenGL rendering\nClock restarted\nPlaying SYNC module\nscene 01 loaded'
actual=$(head -n 8 "$work/out.txt")
[ "$actual" = "$expected" ] || { cat "$work/out.txt" >&2; fail "the start-up lines differ"; }
[ "$status" -eq 0 ] || { cat "$work/err.txt" >&2; fail "the player ended with $status, not 0"; }
echo "the launcher played the show from /home/viewer and ended with 0 on Escape; standard error:"
sed 's/^/    /' "$work/err.txt"
echo "bare system test passed in $(( $(date +%s) - started )) s"
