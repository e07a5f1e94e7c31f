#!/usr/bin/env bash
# A start with a hand-made peizhi.ini that gives prize 7 every winning rate: the wheel shows the
# file's names, a press on the hub spins the pointer for the time of one prize-7 spin however
# often the hub is pressed meanwhile, and the pointer stops on prize 7's sector (216 degrees).
# A second spin starts again from the top and stops there too.
source "$(dirname "$0")/lib.sh"
e2e_begin spin "${1:-}"

e2e_write_ini '[奖项]
奖项1=金奖
奖项2=银奖
奖项3=铜奖
奖项4=谢谢参与
奖项5=毛巾
奖项6=水杯
奖项7=大奖
奖项8=雨伞
奖项9=谢谢参与
奖项10=小礼物
[中奖率]
中奖率1=0
中奖率2=0
中奖率3=0
中奖率4=0
中奖率5=0
中奖率6=0
中奖率7=100
中奖率8=0
中奖率9=0
中奖率10=0'
cp "$E2E_DIR/peizhi.ini" "$E2E_DIR/peizhi.ini.orig"

e2e_start
e2e_main_window
e2e_expect_angle "$E2E_START_SHOT" 0
e2e_label1_width "$E2E_START_SHOT"
e2e_between "$WIDTH" 40 56 ||
  e2e_fail "prize 1's label is $WIDTH px wide, not the two characters 金奖 of the file"
e2e_ok "prize 1's label has the width of the name 金奖 from the file ($WIDTH px)"

# Prize 7 takes 76 steps; the last comes after the nominal waits of the first 75, 6.68 s. A spin
# started by the second press would move the pointer for about as long again.
spin() {
  local n=$1 first last turns
  e2e_log "spin $n: pressing the hub, and again 2.5 s later"
  e2e_px spin "$MAIN" $((E2E_CX + E2E_HUB_X)) $((E2E_CY + E2E_HUB_Y)) 2.5 \
    $((E2E_CX + E2E_HUB_X - 155)) $((E2E_CY + E2E_HUB_Y - 155)) 310 310 1.5 25 "$E2E_DIR/spin$n"
  first=$(e2e_field "$PX" first) last=$(e2e_field "$PX" last)
  e2e_log "spin $n: the pointer moved from $first s to $last s after the press"
  e2e_between "$first" 0 0.8 ||
    e2e_fail "spin $n: the pointer did not start moving at the press ($PX)"
  e2e_between "$last" 6.6 10.5 ||
    e2e_fail "spin $n: the pointer moved until $last s, not the 6.7 s of one prize-7 spin ($PX)"
  e2e_ok "spin $n: the pointer moved until $last s, one spin: the second press did nothing"
  e2e_between "$(e2e_field "$PX" moved_px)" 300 100000 ||
    e2e_fail "spin $n: the first change around the hub is too small for a moving pointer ($PX)"
  # A loaded machine may show two steps as one change: whole steps of 36 degrees, clockwise.
  turns=$(e2e_field "$PX" last_turns)
  awk -v t="$turns" 'BEGIN {
    n = split(t, a, ","); if (n != 5) exit 1
    for (i = 1; i <= n; i++) {
      r = a[i] % 36; if (a[i] < 33 || a[i] > 147 || (r > 3 && r < 33)) exit 1
    } }' ||
    e2e_fail "spin $n: the last five changes were not clockwise steps of 36 degrees ($PX)"
  e2e_ok "spin $n: the last five changes turned the pointer clockwise by $turns degrees"
  e2e_shot "$MAIN" "after-spin$n"
  e2e_expect_angle "$SHOT" 216
}
spin 1
spin 2

cmp -s "$E2E_DIR/peizhi.ini" "$E2E_DIR/peizhi.ini.orig" || e2e_fail "spinning changed peizhi.ini"
e2e_ok "spinning leaves peizhi.ini as it was"

e2e_activate "$MAIN" 40 540
e2e_key Escape
e2e_wait_exit 10
[ "$E2E_RC" -eq 0 ] || e2e_fail "the process exited with $E2E_RC, expected 0"
e2e_ok "Esc closes the main window; the process exits with 0"
