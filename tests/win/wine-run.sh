#!/usr/bin/env bash
# Runs a Windows program under Wine; CTest uses it as the emulator of the Windows build.
set -uo pipefail
source "$(cd "$(dirname "$0")/../.." && pwd)/scripts/wine-env.sh"
own_display=
# A display of the caller's is held for the run (see kelvra_hold_display); without one, a private
# Xvfb of ours is started.
if [ -z "${DISPLAY:-}" ]; then own_display=1; else kelvra_hold_display || exit 1; fi
# KELVRA_TEST_DPI: run at another display scale, in the prefix of that DPI.
if [ -n "${KELVRA_TEST_DPI:-}" ]; then kelvra_wine_select 1252 "$KELVRA_TEST_DPI" || exit 1; fi
kelvra_wine_up || exit 1
kelvra_wine "$@"
rc=$?
kelvra_release_display
[ -n "$own_display" ] && kelvra_wine_down
exit $rc
