#!/usr/bin/env bash
# F11 seen from outside the program: kelvra.exe runs under Wine on a private Xvfb of the
# monitor's size, and bench/win/framewatch.c grabs the screen every few milliseconds while F11 is
# pressed, in and out of full screen in turn. For each press it prints the frames the screen showed
# and when the last one came; a frame between the picture before the key and the one at the end
# is one the audience should not see (BLANK: mostly the empty grey).
# Usage: bench/win/f11.sh [--presses=N] [--exe=PATH]
#   --presses=N  presses of F11 (default 6: three in, three out)
# A 4K screen at 200 %: KELVRA_SCREEN=3840x2160x24 KELVRA_DPI_PREFIX=192 bench/win/f11.sh
# (default 1920x1080x24 at 96 DPI). Prints figures and asserts nothing.
set -uo pipefail
cd "$(dirname "$0")/../.." || exit 1
root=$PWD
build=${KELVRA_BUILD_DIR:-$root/build/win32}
presses=6 exe=""
for a in "$@"; do
  case $a in
    --presses=*) presses=${a#--presses=} ;;
    --exe=*) exe=$(realpath "${a#--exe=}") ;;
    *) echo "usage: $0 [--presses=N] [--exe=PATH]" >&2; exit 2 ;;
  esac
done
if [ -z "$exe" ]; then
  cmake --build "$build" --target kelvra >/dev/null || { echo "f11: build failed" >&2; exit 1; }
  exe=$build/kelvra.exe
fi
work=$root/build/bench-f11
mkdir -p "$work"
cc -O2 -o "$work/framewatch" bench/win/framewatch.c -lX11 -lXext ||
  { echo "f11: bench/win/framewatch.c needs libx11-dev and libxext-dev" >&2; exit 1; }

screen=${KELVRA_SCREEN:-1920x1080x24}
source scripts/wine-env.sh

kelvra_wine_select 1252 "${KELVRA_DPI_PREFIX:-96}" || exit 1
export KELVRA_SCREEN=$screen
[ -n "${DISPLAY:-}" ] && { echo "f11: runs on a private Xvfb; unset DISPLAY" >&2; exit 2; }
trap 'kelvra_wine_down' EXIT
kelvra_wine_up || exit 1

# The program keeps peizhi.ini beside itself: a copy in a folder of its own.
rm -rf "$work/run" && mkdir -p "$work/run" && cp "$exe" "$work/run/kelvra.exe"
wine "$work/run/kelvra.exe" >/dev/null 2>&1 &
pid=$!
win=
for _ in $(seq 1 150); do
  win=$(xdotool search --onlyvisible --name 'KelvraV1.0' 2>/dev/null | head -n 1)
  [ -n "$win" ] && break
  sleep 0.2
done
[ -z "$win" ] && { echo "f11: the main window did not appear" >&2; kill $pid; exit 1; }
sleep 3
xdotool windowfocus --sync "$win" 2>/dev/null
sleep 0.5
echo "$(wine --version), screen $(xdpyinfo | awk '/dimensions:/ { print $2 }'), prefix ${WINEPREFIX##*/}," \
  "$(nproc) CPUs, load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for i in $(seq 1 "$presses"); do
  [ $((i % 2)) = 1 ] && echo "F11 press $i: into full screen" || echo "F11 press $i: back to the window"
  [ -n "${FRAMEWATCH_SAVE:-}" ] && export FRAMEWATCH_SAVE=${FRAMEWATCH_SAVE%/press-*}/press-$i && mkdir -p "$FRAMEWATCH_SAVE"
  "$work/framewatch" F11 1500 20000
  # The pointer's hiding after 3 s idle must not count as a frame of the next press.
  sleep 1
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
xdotool key Escape 2>/dev/null
wineserver -k >/dev/null 2>&1
wait $pid 2>/dev/null
