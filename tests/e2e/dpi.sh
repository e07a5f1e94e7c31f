#!/usr/bin/env bash
# The program at a display scale other than 100 % (E2E_DPI, default 144): the main window's client
# area is its 522 x 554 layout units times dpi/96, and a spin lands on its winner. Not registered
# with CTest until the program scales itself; run it by hand: [E2E_DPI=120] tests/e2e/dpi.sh [EXE]
export E2E_DPI=${E2E_DPI:-144}
source "$(dirname "$0")/lib.sh"
e2e_begin dpi "${1:-}"

e2e_write_ini "$E2E_PRIZE7_INI"
e2e_start
e2e_main_window
e2e_log "screenshot at $E2E_DPI DPI: $E2E_START_SHOT"

# The frame Wine draws into the X window is as wide at the bottom as at the sides.
read -r w h <<<"$(xdotool getwindowgeometry --shell "$MAIN" | sed -n 's/^\(WIDTH\|HEIGHT\)=//p' |
  tr '\n' ' ')"
cw=$((w - 2 * E2E_CX)) ch=$((h - E2E_CY - E2E_CX))
[ "$cw" -eq "$(e2e_u 522)" ] && [ "$ch" -eq "$(e2e_u 554)" ] ||
  e2e_fail "the main window's client area is ${cw}x$ch, expected $(e2e_u 522)x$(e2e_u 554)"
e2e_ok "the main window's client area is ${cw}x$ch at $E2E_DPI DPI"

e2e_expect_angle "$E2E_START_SHOT" 0
e2e_spin 1

e2e_activate "$MAIN" 40 540
e2e_key Escape
e2e_wait_exit 10
[ "$E2E_RC" -eq 0 ] || e2e_fail "the process exited with $E2E_RC, expected 0"
e2e_ok "Esc closes the main window; the process exits with 0"
