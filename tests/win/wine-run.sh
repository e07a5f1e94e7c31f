#!/usr/bin/env bash
# Runs a Windows program under Wine; CTest uses it as the emulator of the Windows build.
set -uo pipefail
source "$(cd "$(dirname "$0")/../.." && pwd)/scripts/wine-env.sh"
own_display=
if [ -z "${DISPLAY:-}" ]; then own_display=1; fi
kelvra_wine_up || exit 1
wine "$@"
rc=$?
[ -n "$own_display" ] && kelvra_wine_down
exit $rc
