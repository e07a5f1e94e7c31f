#!/usr/bin/env bash
# A peizhi.ini of 700 MB (a few names, then zeros): 保存 on the settings page shows one message
# box, writes nothing and the program goes on; after the file is cut back to its names a second
# click on 保存 stores what was typed, which stayed in the box. (The start-up reads no names from
# so large a file: the boxes hold the built-in ones.)
source "$(dirname "$0")/lib.sh"
e2e_begin large-file "${1:-}"

e2e_write_ini "$(e2e_names 金奖 银奖)"
names_size=$(stat -c %s "$E2E_DIR/peizhi.ini")
# Sparse: written in no time and taking no disk.
truncate -s 700M "$E2E_DIR/peizhi.ini" || e2e_fail "could not make the 700 MB file"
before=$(stat -c '%s %Y %i' "$E2E_DIR/peizhi.ini")

e2e_start
e2e_main_window
e2e_open_settings
e2e_type_name 1 VIP

e2e_click "$MAIN" 441 512
e2e_wait_window "$E2E_MSG_RE" 20
msg=$WIN
e2e_expect_alive "at the save"
[ "$(e2e_count '^错误$')" -eq 0 ] || e2e_fail "the save showed the fatal error box"
[ "$(stat -c '%s %Y %i' "$E2E_DIR/peizhi.ini")" = "$before" ] ||
  e2e_fail "the refused save changed peizhi.ini"
head -c "$names_size" "$E2E_DIR/peizhi.ini" | iconv -f GBK -t UTF-8 | grep -q '^奖项1=金奖' ||
  e2e_fail "the names at the start of peizhi.ini changed"
e2e_only_ini || e2e_fail "other files beside the program after the refused save: $LAST"
e2e_ok "保存 on the 700 MB file shows the message box 信息：, the file is as it was, no other file"
e2e_dismiss "$msg"
e2e_expect_alive "after the message box"

truncate -s "$names_size" "$E2E_DIR/peizhi.ini"
e2e_click "$MAIN" 441 512
saved() {
  LAST="奖项1=$(e2e_ini_get 奖项 奖项1); $(stat -c %s "$E2E_DIR/peizhi.ini") bytes"
  [ "$(e2e_ini_get 奖项 奖项1)" = VIP ]
}
e2e_until 10 "the second 保存 did not store what was typed" saved
stored=$LAST
[ "$(e2e_count "$E2E_MSG_RE")" -eq 0 ] || e2e_fail "the second 保存 showed a message box"
e2e_until 3 "other files stay beside the program after the save" e2e_only_ini
e2e_ok "cut back to its names, the file takes the typed name at the second 保存 ($stored)"

e2e_close_last
