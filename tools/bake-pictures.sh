#!/usr/bin/env bash
# Bakes the pictures the program shows at one size at every start (kBakedPictures in
# ui/pictures.h) into ui/assets/ as raw pictures (wheel/image.h), made by the program's own
# decoder and stretch under Wine. Run it after changing a source picture or the stretch; the
# Windows test Pictures.* fails until then.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KELVRA_BUILD_DIR:-build/win32}
[ -f "$build/CMakeCache.txt" ] || cmake --preset win32 -B "$build" >/dev/null
# The tool embeds the pictures it replaces: an empty one stands in for a missing one.
for b in $(grep -o "L\"[A-Z0-9_]*_KPX\"" ui/pictures.h | sed 's/^L"//; s/"$//'); do
  f=ui/assets/$(echo "${b%_KPX}" | tr -d _ | tr "A-Z" "a-z").kpx
  [ -f "$f" ] || : >"$f"
done
cmake --build "$build" --target kelvra_bake_pictures >/dev/null
source scripts/wine-env.sh
own_display=
[ -z "${DISPLAY:-}" ] && own_display=1
kelvra_wine_up
trap '[ -n "$own_display" ] && kelvra_wine_down' EXIT
out=$(wine "$build/kelvra_bake_pictures.exe" "$(winepath -w ui/assets)" | tr -d '\r')
for f in $out; do
  f=$(winepath -u "$f")
  echo "baked $f ($(stat -c %s "$f") bytes)"
done
