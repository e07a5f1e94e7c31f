#!/usr/bin/env bash
# Takes the screenshots in docs/ from the real program: builds kelvra.exe, starts it under Wine on
# a private Xvfb with no window manager, drives it with xdotool and saves the client area of each
# window (Wine's own caption and frame cut off) as a palette PNG:
#   wheel.png  settings.png  help.png  rate.png  spin-during.png  spin-after.png
# The program runs from a folder of its own without peizhi.ini, so it shows the built-in prizes.
#
#   tools/screenshots.sh [out-dir]        (default docs/)
#
# KELVRA_BUILD_DIR picks the build folder (default build/win32, the win32 preset's); WINEPREFIX
# is taken from the environment as scripts/wine-env.sh does.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
root=$PWD
out=$(realpath -m "${1:-docs}")
build=${KELVRA_BUILD_DIR:-build/win32}

for tool in xdotool xwininfo import convert Xvfb wine i686-w64-mingw32-gcc; do
  command -v "$tool" >/dev/null ||
    { echo "screenshots: $tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done

if [ "$build" = build/win32 ]; then
  cmake --preset win32 >/dev/null && cmake --build --preset win32 --target kelvra || exit 1
else
  cmake --preset win32 -B "$build" >/dev/null && cmake --build "$build" --target kelvra || exit 1
fi

source scripts/wine-env.sh
home=$(mktemp -d "$root/build/screenshots.XXXXXX")
cp "$build/kelvra.exe" "$home/"
mkdir -p "$out"
raw=$home/raw
mkdir -p "$raw"

# Wine draws the frame of an unmanaged window into its X window: this helper prints the frame's
# left, top, right and bottom widths for the first visible window titled KelvraV1.0...; all
# three windows have the same style.
cat >"$home/origin.c" <<'EOF_C'
#include <windows.h>
#include <stdio.h>
#include <wchar.h>
static BOOL CALLBACK Each(HWND h, LPARAM found) {
  wchar_t title[256];
  if (!IsWindowVisible(h) || !GetWindowTextW(h, title, 256) || wcsncmp(title, L"KelvraV1.0", 10))
    return TRUE;
  RECT frame, inner;
  POINT client = {0, 0};
  GetWindowRect(h, &frame);
  GetClientRect(h, &inner);
  ClientToScreen(h, &client);
  printf("%ld %ld %ld %ld\n", client.x - frame.left, client.y - frame.top,
         frame.right - client.x - inner.right, frame.bottom - client.y - inner.bottom);
  *(int*)found = 1;
  return FALSE;
}
int main(void) {
  int found = 0;
  EnumWindows(Each, (LPARAM)&found);
  return found ? 0 : 1;
}
EOF_C
i686-w64-mingw32-gcc -O2 -o "$home/origin.exe" "$home/origin.c" || exit 1

pid=
finish() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  kelvra_wine_down
  rm -rf "$home"
}
trap finish EXIT

unset DISPLAY
kelvra_wine_up || exit 1

fail() {
  echo "screenshots: $*" >&2
  exit 1
}

# Prints the first visible window whose title matches the regex and is not in $2 (ids).
find_window() {
  local pattern=$1 skip=${2:-} w
  for _ in $(seq 1 100); do
    for w in $(xdotool search --onlyvisible --name "$pattern" 2>/dev/null); do
      case " $skip " in *" $w "*) continue ;; esac
      echo "$w"
      return 0
    done
    sleep 0.1
  done
  return 1
}

wait_gone() {
  local w=$1
  for _ in $(seq 1 50); do
    xdotool getwindowname "$w" >/dev/null 2>&1 || return 0
    xwininfo -id "$w" 2>/dev/null | grep -q 'IsViewable' || return 0
    sleep 0.1
  done
  return 1
}

cx=0 cy=0 rx=0 by=0
click() {  # window x y, in client coordinates
  xdotool mousemove --window "$1" $(($2 + cx)) $(($3 + cy)) sleep 0.1 click 1
}

shoot() {  # window name
  local size w h
  size=$(xwininfo -id "$1" | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w, h}')
  read -r w h <<<"$size"
  w=$((w - cx - rx)) h=$((h - cy - by))
  import -window "$1" -crop "${w}x${h}+${cx}+${cy}" +repage "$raw/$2.png" ||
    fail "could not capture $2"
  echo "screenshots: $2 ${w}x${h}"
}

caption='^KelvraV1\.0 '
(cd "$home" && exec wine ./kelvra.exe) >/dev/null 2>&1 &
pid=$!
main=$(find_window "$caption") || fail "the main window did not appear"
sleep 2
read -r cx cy rx by < <(wine "$home/origin.exe" 2>/dev/null | tr -d '\r')
[ -n "$by" ] || fail "could not find the main window's client area"
shoot "$main" wheel

click "$main" 90 10                       # tab 软件设置
sleep 1
shoot "$main" settings

click "$main" 78 512                      # 说明
# Under a fresh Wine the first click on the page now and then goes unseen: one more is harmless,
# an open instructions window is only brought forward.
help=$(find_window "$caption" "$main") ||
  { click "$main" 78 512; help=$(find_window "$caption" "$main"); } ||
  fail "the instructions window did not appear"
sleep 1
shoot "$help" help
xdotool windowfocus --sync "$help" key Escape
wait_gone "$help" || fail "Esc did not close the instructions window"

xdotool windowfocus --sync "$main" key ctrl+F12
rate=$(find_window '^中奖率设置') || fail "Ctrl+F12 did not open the rate window"
sleep 1
# Retyping prize 1's rate shows the total, as any change does; nothing is saved.
click "$rate" 128 23
xdotool windowfocus --sync "$rate" key End BackSpace 0
sleep 0.5
shoot "$rate" rate
xdotool windowfocus --sync "$rate" key Escape
wait_gone "$rate" || fail "Esc did not close the rate window"

click "$main" 30 10                       # tab 幸运转盘
sleep 1
click "$main" 262 282                     # the hub starts a spin
sleep 1.5
shoot "$main" spin-during
# A spin takes at most about 8 s; wait until two captures a second apart agree.
prev=
for _ in $(seq 1 30); do
  sleep 1
  import -window "$main" "$raw/probe.png"
  sum=$(md5sum <"$raw/probe.png")
  [ "$sum" = "$prev" ] && break
  prev=$sum
done
shoot "$main" spin-after

xdotool windowfocus --sync "$main" key Escape
for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "Esc on the main window did not end the program"
pid=

# 256-colour palette PNGs keep each picture small enough to commit.
for f in wheel settings help rate spin-during spin-after; do
  convert "$raw/$f.png" -strip -dither FloydSteinberg -colors 256 "PNG8:$out/$f.png" ||
    fail "could not write $out/$f.png"
done
ls -l "$out"/{wheel,settings,help,rate,spin-during,spin-after}.png
