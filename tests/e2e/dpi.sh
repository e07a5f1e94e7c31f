#!/usr/bin/env bash
# The program at a display scale other than 100 % (E2E_DPI, default 144): the windows' client
# areas are their layout units times dpi/96, a spin lands on its winner, Space starts one as a
# presenter's remote does, and F11 fills the screen with the wheel page alone (no tab strip, no
# flat margin) and gives the window back.
# By hand: [E2E_DPI=120] tests/e2e/dpi.sh [EXE]
export E2E_DPI=${E2E_DPI:-144}
source "$(dirname "$0")/lib.sh"
e2e_begin dpi "${1:-}"

e2e_write_ini "$E2E_PRIZE7_INI"
e2e_start
e2e_main_window
e2e_log "screenshot at $E2E_DPI DPI: $E2E_START_SHOT"

# size ID: the X window's width and height.
size() { xdotool getwindowgeometry --shell "$1" | sed -n 's/^\(WIDTH\|HEIGHT\)=//p' | tr '\n' ' '; }
# client_is ID WHAT W H: the window's client area is W x H units at the DPI. The frame Wine draws
# into the X window is as wide at the bottom as at the sides.
client_is() {
  local w h cw ch
  read -r w h <<<"$(size "$1")"
  cw=$((w - 2 * E2E_CX)) ch=$((h - E2E_CY - E2E_CX))
  [ "$cw" -eq "$(e2e_u "$3")" ] && [ "$ch" -eq "$(e2e_u "$4")" ] ||
    e2e_fail "the $2's client area is ${cw}x$ch, expected $(e2e_u "$3")x$(e2e_u "$4")"
  e2e_ok "the $2's client area is ${cw}x$ch at $E2E_DPI DPI"
}
client_is "$MAIN" "main window" 522 554

e2e_expect_angle "$E2E_START_SHOT" 0
e2e_spin 1

e2e_activate "$MAIN" 40 540
e2e_key space
# The pointer leaves prize 7 when the spin starts, and turns for more than 6 s.
e2e_until 5 "Space started no spin" \
  eval 'e2e_shot "$MAIN" space; e2e_px pointer "$SHOT" $(e2e_pt $E2E_HUB_X $E2E_HUB_Y); LAST=$PX;
        ! e2e_between "$(e2e_field "$PX" angle)" 210 222'
e2e_until 12 "the spin started by Space did not end on prize 7" \
  eval 'e2e_shot "$MAIN" after-space; e2e_px pointer "$SHOT" $(e2e_pt $E2E_HUB_X $E2E_HUB_Y);
        e2e_between "$(e2e_field "$PX" angle)" 213 219'
e2e_ok "Space starts a spin on the wheel page"

e2e_hotkey "$MAIN"
e2e_wait_window "$E2E_RATE_RE" 10
client_is "$WIN" "rate window" 347 290
e2e_shot "$WIN" rate
e2e_key Escape

before=$(size "$MAIN")
e2e_activate "$MAIN" 40 540
e2e_key F11
e2e_until 5 "F11 did not fill the screen" eval '[ "$(size "$MAIN")" = "$(xdotool getdisplaygeometry) " ]'
# The wheel page alone: no colour over 5 % of the screen (a flat margin), the background along
# the top (no tab strip).
e2e_until 15 "F11 did not show the wheel page alone" \
  eval 'e2e_settled "$MAIN" full-screen 0 0 100000 100000 && e2e_px screen "$SHOT" && LAST=$PX &&
        e2e_between "$(e2e_field "$PX" commonest)" 0 5 &&
        e2e_between "$(e2e_field "$PX" warm_top)" 90 100'
e2e_ok "F11 fills the screen with the wheel page alone: $(size "$MAIN"), $PX"
e2e_key F11
e2e_until 5 "F11 did not give the window back" eval 'LAST="$(size "$MAIN")"; [ "$LAST" = "$before" ]'
e2e_ok "F11 again gives the window back at its size"

e2e_activate "$MAIN" 40 540
e2e_key Escape
e2e_wait_exit 10
[ "$E2E_RC" -eq 0 ] || e2e_fail "the process exited with $E2E_RC, expected 0"
e2e_ok "Esc closes the main window; the process exits with 0"
