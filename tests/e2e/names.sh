#!/usr/bin/env bash
# Saving prize names on the settings page: names typed with blanks are stored without them in the
# 奖项 section of the peizhi.ini beside the program (not in the folder it was started from), a name
# box takes at most 9 bytes, the rate section stays as it was, and the wheel then shows the new
# name.
source "$(dirname "$0")/lib.sh"
e2e_begin names "${1:-}"

rates=$(e2e_rates 0 20 1 25 15 0 1 5 30 3)
e2e_write_ini "$(e2e_names OPPO手机 银奖 铜奖 谢谢参与 毛巾 水杯 大奖 雨伞 谢谢参与 小礼物)
$rates"

e2e_start
e2e_main_window
wheel=$E2E_START_SHOT
e2e_expect_label1 "$wheel" 95 125 "OPPO手机 from the file"

e2e_open_settings
e2e_type_name 1 ' V I P '
# 11 characters: the box keeps the first 9 bytes, "Big TV Se".
e2e_type_name 2 'Big TV Set!'
e2e_shot "$MAIN" typed

cp "$E2E_DIR/peizhi.ini" "$E2E_DIR/peizhi.ini.orig"
e2e_click "$MAIN" 441 512
# Prize 2's name is the last one written that differs from the file.
names_saved() {
  LAST="奖项1=$(e2e_ini_get 奖项 奖项1) 奖项2=$(e2e_ini_get 奖项 奖项2);"
  LAST+=" in the starting folder: $(ls -A "$E2E_START_DIR" | tr '\n' ' ')"
  [ "$(e2e_ini_get 奖项 奖项2)" = BigTVSe ]
}
e2e_until 10 "保存 did not store prize 2's name" names_saved
e2e_expect_keys 奖项 奖项 VIP BigTVSe 铜奖 谢谢参与 毛巾 水杯 大奖 雨伞 谢谢参与 小礼物
e2e_ok "the names are stored without their blanks, the second box kept 9 bytes, the rest as they were"
got=$(iconv -f GBK -t UTF-8 "$E2E_DIR/peizhi.ini" | tr -d '\r' |
  sed -n '/^\[中奖率\]/,/^\[/p' | grep -v '^\[奖项\]')
[ "$got" = "$rates" ] || e2e_fail "the rate section changed: $got"
e2e_ok "the rate section is kept as it was"
e2e_until 3 "other files stay beside the program after the save" e2e_only_ini
e2e_ok "no other file is left beside the program"
[ -z "$(ls -A "$E2E_START_DIR")" ] ||
  e2e_fail "the save wrote into the folder the program was started from: $(ls -A "$E2E_START_DIR")"
e2e_ok "started from $E2E_START_DIR, the program saved beside itself and nothing there"

e2e_click "$MAIN" 30 10
new_label_shown() {
  e2e_shot "$MAIN" wheel-after
  e2e_label1_width "$SHOT"
  e2e_px diff "$wheel" "$SHOT" $(e2e_box 195 78 133 25)
  LAST="label $WIDTH px wide, $PX pixels changed"
  [ "$PX" -ge 100 ] && e2e_between "$WIDTH" 25 45 && e2e_wheel_shown "$SHOT"
}
e2e_until 5 "back on the wheel prize 1's label does not show VIP" new_label_shown
e2e_ok "back on the wheel prize 1's label changed to the width of VIP, narrower than OPPO手机 ($LAST)"
e2e_expect_angle "$SHOT" 0

e2e_close_last
