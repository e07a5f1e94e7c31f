#!/usr/bin/env bash
# A start with a hand-made peizhi.ini that gives prize 7 every winning rate: the wheel shows the
# file's names, a press on the hub spins the pointer for the time of one prize-7 spin however
# often the hub is pressed meanwhile, and the pointer stops on prize 7's sector (216 degrees).
# A second spin starts again from the top and stops there too.
source "$(dirname "$0")/lib.sh"
e2e_begin spin "${1:-}"

e2e_write_ini "$E2E_PRIZE7_INI"
cp "$E2E_DIR/peizhi.ini" "$E2E_DIR/peizhi.ini.orig"

e2e_start
e2e_main_window
e2e_expect_angle "$E2E_START_SHOT" 0
e2e_expect_label1 "$E2E_START_SHOT" 40 56 "金奖 from the file"

e2e_spin 1
e2e_spin 2

cmp -s "$E2E_DIR/peizhi.ini" "$E2E_DIR/peizhi.ini.orig" || e2e_fail "spinning changed peizhi.ini"
e2e_ok "spinning leaves peizhi.ini as it was"

e2e_close_last
