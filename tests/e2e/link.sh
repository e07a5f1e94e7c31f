#!/usr/bin/env bash
# A peizhi.ini that is a symbolic link to a file in another folder: the program reads through the
# link, and 保存 writes the file the link leads to; the link stays a link, and no file is left in
# either folder. Beside that file a link named as a temporary file of the program leads to a file
# of the operator's in a third folder: the save's clean-up of temporary files leaves both alone.
source "$(dirname "$0")/lib.sh"
e2e_begin link "${1:-}"

e2e_write_ini "$(e2e_names 金奖 银奖)"
target_dir=$E2E_DIR-target
lists_dir=$E2E_DIR-lists
rm -rf "$target_dir" "$lists_dir"
mkdir -p "$target_dir" "$lists_dir"
mv "$E2E_DIR/peizhi.ini" "$target_dir/settings.ini"
ln -s "$target_dir/settings.ini" "$E2E_DIR/peizhi.ini"
temp_link=$target_dir/~kelvra-12345678.tmp
echo "the operator's list" >"$lists_dir/list.txt"
ln -s "$lists_dir/list.txt" "$temp_link"
trap 'rm -rf "$target_dir" "$lists_dir"; e2e_cleanup' EXIT

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
[ -L "$temp_link" ] && [ "$(cat "$lists_dir/list.txt" 2>&1)" = "the operator's list" ] ||
  e2e_fail "the save removed a link named as a temporary file, or the file it leads to"
e2e_ok "a link named as a temporary file and the operator's file it leads to stay"
e2e_until 3 "other files stay beside the program after the save" e2e_only_ini
[ "$(ls -A "$target_dir" | LC_ALL=C sort | tr '\n' ' ')" = "settings.ini ${temp_link##*/} " ] ||
  e2e_fail "other files stay beside the target: $(ls -A "$target_dir")"
e2e_ok "no other file in either folder"

e2e_close_last
