#!/usr/bin/env bash
# A peizhi.ini that is a symbolic link to a file in another folder: the program reads through the
# link, and 保存 writes the file the link leads to; the link stays a link, and no file is left in
# either folder.
source "$(dirname "$0")/lib.sh"
e2e_begin link "${1:-}"

e2e_write_ini "$(e2e_names 金奖 银奖)"
target_dir=$E2E_DIR-target
rm -rf "$target_dir"
mkdir -p "$target_dir"
mv "$E2E_DIR/peizhi.ini" "$target_dir/settings.ini"
ln -s "$target_dir/settings.ini" "$E2E_DIR/peizhi.ini"
trap 'rm -rf "$target_dir"; e2e_cleanup' EXIT

e2e_start
e2e_main_window
e2e_open_settings
e2e_type_name 1 VIP
e2e_click "$MAIN" 441 512
through_link() {
  LAST="target: $(iconv -f GBK -t UTF-8 "$target_dir/settings.ini" | tr -d '\r' | tr '\n' ' ')"
  iconv -f GBK -t UTF-8 "$target_dir/settings.ini" | tr -d '\r' | grep -qx '奖项1=VIP'
}
e2e_until 10 "保存 did not write the link's target" through_link
[ -L "$E2E_DIR/peizhi.ini" ] || e2e_fail "the save replaced the link by a file"
[ "$(readlink "$E2E_DIR/peizhi.ini")" = "$target_dir/settings.ini" ] ||
  e2e_fail "the link now leads to $(readlink "$E2E_DIR/peizhi.ini")"
e2e_expect_ini 奖项 奖项2 银奖  # read through the link at start: the built-in name is 谢谢参与
[ "$(e2e_count "$E2E_MSG_RE")" -eq 0 ] || e2e_fail "保存 showed a message box"
e2e_ok "保存 wrote the link's target ($LAST); peizhi.ini is still a link to it"
e2e_until 3 "other files stay beside the program after the save" e2e_only_ini
[ "$(ls -A "$target_dir")" = settings.ini ] ||
  e2e_fail "other files stay beside the target: $(ls -A "$target_dir")"
e2e_ok "no other file in either folder"

e2e_close_last
