#!/usr/bin/env bash
# A start without peizhi.ini: the main window shows the wheel with the pointer straight up and
# the built-in names, nothing is written, "说明" opens one instructions window, and the process
# lives until its last window is closed with Esc, then exits with 0.
source "$(dirname "$0")/lib.sh"
e2e_begin startup "${1:-}"

e2e_start
e2e_main_window
wheel=$E2E_START_SHOT

e2e_expect_angle "$wheel" 0
e2e_expect_label1 "$wheel" 95 125 "the built-in name OPPO手机"

[ -z "$(e2e_files)" ] || e2e_fail "the program created files at start: $(e2e_files)"
e2e_ok "no peizhi.ini is created at start"

# The settings page: its name boxes replace the wheel.
e2e_open_settings
e2e_px diff "$wheel" "$SHOT" $(e2e_box 160 160 200 200)
[ "$PX" -ge 10000 ] || e2e_fail "the wheel still shows on the settings page ($PX pixels changed)"
e2e_ok "the settings page replaces the wheel"

# 说明 at (22, 497), 112 x 30. The instructions window opens in the middle of the screen, clear
# of it.
e2e_click "$MAIN" 78 512
e2e_wait_window "$E2E_MAIN_RE" 10 "$MAIN"
help=$WIN
size() { xdotool getwindowgeometry --shell "$1" | sed -n 's/^\(WIDTH\|HEIGHT\)=//p' | tr '\n' ' '; }
read -r w h <<<"$(size "$help")"
read -r mw mh <<<"$(size "$MAIN")"
e2e_between "$w" 330 346 && e2e_between "$h" 260 294 ||
  e2e_fail "the instructions window is ${w}x$h, expected about 346x294"
e2e_between "$mw" 515 528 && e2e_between "$mh" 540 579 || e2e_fail "the main window is ${mw}x$mh"
e2e_ok "说明 opens the instructions window ${w}x$h beside the main window ${mw}x$mh"
# The advertising line: yellow text on magenta at (10, 208), 320 x 48.
advert_shown() {
  e2e_shot "$help" instructions
  e2e_px colour "$SHOT" $(e2e_box 12 210 316 44) 255 0 255
  LAST="$PX% magenta"
  [ "$PX" -ge 50 ]
}
e2e_until 5 "no magenta advertising line in the instructions window" advert_shown
e2e_ok "the instructions window shows its advertising line ($PX% magenta)"

e2e_click "$MAIN" 78 512
sleep 1
n=$(e2e_count "$E2E_MAIN_RE")
[ "$n" -eq 2 ] || e2e_fail "说明 pressed twice gives $n windows with the main caption, expected 2"
e2e_ok "说明 pressed again opens no second instructions window"

# Esc closes the window that has the focus; the instructions window keeps the process running.
e2e_activate "$MAIN" 40 540
e2e_key Escape
e2e_wait_gone "$MAIN"
sleep 0.5
e2e_expect_alive "with the instructions window still open"
[ "$(e2e_count "$E2E_MAIN_RE")" -eq 1 ] ||
  e2e_fail "the instructions window went away with the main window"
e2e_ok "Esc closes the main window; the open instructions window keeps the process running"

e2e_close_last "$help" 100 100
[ -z "$(e2e_files)" ] || e2e_fail "files were left beside the program: $(e2e_files)"
e2e_ok "no file was written"
