#!/usr/bin/env bash
# shellcheck disable=SC2046,SC2086
# (Lists of names and box coordinates split on purpose.)
#
# No library beside the program runs. A copy of a small library that leaves a marker file when
# loaded lies beside kelvra.exe under the name of each library that the program, or a system
# library for it, loads by name during a start, a spin, a save of the names, 说明, Ctrl+F12 and
# F11; Wine is told to look in the program's folder first for each. None may load, and each must
# have been loaded from the system folder, so that every copy had its chance.
#
# Among them those that Wine's own libraries load late by name (msimg32.dll for the theme library,
# ole32.dll for the input method's COM): Wine looks for those in the search order of the start, the
# program's folder first, so the program loads them from the system folder before any window.
# Left out: what Wine loads as the process starts, before any code of the program (what an empty
# window loads too, and the program's imports, which Windows takes from its system folder only).
# version.dll is among those loaded at the start: its copy must load, or the test proves nothing.
#
# Usage: libraries.sh KELVRA_EXE PLANTED_DLL
source "$(dirname "$0")/lib.sh"
e2e_begin libraries "${1:-}"
planted=${2:-$E2E_ROOT/build/win32/tests/e2e/planted.dll}
[ -f "$planted" ] || e2e_fail "no planted library at '$planted'"

# Wine's user32 loads its display driver by name when the program first draws: the one load here
# that only the restriction of the search, not the program's own way of loading, keeps from the
# program's folder.
checked="uxtheme.dll comctl32.dll shcore.dll winmm.dll msacm32.dll msscript.ocx jscript.dll
  winex11.drv msimg32.dll ole32.dll combase.dll rpcrt4.dll oleaut32.dll"
# The platform's JPEG decoder and what it loads: the program has its pictures as raw pixels and
# needs them only when those are missing. Planted all the same; none may load from beside it.
unneeded="windowscodecs.dll shlwapi.dll propsys.dll"
control=version.dll
at_start="kernelbase.dll kernel32.dll msvcrt.dll ucrtbase.dll sechost.dll advapi32.dll zlib1.dll
  version.dll win32u.dll user32.dll gdi32.dll imm32.dll"

overrides=$WINEDLLOVERRIDES
for name in $checked $unneeded $control; do
  cp "$planted" "$E2E_DIR/$name"
  overrides+=";$name=n,b"
done
export WINEDLLOVERRIDES=$overrides WINEDEBUG=+pid,+loaddll
e2e_log "planted:" $checked $unneeded $control

# marker NAME: the marker a copy leaves, named as the loader spelled the library (UxTheme.dll).
marker() { find "$E2E_DIR" -maxdepth 1 -iname "$1.loaded" | grep .; }
# none_loaded WHEN: fails naming the copies that were loaded.
none_loaded() {
  local name
  for name in $checked $unneeded; do
    ! marker "$name" >/dev/null || e2e_fail "the $name beside the program was loaded $1"
  done
}
# A program that took a copy may end before it shows a window.
main_shown() { none_loaded "at start"; [ -n "$(e2e_windows "$E2E_MAIN_RE")" ]; }

e2e_write_ini "$E2E_PRIZE7_INI"
e2e_start
e2e_until 30 "no main window" main_shown
e2e_main_window

e2e_click "$MAIN" $E2E_HUB_X $E2E_HUB_Y
E2E_START_SHOT=
spin_over() {
  e2e_wheel_settled && e2e_wheel_shown "$SHOT" || return 1
  LAST="the pointer rests at $(e2e_field "$PX" angle) degrees"
  e2e_between "$(e2e_field "$PX" angle)" 213 219
}
e2e_until 20 "the spin did not end on prize 7" spin_over
none_loaded "by the spin"
e2e_ok "the spin ended on prize 7"

e2e_open_settings
e2e_type_name 1 VIP
e2e_click "$MAIN" 441 512
saved() { LAST=$(e2e_ini_get 奖项 奖项1); [ "$LAST" = VIP ]; }
e2e_until 10 "保存 did not store the names" saved
none_loaded "by the save"
e2e_ok "保存 stored the names"

e2e_click "$MAIN" 78 512
e2e_wait_window "$E2E_MAIN_RE" 10 "$MAIN"
none_loaded "by 说明"
e2e_ok "说明 opened the instructions window"
e2e_hotkey "$MAIN"
e2e_wait_window "$E2E_RATE_RE" 10
none_loaded "by Ctrl+F12"
e2e_ok "Ctrl+F12 opened the rate window"

width() { xdotool getwindowgeometry --shell "$MAIN" | sed -n 's/^WIDTH=//p'; }
e2e_activate "$MAIN" 40 540
e2e_key F11
full() { LAST="main window $(width) px wide"; [ "$(width)" -ge 1000 ]; }
e2e_until 5 "F11 did not fill the screen" full
e2e_key F11
e2e_until 5 "F11 again did not bring the window back" eval '! full'
none_loaded "by F11"
e2e_ok "F11 filled the screen and F11 again brought the window back"

# The loads of the program's own process, by any of its threads (pictures are made on other
# threads), as "folder\name" lines in lower case; each line starts "process:thread:".
pid=$(grep -a -m1 -o '^[0-9a-f]*:[0-9a-f]*:trace:loaddll:.*\\kelvra\.exe"' "$E2E_DIR/wine.log" | cut -d: -f1)
[ -n "$pid" ] || e2e_fail "Wine's log has no load of kelvra.exe"
loads=$(grep -a "^$pid:[0-9a-f]*:trace:loaddll:.* Loaded L\"" "$E2E_DIR/wine.log" |
  sed -E 's/.* Loaded L"([^"]*)".*/\1/; s/\\\\/\\/g' | tr '[:upper:]' '[:lower:]' | sort -u)

for name in $checked; do
  grep -qx "c:\\\\windows\\\\.*\\\\$name" <<<"$loads" ||
    e2e_fail "$name was not loaded from the system folder; loads: $(tr '\n' ' ' <<<"$loads")"
done
e2e_ok "none of the copies was loaded; each library came from the system folder"
marker "$control" >/dev/null ||
  e2e_fail "the $control beside the program left no marker: planting proves nothing"
e2e_ok "the $control beside the program, which Wine loads as the process starts, left its marker"

grep -q 'winsxs\\x86_microsoft.windows.common-controls_[^\\]*_6\.0\.[^\\]*\\comctl32\.dll$' \
  <<<"$loads" || e2e_fail "the common controls are not version 6: $(grep comctl32 <<<"$loads")"
e2e_ok "the common controls are version 6 from the side-by-side store"

listed="$(printf ' %s' $checked $unneeded $at_start kelvra.exe) "
unlisted=
while read -r path; do
  name=${path##*\\}
  case $listed in
    *" $name "*) ;;
    *) unlisted+=" $name" ;;
  esac
done <<<"$loads"
[ -z "$unlisted" ] || e2e_fail "the program loaded libraries this test does not plant:$unlisted"
e2e_ok "every library loaded is planted or loaded as the process starts"
