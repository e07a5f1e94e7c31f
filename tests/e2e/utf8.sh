#!/usr/bin/env bash
# A peizhi.ini that Notepad saved as UTF-8 without a byte-order mark: the wheel shows its names,
# a spin stops on the prize its rates name, the name boxes hold its names, and a save of the names
# changes only the line typed over, in UTF-8, with no mark and no GBK added.
source "$(dirname "$0")/lib.sh"
e2e_begin utf8 "${1:-}"

printf '%s\n' "$E2E_PRIZE7_INI" | sed 's/$/\r/' >"$E2E_DIR/peizhi.ini"
cp "$E2E_DIR/peizhi.ini" "$E2E_DIR/peizhi.ini.orig"

e2e_start
e2e_main_window
e2e_expect_label1 "$E2E_START_SHOT" 40 56 "金奖 of the UTF-8 file"

e2e_spin 1
e2e_ok "the rates of the UTF-8 file are read: the spin stops on prize 7"

e2e_open_settings
e2e_type_name 2 Cup
# 保存 at (441, 512).
e2e_click "$MAIN" 441 512
# Every box is saved: a box that held a built-in name instead of the file's would change its line.
sed 's/^奖项2=银奖\r$/奖项2=Cup\r/' "$E2E_DIR/peizhi.ini.orig" >"$E2E_DIR/expected.ini.orig"
saved() {
  LAST=$(tr -d '\r' <"$E2E_DIR/peizhi.ini" | sed -n 3p)
  cmp -s "$E2E_DIR/peizhi.ini" "$E2E_DIR/expected.ini.orig"
}
e2e_until 10 "保存 did not leave the UTF-8 file with prize 2's line changed alone" saved
e2e_ok "保存 changed prize 2's line only: the name boxes held the file's names"
iconv -f UTF-8 -t UTF-8 "$E2E_DIR/peizhi.ini" >/dev/null 2>&1 ||
  e2e_fail "peizhi.ini is no longer valid UTF-8 after the save"
[ "$(head -c 3 "$E2E_DIR/peizhi.ini")" != $'\xEF\xBB\xBF' ] ||
  e2e_fail "the save put a byte-order mark before the UTF-8 file"
e2e_ok "peizhi.ini stays UTF-8 without a mark, byte for byte but the line typed over"

e2e_close_last
