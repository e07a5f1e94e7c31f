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
e2e_label1_width "$E2E_START_SHOT"
e2e_between "$WIDTH" 40 56 ||
  e2e_fail "prize 1's label is $WIDTH px wide, not the two characters 金奖 of the UTF-8 file"
e2e_ok "prize 1's label has the width of the name 金奖 from the UTF-8 file ($WIDTH px)"

e2e_spin 1
e2e_ok "the rates of the UTF-8 file are read: the spin stops on prize 7"

e2e_click "$MAIN" 90 10
e2e_until 5 "the settings page did not show" e2e_settings_shown
# Prize 2's name box at (209, 91), 152 x 30; 保存 at (441, 512).
e2e_click "$MAIN" 285 106
e2e_key ctrl+a
e2e_type 'Cup'
e2e_click "$MAIN" 441 512
# Every box is saved: a box that held a built-in name instead of the file's would change its line.
sed 's/^奖项2=银奖\r$/奖项2=Cup\r/' "$E2E_DIR/peizhi.ini.orig" >"$E2E_DIR/expected.ini.orig"
saved() {
  LAST=$(tr -d '\r' <"$E2E_DIR/peizhi.ini" | sed -n 3p)
  cmp -s "$E2E_DIR/peizhi.ini" "$E2E_DIR/expected.ini.orig"
}
e2e_until 10 "保存 did not leave the UTF-8 file with prize 2's line changed alone" saved
sed "s/^/[$E2E_NAME]   peizhi.ini: /" "$E2E_DIR/peizhi.ini" | tr -d '\r'
e2e_ok "保存 changed prize 2's line only: the name boxes held the file's names"
iconv -f UTF-8 -t UTF-8 "$E2E_DIR/peizhi.ini" >/dev/null 2>&1 ||
  e2e_fail "peizhi.ini is no longer valid UTF-8 after the save"
[ "$(head -c 3 "$E2E_DIR/peizhi.ini")" != $'\xEF\xBB\xBF' ] ||
  e2e_fail "the save put a byte-order mark before the UTF-8 file"
e2e_ok "peizhi.ini stays UTF-8 without a mark, byte for byte but the line typed over"

e2e_activate "$MAIN" 40 540
e2e_key Escape
e2e_wait_exit 10
[ "$E2E_RC" -eq 0 ] || e2e_fail "the process exited with $E2E_RC, expected 0"
e2e_ok "Esc closes the main window; the process exits with 0"
