#!/usr/bin/env bash
# F11 and the full-screen paint from inside the program (bench/win/paint_bench.cpp) on a
# 1920x1080 screen at 96 DPI and on a 3840x2160 one at 192 DPI, each on a private Xvfb.
# Arguments go to the bench: --presses=N --steps=N. KELVRA_BENCH_EXE runs another build of it.
# Prints figures and asserts nothing.
set -uo pipefail
cd "$(dirname "$0")/../.." || exit 1
root=$PWD
build=${KELVRA_BUILD_DIR:-$root/build/win32}
cmake --build "$build" --target kelvra_paint_bench >/dev/null || {
  echo "paint bench: build failed" >&2
  exit 1
}
[ -n "${DISPLAY:-}" ] && { echo "paint bench: runs on private Xvfbs; unset DISPLAY" >&2; exit 2; }
echo "$(nproc) CPUs, load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for setting in 1920x1080x24:96 3840x2160x24:192; do
  (
    source scripts/wine-env.sh
    kelvra_wine_select 1252 "${setting#*:}" || exit 1
    export KELVRA_SCREEN=${setting%:*}
    trap 'kelvra_wine_down' EXIT
    kelvra_wine_up || exit 1
    wine "${KELVRA_BENCH_EXE:-$build/kelvra_paint_bench.exe}" "$@"
  )
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
