#!/usr/bin/env bash
# Start-up and memory of kelvra.exe beside an empty window of the same size, under Wine.
# Usage: bench/win/startup.sh [--runs=N] [--exe=PATH] [--no-use] [--day-spins=N]
#   --runs=N   starts of each program, alternating, after one start of each not counted (default 15)
#   --exe=PATH measures that kelvra.exe instead of the one it builds
#   --no-use   skips the spin, the settings page and the event day
#   --day-spins=N  spins of the event day (default 1000)
# Prints figures and asserts nothing.
#
# Time: from just before `wine X.exe` is started to the X server's MapNotify of the program's
# main window, seen by bench/win/mapwatch (a host program listening on the root window; without
# a window manager each Wine top-level window is a child of the root); without libx11-dev, or
# with KELVRA_BENCH_POLL=1, by polling `xdotool search --onlyvisible` instead. Memory: /proc/PID/status
# of the Windows process (the window's _NET_WM_PID, the wine-preloader running the exe) 3 s after
# the window showed: RssAnon is its private (anonymous) memory, VmRSS its working set. Then one
# spin and the settings page in kelvra.exe, and an event day in one process
# (bench/win/day_bench.cpp: spins by key without the waits between steps, a save of the names every
# 50, the rate window opened and closed every 100).
# KELVRA_BUILD_DIR is the Windows build folder (default build/win32); WINEPREFIX and DISPLAY come
# from the environment as for the other scripts, and without DISPLAY a private Xvfb is used.
set -uo pipefail
cd "$(dirname "$0")/../.." || exit 1
root=$PWD
build=${KELVRA_BUILD_DIR:-$root/build/win32}
runs=15 exe="" use=1 day=1000
for a in "$@"; do
  case $a in
    --runs=*) runs=${a#--runs=} ;;
    --exe=*) exe=$(realpath "${a#--exe=}") ;;
    --no-use) use= ;;
    --day-spins=*) day=${a#--day-spins=} ;;
    *) echo "usage: $0 [--runs=N] [--exe=PATH] [--no-use] [--day-spins=N]" >&2; exit 2 ;;
  esac
done

if [ ! -f "$build/CMakeCache.txt" ]; then
  scripts/install-deps.sh || exit 1
  scripts/fetch-libpng.sh || exit 1
  cmake --preset win32 -B "$build" >/dev/null || exit 1
fi
targets=(kelvra_empty_window kelvra_day_bench)
[ -z "$exe" ] && targets+=(kelvra) && exe=$build/kelvra.exe
cmake --build "$build" --target "${targets[@]}" >/dev/null || {
  echo "startup bench: build failed" >&2
  exit 1
}
work=$root/build/bench-win
mkdir -p "$work"
rm -f "$work/mapwatch"
if [ -z "${KELVRA_BENCH_POLL:-}" ] &&
  ! cc -O2 -o "$work/mapwatch" bench/win/mapwatch.c -lX11 2>/dev/null; then
  echo "(bench/win/mapwatch.c needs libx11-dev: polling with xdotool instead, a few ms coarser)"
fi

source scripts/wine-env.sh
own_display=
[ -z "${DISPLAY:-}" ] && own_display=1
kelvra_wine_up || exit 1

MAIN_CAPTION='KelvraV1.0 BY Ostrand QQ：555010727'
EMPTY_CAPTION=KelvraBenchEmptyWindow
PID=
KEEPER=

stop_program() {
  [ -n "$PID" ] || return 0
  kill -KILL "$PID" 2>/dev/null
  while kill -0 "$PID" 2>/dev/null; do sleep 0.05; done
  PID=
}
cleanup() {
  stop_program
  [ -n "$KEEPER" ] && kill -KILL "$KEEPER" 2>/dev/null
  [ -n "$own_display" ] && kelvra_wine_down
}
trap cleanup EXIT

# kb PID FIELD: a /proc/PID/status field in kB.
kb() { awk -v f="$2:" '$1 == f { print $2 }' "/proc/$1/status"; }
mb() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null; }

# wait_idle PID: until the process has used at most 3 % of a CPU over one second (at most 2
# minutes): after the clicks on 保存 the program goes on using about 2 % under Wine.
wait_idle() {
  local a="" b c end=$((SECONDS + 120))
  b=$(cpu_ticks "$1")
  while [ $SECONDS -lt $end ]; do
    sleep 0.5
    c=$(cpu_ticks "$1")
    [ -n "$c" ] || return 0
    [ -n "$a" ] && [ $((c - a)) -le 3 ] && return 0
    a=$b b=$c
  done
}

# launch DIR EXE CAPTION: starts EXE in DIR; sets MS (to the visible window) and PID.
launch() {
  local out t0
  if [ -x "$work/mapwatch" ]; then
    out=$(cd "$1" && "$work/mapwatch" 30000 "$3" "$1/wine.log" wine "$1/$2")
    read -r MS _ PID child <<<"$out"
    [ "$PID" = 0 ] && PID=$child
    [ "$MS" != timeout ]
    return
  fi
  t0=$(date +%s%N)
  (cd "$1" && exec wine "$1/$2") </dev/null >"$1/wine.log" 2>&1 &
  PID=$!
  disown "$PID"
  until xdotool search --onlyvisible --pid "$PID" --name "$3" >/dev/null 2>&1; do
    [ $(($(date +%s%N) - t0)) -lt 30000000000 ] || { MS=timeout; return 1; }
  done
  MS=$(awk -v d="$(($(date +%s%N) - t0))" 'BEGIN { printf "%.1f", d / 1e6 }')
}

# measure DIR EXE CAPTION: one start; sets MS, ANON and RSS (kB) 3 s after the window showed.
measure() {
  ANON="" RSS=""
  if ! launch "$@"; then
    echo "  $2: no window within 30 s (see $1/wine.log)" >&2
    stop_program
    return 1
  fi
  sleep 3
  ANON=$(kb "$PID" RssAnon) RSS=$(kb "$PID" VmRSS)
  stop_program
}

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

dir=$work/run
rm -rf "$dir"
mkdir -p "$dir"
cp "$exe" "$dir/kelvra.exe"
cp "$build/kelvra_empty_window.exe" "$dir/empty.exe"

# A program that keeps Wine's desktop process alive through the runs, as Windows' desktop is.
(cd "$dir" && exec wine "$dir/empty.exe" idle) </dev/null >/dev/null 2>&1 &
KEEPER=$!
disown "$KEEPER"
sleep 2

echo "$(wine --version), $(nproc) CPUs, load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "kelvra.exe: $exe ($(stat -c %s "$exe") bytes)"
echo "time: start of 'wine X.exe' -> MapNotify of its main window; memory 3 s later from /proc"
echo "(RssAnon = private memory, VmRSS = working set). One start of each first, not counted;"
echo "an idle Wine program keeps the desktop process (explorer.exe) running throughout."
measure "$dir" empty.exe "$EMPTY_CAPTION"
rm -f "$dir/peizhi.ini"
measure "$dir" kelvra.exe "$MAIN_CAPTION"

printf '%-6s %26s   %26s\n' run "empty window" kelvra.exe
printf '%-6s %8s %8s %8s   %8s %8s %8s\n' "" ms priv/MB ws/MB ms priv/MB ws/MB
: >"$work/empty.txt"
: >"$work/kelvra.txt"
for i in $(seq 1 "$runs"); do
  line=$(printf '%-6s' "$i")
  measure "$dir" empty.exe "$EMPTY_CAPTION" && echo "$MS $ANON $RSS" >>"$work/empty.txt"
  line+=$(printf ' %8s %8s %8s' "$MS" "$(mb "${ANON:-0}")" "$(mb "${RSS:-0}")")
  rm -f "$dir/peizhi.ini"
  measure "$dir" kelvra.exe "$MAIN_CAPTION" && echo "$MS $ANON $RSS" >>"$work/kelvra.txt"
  line+=$(printf '   %8s %8s %8s' "$MS" "$(mb "${ANON:-0}")" "$(mb "${RSS:-0}")")
  echo "$line"
done

col() { cut -d' ' -f"$2" "$work/$1.txt" | median; }
if [ -s "$work/empty.txt" ] && [ -s "$work/kelvra.txt" ]; then
  et=$(col empty 1) ea=$(col empty 2) er=$(col empty 3)
  kt=$(col kelvra 1) ka=$(col kelvra 2) kr=$(col kelvra 3)
  printf '%-6s %8s %8s %8s   %8s %8s %8s\n' median "$et" "$(mb "$ea")" "$(mb "$er")" \
    "$kt" "$(mb "$ka")" "$(mb "$kr")"
  awk -v et="$et" -v kt="$kt" -v ea="$ea" -v ka="$ka" -v er="$er" -v kr="$kr" 'BEGIN {
    printf "kelvra.exe against the empty window: time %.2f x, private memory %+.1f MB, working set %+.1f MB\n",
      kt / et, (ka - ea) / 1024, (kr - er) / 1024 }'
fi

if [ -n "$use" ]; then
  # The spin and the saves drive the window like the whole-program tests.
  source tests/e2e/lib.sh
  E2E_NAME=bench E2E_DIR=$dir
  rm -f "$dir/peizhi.ini"
  launch "$dir" kelvra.exe "$MAIN_CAPTION" || { echo "kelvra.exe showed no window" >&2; exit 1; }
  E2E_PID=$PID
  sleep 3
  report() {
    wait_idle "$PID"
    local a r
    a=$(kb "$PID" RssAnon) r=$(kb "$PID" VmRSS)
    printf '%-34s private %6s MB (%+.1f)   working set %6s MB (%+.1f)\n' "$1" "$(mb "$a")" \
      "$(awk -v a="$a" -v b="$a0" 'BEGIN { print (a - b) / 1024 }')" "$(mb "$r")" \
      "$(awk -v a="$r" -v b="$r0" 'BEGIN { print (a - b) / 1024 }')"
  }
  a0=$(kb "$PID" RssAnon) r0=$(kb "$PID" VmRSS)
  report "kelvra.exe 3 s after start-up"
  e2e_main_window >/dev/null
  e2e_click "$MAIN" "$E2E_HUB_X" "$E2E_HUB_Y"
  sleep 9
  report "after one spin"
  e2e_click "$MAIN" 90 10
  e2e_until 5 "the settings page did not show" e2e_settings_shown
  report "after showing the settings page"
  stop_program
  E2E_PID=
  echo
  (cd "$dir" && wine "$build/kelvra_day_bench.exe" --spins="$day") </dev/null 2>/dev/null | tr -d '\r'
fi
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
