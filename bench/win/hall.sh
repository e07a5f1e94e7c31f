#!/usr/bin/env bash
# What the audience sees, measured from outside the program with X screenshots (bench/win/hall.py).
# Usage: bench/win/hall.sh [page] [stop] [borders] [--runs=N] [--load=N] [--exe=PATH]
#   page     the settings page's first showing: a click on its tab, the page area grabbed every
#            few milliseconds; each distinct picture with its time after the click, and whether
#            one showed between the wheel and the whole page (N starts, default 5)
#   stop     prize 7 at 100 %: a press on the hub, 软件设置, 保存 and back to the wheel while the
#            pointer turns; where the pointer stops (216 degrees is prize 7)
#   borders  ten names of nine wide letters, four-character Chinese names and the defaults: the
#            dark pixels on the ten sector borders at 96, 120, 144 and 192 DPI and in full screen
#            (F11 on a 1920x1080 screen)
#   --load=N N busy processes beside the program while it is measured (a loaded machine)
# Without a command it measures all three. Prints figures and asserts nothing.
# KELVRA_BUILD_DIR is the Windows build folder (default build/win32); the Wine prefixes are the
# tests' (scripts/wine-env.sh), and each case runs on a private Xvfb unless DISPLAY is set (96 DPI).
set -uo pipefail
cd "$(dirname "$0")/../.." || exit 1
root=$PWD
build=${KELVRA_BUILD_DIR:-$root/build/win32}
runs=5 load=0 exe="" what=()
for a in "$@"; do
  case $a in
    page | stop | borders) what+=("$a") ;;
    --runs=*) runs=${a#--runs=} ;;
    --load=*) load=${a#--load=} ;;
    --exe=*) exe=$(realpath "${a#--exe=}") ;;
    *) echo "usage: $0 [page] [stop] [borders] [--runs=N] [--load=N] [--exe=PATH]" >&2; exit 2 ;;
  esac
done
[ ${#what[@]} -gt 0 ] || what=(page stop borders)
if [ -z "$exe" ]; then
  if [ ! -f "$build/CMakeCache.txt" ]; then
    scripts/install-deps.sh || exit 1
    scripts/fetch-libpng.sh || exit 1
    cmake --preset win32 -B "$build" >/dev/null || exit 1
  fi
  cmake --build "$build" --target kelvra >/dev/null || { echo "hall bench: build failed" >&2; exit 1; }
  exe=$build/kelvra.exe
fi
HALL=$root/bench/win/hall.py
PY=/usr/bin/python3

LOADERS=()
start_load() {
  local i
  for i in $(seq 1 "$load"); do
    (while :; do :; done) &
    LOADERS+=($!)
  done
}
stop_load() {
  local p
  for p in "${LOADERS[@]}"; do kill "$p" 2>/dev/null; done
  LOADERS=()
}
trap stop_load EXIT

# One case in a subshell of its own: lib.sh's cleanup ends its program and its Xvfb.
page_case() {
  source tests/e2e/lib.sh
  e2e_begin "hall-page" "$exe" >/dev/null
  e2e_start >/dev/null
  e2e_main_window >/dev/null
  sleep 1
  read -r px py <<<"$(e2e_pt 90 10)"
  read -r bx by bw bh <<<"$(e2e_box 0 20 522 532)"
  start_load
  HALL_PREFIX=$E2E_DIR/page "$PY" "$HALL" page "$MAIN" "$px" "$py" "$bx" "$by" "$bw" "$bh" 2
  stop_load
  e2e_close_last >/dev/null
}

stop_case() {
  source tests/e2e/lib.sh
  e2e_begin "hall-stop" "$exe" >/dev/null
  e2e_write_ini "$E2E_PRIZE7_INI"
  e2e_start >/dev/null
  e2e_main_window >/dev/null
  start_load
  e2e_click "$MAIN" "$E2E_HUB_X" "$E2E_HUB_Y"
  sleep "${1:-1}"
  e2e_click "$MAIN" 90 10
  sleep 0.5
  e2e_click "$MAIN" 441 512
  sleep 0.5
  e2e_click "$MAIN" 30 10
  sleep 9
  stop_load
  e2e_shot "$MAIN" stopped
  e2e_px pointer "$SHOT" $(e2e_pt $E2E_HUB_X $E2E_HUB_Y)
  echo "saved ${1:-1} s into the spin: the pointer stops at $(e2e_field "$PX" angle) degrees" \
    "(prize 7: 216; $PX)"
  e2e_close_last >/dev/null
}

W_NAMES=(WWWWWWWWW MMMMMMMMM WWWWWWWWW MMMMMMMMM WWWWWWWWW MMMMMMMMM WWWWWWWWW MMMMMMMMM
  WWWWWWWWW MMMMMMMMM)
CJK_NAMES=(谢谢参与 再接再厉 祝你好运 整蛊一次 平板电脑 会员一月 点歌一首 谢谢参与 再接再厉 祝你好运)
DEFAULT_NAMES=(OPPO手机 谢谢参与 会员一月 再接再厉 点歌一首 平板电脑 整蛊一次 讲笑话 祝你好运 小礼物)

# borders_case DPI FULL LABEL NAMES...: the dark pixels on the borders, in the window or (FULL=1)
# in full screen.
borders_case() {
  local dpi=$1 full=$2 label=$3 cx cy s w h
  shift 3
  export E2E_DPI=$dpi
  [ "$full" = 1 ] && { unset DISPLAY; export KELVRA_SCREEN=1920x1080x24; }
  source tests/e2e/lib.sh
  e2e_begin "hall-borders" "$exe" >/dev/null
  e2e_write_ini "$(e2e_names "$@")"
  e2e_start >/dev/null
  e2e_main_window >/dev/null
  if [ "$full" = 1 ]; then
    e2e_activate "$MAIN" 40 540
    e2e_key F11
    e2e_until 10 "F11 did not fill the screen" \
      eval '[ "$(xdotool getwindowgeometry --shell "$MAIN" | grep -c "^WIDTH=1920")" = 1 ]'
    sleep 3
    e2e_shot "$MAIN" full
    # The wheel centred on the monitor, as large as its height allows (the plate is 474 x 475).
    read -r w h <<<"$(xdotool getdisplaygeometry)"
    cx=$((w / 2)) cy=$((h / 2)) s=$(awk -v h="$h" 'BEGIN { print h / 475 }')
    where="full screen ${w}x$h"
  else
    SHOT=$E2E_START_SHOT
    read -r cx cy <<<"$(e2e_pt 262 282)"
    s=$(awk -v d="$dpi" 'BEGIN { print d / 96 }')
    where="$dpi DPI"
  fi
  printf '%-22s %-16s %s\n' "$label" "$where" "$("$PY" "$HALL" borders "$SHOT" "$cx" "$cy" "$s")"
  cp "$SHOT" "$root/build/bench-win/borders-${label// /-}-${where// /-}.png"
  e2e_kill_quietly
}
# Ends the program without the Esc round (full screen needs two).
e2e_kill_quietly() { kill -KILL "$E2E_PID" 2>/dev/null; wait "$E2E_PID" 2>/dev/null; E2E_PID=; }

mkdir -p "$root/build/bench-win"
echo "$(wine --version), $(nproc) CPUs, load average before: $(cut -d' ' -f1-3 /proc/loadavg)," \
  "$load busy processes beside the program"
for w in "${what[@]}"; do
  case $w in
    page)
      echo "== the settings page's first showing (a click on 软件设置; the page area watched)"
      for i in $(seq 1 "$runs"); do
        echo "start $i:"
        (page_case) | sed 's/^/  /'
      done
      ;;
    stop)
      echo "== a save of the names during a spin to prize 7"
      for at in 1 3; do (stop_case "$at"); done
      ;;
    borders)
      echo "== dark pixels on the sector borders"
      for dpi in 96 120 144 192; do
        (borders_case "$dpi" 0 "nine wide letters" "${W_NAMES[@]}")
        (borders_case "$dpi" 0 "four Chinese" "${CJK_NAMES[@]}")
        (borders_case "$dpi" 0 "the defaults" "${DEFAULT_NAMES[@]}")
      done
      (borders_case 96 1 "nine wide letters" "${W_NAMES[@]}")
      (borders_case 96 1 "four Chinese" "${CJK_NAMES[@]}")
      (borders_case 96 1 "the defaults" "${DEFAULT_NAMES[@]}")
      ;;
  esac
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
