#!/usr/bin/env bash
# Tries Lumora under a Wayland compositor: weston nested in a virtual X
# display, which gives it a keyboard and a pointer (Qt 6.4's Wayland plugin
# crashes while painting under a compositor without an input seat, so this
# is no test for a headless CI). Pictures go to build/wayland/.
# Usage: bash scripts/try-wayland.sh [BOOKS.sjk PASSWORD]
#   with books and the password of their first user, it logs in as well.
set -uo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
out=$src/build/wayland
books=${1:-$src/build/pondo-empty.sjk}
password=${2:-}
for tool in weston Xvfb xdotool import; do
    command -v $tool >/dev/null || { echo "try-wayland: $tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done
[ -x "$src/build/Lumora" ] || { echo "try-wayland: build first (scripts/build.sh)" >&2; exit 1; }

work=$(mktemp -d)
mkdir -p "$work/prog/Database" "$work/run" "$out"
chmod 700 "$work/run"
cp "$src/build/Lumora" "$work/prog/"
cp "$books" "$work/prog/Database/pondo.sjk"
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
    sleep 0.5
    rm -rf "$work"
}
trap cleanup EXIT
display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
pids+=($!)
sleep 1
export XDG_RUNTIME_DIR=$work/run
DISPLAY=$display weston --backend=x11-backend.so --width=960 --height=700 --socket=lumora-try \
    >"$work/weston.log" 2>&1 &
pids+=($!)
sleep 3
run() { WAYLAND_DISPLAY=lumora-try QT_QPA_PLATFORM=wayland "$work/prog/Lumora" "$@"; }
shot() { DISPLAY=$display import -window root "$out/$1.png" && echo "picture: $out/$1.png"; }
key() { DISPLAY=$display xdotool "$@"; }
failed=0
verdict() { if [ "$2" = 0 ]; then echo "PASS  $1"; else echo "FAIL  $1"; failed=1; fi; }

run >"$work/first.log" 2>&1 &
first=$!
pids+=($first)
sleep 4
shot login
kill -0 $first 2>/dev/null
verdict "login dialog under Wayland" $?
if [ -n "$password" ]; then
    key type "$password"
    key key Return
    sleep 3
    shot main
    kill -0 $first 2>/dev/null
    verdict "main window under Wayland (see main.png: rounded, see-through corners)" $?
fi
run >"$work/second.log" 2>&1 &
second=$!
pids+=($second)
sleep 3
shot second-start
kill -0 $second 2>/dev/null
verdict "a second start without an activation token says Lumora is running" $?
key key Return
sleep 1
! kill -0 $second 2>/dev/null
verdict "the second copy ends after the box" $?
exit $failed
