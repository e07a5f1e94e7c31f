#!/usr/bin/env bash
# Saving prize names on the settings page: names typed with blanks are stored without them in the
# 奖项 section of the peizhi.ini beside the program (not in the folder it was started from), a name
# box takes at most 9 bytes, the rate section stays as it was, and the wheel then shows the new
# name.
source "$(dirname "$0")/lib.sh"
e2e_begin names "${1:-}"

rates='[中奖率]
中奖率1=0
中奖率2=20
中奖率3=1
中奖率4=25
中奖率5=15
中奖率6=0
中奖率7=1
中奖率8=5
中奖率9=30
中奖率10=3'
e2e_write_ini "[奖项]
奖项1=OPPO手机
奖项2=银奖
奖项3=铜奖
奖项4=谢谢参与
奖项5=毛巾
奖项6=水杯
奖项7=大奖
奖项8=雨伞
奖项9=谢谢参与
奖项10=小礼物
$rates"

e2e_start
e2e_main_window
wheel=$E2E_START_SHOT
e2e_label1_width "$wheel"
e2e_between "$WIDTH" 95 125 ||
  e2e_fail "prize 1's label is $WIDTH px wide, not OPPO手机 from the file"
e2e_ok "prize 1's label has the width of OPPO手机 ($WIDTH px)"

e2e_click "$MAIN" 90 10
e2e_until 5 "the settings page did not show" e2e_settings_shown
e2e_ok "the tab 软件设置 shows the name boxes"

# Name boxes: prize k's at (209, 52 + 39 (k - 1)), 152 x 30.
e2e_click "$MAIN" 285 67
e2e_key ctrl+a
e2e_type ' V I P '
e2e_click "$MAIN" 285 106
e2e_key ctrl+a
# 11 characters: the box keeps the first 9 bytes, "Big TV Se".
e2e_type 'Big TV Set!'
e2e_log "typed ' V I P ' into prize 1's box and 'Big TV Set!' into prize 2's"
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
iconv -f GBK -t UTF-8 "$E2E_DIR/peizhi.ini" | tr -d '\r' | sed "s/^/[$E2E_NAME]   peizhi.ini: /"

e2e_expect_ini 奖项 奖项1 VIP
e2e_expect_ini 奖项 奖项2 BigTVSe
e2e_ok "the names are stored without their blanks; the second box kept 9 bytes (BigTVSe)"
k=3
for name in 铜奖 谢谢参与 毛巾 水杯 大奖 雨伞 谢谢参与 小礼物; do
  e2e_expect_ini 奖项 "奖项$k" "$name"
  k=$((k + 1))
done
e2e_ok "the other eight names are stored as they were"
got=$(iconv -f GBK -t UTF-8 "$E2E_DIR/peizhi.ini" | tr -d '\r' |
  sed -n '/^\[中奖率\]/,/^\[/p' | grep -v '^\[奖项\]')
[ "$got" = "$rates" ] || e2e_fail "the rate section changed: $got"
e2e_ok "the rate section is kept as it was"
only_ini() { LAST=$(e2e_files | tr '\n' ' '); [ "$LAST" = "peizhi.ini " ]; }
e2e_until 3 "other files stay beside the program after the save" only_ini
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

e2e_activate "$MAIN" 40 540
e2e_key Escape
e2e_wait_exit 10
[ "$E2E_RC" -eq 0 ] || e2e_fail "the process exited with $E2E_RC, expected 0"
e2e_ok "Esc closes the main window; the process exits with 0"
