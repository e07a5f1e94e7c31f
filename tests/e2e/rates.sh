#!/usr/bin/env bash
# The rate window: Ctrl+F12 opens one, every keystroke in a rate box updates the total line (red
# above 100), 保存 refuses a total of 120 with a message box and stores a total of 100 in the
# 中奖率 section, a window opened again is filled from the file, Esc closes each window, and the
# process ends with its last window.
source "$(dirname "$0")/lib.sh"
e2e_begin rates "${1:-}"

e2e_start
e2e_main_window

e2e_hotkey "$MAIN"
e2e_wait_window "$E2E_RATE_RE" 10
RATE=$WIN
e2e_ok "Ctrl+F12 opens the rate window $RATE"
sleep 0.5
e2e_hotkey "$MAIN"
sleep 1
n=$(e2e_count "$E2E_RATE_RE")
[ "$n" -eq 1 ] || e2e_fail "Ctrl+F12 pressed twice gives $n rate windows"
e2e_windows "$E2E_RATE_RE" | grep -qx "$RATE" ||
  e2e_fail "the second Ctrl+F12 replaced the rate window"
e2e_ok "Ctrl+F12 pressed again opens no second rate window"

# The total line 标签11 at (8, 208), 328 x 32; 保存 at (89, 248), 168 x 32.
total_box() { e2e_box 10 210 324 28; }
declare -A LABEL

# shows STATE COLOUR OTHER...: waits until the total line is COLOUR text and looks unlike the
# lines of the states OTHER; keeps the screenshot as LABEL[STATE].
shows() {
  local state=$1 colour=$2
  shift 2
  e2e_until 5 "the total line of '$state' is not $colour text unlike '$*'" \
    line_is "$state" "$colour" "$@"
}
line_is() {
  local state=$1 colour=$2 other red black
  shift 2
  e2e_settled "$RATE" "$state" $(total_box) || return 1
  LABEL[$state]=$SHOT
  e2e_px text "$SHOT" $(total_box)
  red=$(e2e_field "$PX" red) black=$(e2e_field "$PX" black)
  LAST="red=$red black=$black"
  case $colour in
    red) [ "$red" -ge 100 ] && [ "$black" -le 5 ] || return 1 ;;
    black) [ "$red" -le 5 ] && [ "$black" -ge 100 ] || return 1 ;;
  esac
  for other in "$@"; do
    e2e_px diff "${LABEL[$other]}" "$SHOT" $(total_box)
    LAST="$LAST, $PX pixels unlike '$other'"
    [ "$PX" -ge 15 ] || return 1
  done
}
# same REF STATE: after a pause, the total line looks as it did in state REF.
same() {
  sleep 0.5
  e2e_until 5 "the total line of '$2' does not look like that of '$1'" line_like "$1" "$2"
}
line_like() {
  e2e_shot "$RATE" "$2"
  LABEL[$2]=$SHOT
  e2e_px diff "${LABEL[$1]}" "$SHOT" $(total_box)
  LAST="$PX pixels differ"
  [ "$PX" -le 5 ]
}

shows initial red
e2e_ok "the total line starts as the label's own red caption"

e2e_type_rate "$RATE" 1 5
shows 105 red initial
e2e_ok "typing 5 into box 1 (total 105) turns the total line into new red text"
e2e_key BackSpace
shows 100 black initial 105
e2e_ok "Backspace (total 100) turns it into new black text"
e2e_type 2
shows 102 red 100 105
e2e_type 0
shows 120 red 102
e2e_ok "typing 2 then 0 (totals 102, 120) changes the red total line at each key"
e2e_type 7
same 120 120-again
e2e_ok "a third character in a rate box is refused (the total stays 120)"

e2e_click "$RATE" 173 264
e2e_wait_window "$E2E_MSG_RE" 10
msg=$WIN
e2e_ok "保存 with a total of 120 shows the message box 信息："
[ ! -e "$E2E_DIR/peizhi.ini" ] || e2e_fail "the refused save wrote peizhi.ini"
e2e_dismiss "$msg"
[ ! -e "$E2E_DIR/peizhi.ini" ] || e2e_fail "the refused save wrote peizhi.ini"
e2e_windows "$E2E_RATE_RE" | grep -qx "$RATE" ||
  e2e_fail "the rate window closed with the message box"
e2e_ok "Return closes the message box; nothing was written and the rate window stays"

e2e_type_rate "$RATE" 1 10
e2e_type_rate "$RATE" 2 10
same 100 100-again
e2e_ok "boxes 1 and 2 set to 10: the total line shows 100 in black again"

e2e_click "$RATE" 173 264
rates_written() { [ -s "$E2E_DIR/peizhi.ini" ] && e2e_ini_get 中奖率 中奖率10 >/dev/null; }
e2e_until 10 "保存 with a total of 100 did not write peizhi.ini" rates_written
sleep 0.5
e2e_expect_keys 中奖率 中奖率 10 10 1 25 15 0 1 5 30 3
! e2e_ini_get 奖项 奖项1 >/dev/null || e2e_fail "saving the rates wrote names too"
[ "$(e2e_count "$E2E_MSG_RE")" -eq 0 ] || e2e_fail "保存 with a total of 100 showed a message box"
e2e_ok "保存 with a total of 100 stores the ten rates in 中奖率 without a message"

e2e_activate "$RATE" 300 224
e2e_key Escape
e2e_wait_gone "$RATE"
e2e_expect_alive "with the main window open"
e2e_ok "Esc closes the rate window; the main window stays"

# A file edited by hand meanwhile: the next window must show its total, 120.
e2e_write_ini "$(e2e_rates 30 10 1 25 15 0 1 5 30 3)"
cp "$E2E_DIR/peizhi.ini" "$E2E_DIR/peizhi.ini.orig"
e2e_log "peizhi.ini edited by hand: rate 1 is now 30, the total 120"
e2e_hotkey "$MAIN"
e2e_wait_window "$E2E_RATE_RE" 10
RATE=$WIN
same 120 reopened
e2e_ok "Ctrl+F12 opens a new rate window filled from the file: its total line shows 120 in red"

e2e_activate "$MAIN" 40 540
e2e_key Escape
e2e_wait_gone "$MAIN"
sleep 0.5
e2e_expect_alive "with the rate window still open"
e2e_ok "Esc closes the main window; the open rate window keeps the process running"
e2e_close_last "$RATE" 300 224
cmp -s "$E2E_DIR/peizhi.ini" "$E2E_DIR/peizhi.ini.orig" ||
  e2e_fail "peizhi.ini changed without a save"
e2e_ok "peizhi.ini is as the hand left it"
