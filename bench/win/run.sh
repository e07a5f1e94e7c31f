#!/usr/bin/env bash
# Builds the spin benchmark (and kelvra.exe, which it also starts) and runs it under Wine.
# Arguments go to the benchmark: --reps=N --winners=1,5,10 --launches=N --no-trace, and
# --candidates to also time spins with other ways of waiting (a few minutes more), --full-screen to
# spin with the main window in full screen. A 4K screen at 200 %: KELVRA_SCREEN=3840x2160x24
# WINEPREFIX=$PWD/build/wineprefix-dpi192 (the prefix that `./test` makes for 192 DPI).
# KELVRA_BENCH_EXE runs another build of the bench (e.g. one of an older commit, to compare in one
# sitting); its kelvra.exe launches are those of the build beside it.
# KELVRA_BUILD_DIR is the Windows build folder (default build/win32); WINEPREFIX and DISPLAY come
# from the environment as for the other scripts, and without DISPLAY a private Xvfb is used.
set -uo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
build=${KELVRA_BUILD_DIR:-$root/build/win32}

if [ ! -f "$build/CMakeCache.txt" ]; then
  scripts/install-deps.sh || exit 1
  scripts/fetch-libpng.sh || exit 1
  cmake --preset win32 -B "$build" >/dev/null || exit 1
fi
cmake --build "$build" --target kelvra_spin_bench kelvra >/dev/null || {
  echo "bench: build failed" >&2
  exit 1
}

source scripts/wine-env.sh
own_display=
[ -z "${DISPLAY:-}" ] && own_display=1
kelvra_wine_up || exit 1
[ -n "$own_display" ] && trap 'kelvra_wine_down' EXIT

# The Wine server of this prefix works in a folder named after the prefix's device and inode;
# it and our own X server do part of the program's work, so the benchmark reports their CPU too.
server_dir=$(printf 'server-%x-%x' "$(stat -Lc %d "$WINEPREFIX")" "$(stat -Lc %i "$WINEPREFIX")")
watch=
for pid in $(pgrep -x 'wineserver(32|64)?'); do
  case "$(readlink "/proc/$pid/cwd" 2>/dev/null)" in
    */"$server_dir") watch="wineserver:$pid" ;;
  esac
done
[ -n "$own_display" ] && [ -n "${KELVRA_XVFB_PID:-}" ] && watch="$watch Xvfb:$KELVRA_XVFB_PID"
export KELVRA_BENCH_WATCH=$watch
KELVRA_BENCH_CLK_TCK=$(getconf CLK_TCK)
export KELVRA_BENCH_CLK_TCK

echo "$(wine --version), $(nproc) CPUs, load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
wine "${KELVRA_BENCH_EXE:-$build/kelvra_spin_bench.exe}" "$@"
rc=$?
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
exit $rc
