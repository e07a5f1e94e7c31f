# shellcheck shell=bash disable=SC2034,SC2046
# (The globals are read by the scripts that source this; box coordinates split on purpose.)
# Sourced by the whole-program tests: runs a copy of kelvra.exe under Wine, finds its windows,
# clicks and types with xdotool, takes screenshots and judges them. Functions only.
#
# Points given to e2e_click and the box helpers are client coordinates of the window in layout
# units (pixels at 96 DPI). Without a window manager every Wine top-level window is one X window
# holding its own frame and caption, so a client point lies E2E_CX, E2E_CY further in;
# e2e_main_window measures that offset.
#
# The environment picks how Wine runs: E2E_CODEPAGE=1252 (default) or 936, E2E_DPI=96 (default),
# 120, 144 or 192. Each has a prefix of its own (scripts/wine-env.sh); the program is started
# from a folder other than its own.

set -uo pipefail
export LC_ALL=C.UTF-8

E2E_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
E2E_PY=/usr/bin/python3
E2E_PIXELS=$E2E_ROOT/tests/e2e/pixels.py
E2E_MAIN_RE='^KelvraV1\.0 BY Ostrand QQ：555010727$'
E2E_RATE_RE='^中奖率设置-KelvraV1\.0 BY Ostrand QQ：555010727$'
E2E_MSG_RE='^信息：$'
# The wheel page's canvas begins 20 pixels below the client top; the hub is centred on (262, 262)
# of the canvas.
E2E_HUB_X=262
E2E_HUB_Y=282

export E2E_CODEPAGE=${E2E_CODEPAGE:-1252} E2E_DPI=${E2E_DPI:-96}
E2E_NAME=
E2E_DIR=
E2E_START_DIR=
E2E_PID=
E2E_MORE_PIDS=()  # other copies a test started; ended with it
E2E_RC=
E2E_OWN_DISPLAY=
E2E_CX=
E2E_CY=
E2E_SHOTS=0
E2E_STARTS=0
E2E_LOG=  # the log of the copy started last: Wine's error messages and what the program wrote
E2E_HOLDING=

e2e_log() { echo "[$E2E_NAME] $*"; }
e2e_ok() { echo "[$E2E_NAME] ok: $*"; }
e2e_fail() {
  echo "[$E2E_NAME] FAILED: $*" >&2
  exit 1
}

# e2e_begin NAME EXE: a fresh folder build/e2e/NAME[-cp936][-NNNdpi] holding a copy of EXE, an
# empty folder beside it to start it from, the Wine environment (a private display when none is
# set, or when the DPI needs a larger screen) and the cleanup on exit.
e2e_begin() {
  E2E_NAME=$1
  [ "$E2E_CODEPAGE" = 1252 ] || E2E_NAME+=-cp$E2E_CODEPAGE
  [ "$E2E_DPI" = 96 ] || E2E_NAME+=-${E2E_DPI}dpi
  local exe=${2:-$E2E_ROOT/build/win32/kelvra.exe} got
  [ -f "$exe" ] || { echo "[$E2E_NAME] no program at '$exe'" >&2; exit 1; }
  # shellcheck source=/dev/null
  source "$E2E_ROOT/scripts/wine-env.sh"
  kelvra_wine_select "$E2E_CODEPAGE" "$E2E_DPI" || e2e_fail "no Wine for these settings"
  [ "$E2E_DPI" = 96 ] || unset DISPLAY
  [ -n "${DISPLAY:-}" ] || E2E_OWN_DISPLAY=1
  trap e2e_cleanup EXIT
  if [ -z "$E2E_OWN_DISPLAY" ]; then
    kelvra_hold_display || e2e_fail "the display '$DISPLAY' cannot be held for the test"
    E2E_HOLDING=1
  fi
  kelvra_wine_up || e2e_fail "could not start Xvfb and Wine"
  got=$(kelvra_wine_query 'HKLM\System\CurrentControlSet\Control\Nls\CodePage' ACP)
  [ "$got" = "$E2E_CODEPAGE" ] || e2e_fail "Wine runs with code page '$got', not $E2E_CODEPAGE"
  got=$(kelvra_wine_query 'HKCU\Control Panel\Desktop' LogPixels)
  [ "$((${got:-96}))" = "$E2E_DPI" ] || e2e_fail "Wine runs at '$got' DPI, not $E2E_DPI"
  E2E_DIR=$E2E_ROOT/build/e2e/$E2E_NAME
  E2E_START_DIR=$E2E_DIR-start
  rm -rf "$E2E_DIR" "$E2E_START_DIR"
  mkdir -p "$E2E_DIR" "$E2E_START_DIR"
  cp "$exe" "$E2E_DIR/kelvra.exe"
  e2e_log "program copied to $E2E_DIR (display $DISPLAY; Wine runs with code page $E2E_CODEPAGE" \
    "at $E2E_DPI DPI)"
}

e2e_cleanup() {
  local status=$? pid
  for pid in "$E2E_PID" "${E2E_MORE_PIDS[@]}"; do
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
      kill -KILL "$pid" 2>/dev/null
      wait "$pid" 2>/dev/null
    fi
  done
  [ -n "$E2E_HOLDING" ] && kelvra_release_display
  [ -n "$E2E_OWN_DISPLAY" ] && kelvra_wine_down
  exit "$status"
}

# e2e_write_ini TEXT: peizhi.ini beside the program, TEXT (UTF-8, LF) turned into GBK with CRLF.
e2e_write_ini() {
  printf '%s\n' "$1" | sed 's/$/\r/' | iconv -f UTF-8 -t GBK >"$E2E_DIR/peizhi.ini" ||
    e2e_fail "could not write peizhi.ini"
}

# e2e_ini_get SECTION KEY: the value in peizhi.ini as UTF-8; status 1 when the key is missing.
e2e_ini_get() {
  iconv -f GBK -t UTF-8 "$E2E_DIR/peizhi.ini" | tr -d '\r' |
    awk -v s="[$1]" -v k="$2" '
      $0 == s { inside = 1; next }
      /^\[/ { inside = 0 }
      inside && index($0, k "=") == 1 { print substr($0, length(k) + 2); found = 1; exit }
      END { exit !found }'
}

# e2e_expect_ini SECTION KEY VALUE
e2e_expect_ini() {
  local got
  got=$(e2e_ini_get "$1" "$2") || e2e_fail "peizhi.ini has no $2 in [$1]"
  [ "$got" = "$3" ] || e2e_fail "peizhi.ini [$1] $2 is '$got', expected '$3'"
}

# e2e_start: starts the program by its full path from E2E_START_DIR. Each start writes a log of
# its own (wine.log, then wine-2.log, ...) with Wine's error messages: the quiet default of the
# other Wine commands would leave it empty. A test that asks for more (WINEDEBUG=+loaddll) gets it.
e2e_start() {
  local debug=${WINEDEBUG:--all}
  [ "$debug" = -all ] && debug=fixme-all
  E2E_STARTS=$((E2E_STARTS + 1))
  E2E_LOG=$E2E_DIR/wine.log
  [ "$E2E_STARTS" -eq 1 ] || E2E_LOG=$E2E_DIR/wine-$E2E_STARTS.log
  (cd "$E2E_START_DIR" && exec env "${KELVRA_WINE_ENV[@]}" WINEDEBUG="$debug" wine "$E2E_DIR/kelvra.exe") \
    </dev/null >"$E2E_LOG" 2>&1 &
  E2E_PID=$!
  e2e_log "started kelvra.exe (pid $E2E_PID) in $E2E_START_DIR; its log: $E2E_LOG"
}

# e2e_windows REGEX: the program's visible windows whose caption matches, one id a line.
e2e_windows() {
  xdotool search --all --onlyvisible --pid "$E2E_PID" --name "$1" 2>/dev/null
}

# e2e_wait_window REGEX [SECONDS] [EXCEPT]: sets WIN to a window whose caption matches, other
# than those in EXCEPT (ids separated by blanks).
e2e_wait_window() {
  e2e_until "${2:-20}" "no window '$1'" e2e_window_shown "$1" "${3:-}"
}
e2e_window_shown() {
  local id
  e2e_expect_alive "while waiting for a window '$1'"
  for id in $(e2e_windows "$1"); do
    case " $2 " in *" $id "*) ;; *) WIN=$id; return 0 ;; esac
  done
  return 1
}

# e2e_wait_gone ID [SECONDS]
e2e_wait_gone() {
  e2e_until "${2:-10}" "window $1 still open" eval "! e2e_windows . | grep -qx '$1'"
}

# e2e_count REGEX: how many of the program's windows match.
e2e_count() { e2e_windows "$1" | grep -c . ; }

# e2e_wait_exit [SECONDS]: waits for the program to end; its exit status lands in E2E_RC.
e2e_wait_exit() {
  e2e_until "${1:-10}" "the program is still running" eval '! e2e_alive'
  wait "$E2E_PID"
  E2E_RC=$?
  E2E_PID=
}

e2e_alive() { kill -0 "$E2E_PID" 2>/dev/null; }

# e2e_expect_alive WHEN: fails when the program has ended, with its exit status and the end of
# its log.
e2e_expect_alive() {
  local rc
  e2e_alive && return 0
  wait "$E2E_PID" 2>/dev/null
  rc=$?
  echo "[$E2E_NAME] the last lines of $E2E_LOG:" >&2
  tail -n 25 "$E2E_LOG" 2>/dev/null | sed 's/^/    /' >&2
  e2e_fail "the program (pid $E2E_PID) ended $1, with exit status $rc"
}

# e2e_until SECONDS WHAT COMMAND...: runs COMMAND in this shell until it succeeds; after SECONDS
# fails with WHAT and the last measurement COMMAND left in LAST.
e2e_until() {
  local limit=$1 what=$2 end
  shift 2
  end=$((SECONDS + limit))
  LAST=
  until "$@"; do
    [ $SECONDS -lt $end ] || e2e_fail "$what (last: $LAST)"
    sleep 0.2
  done
}

# e2e_main_window: waits for the main window (MAIN) and for its wheel to be drawn and settled
# (two grabs alike), and measures the client offset from that screenshot (E2E_START_SHOT).
e2e_main_window() {
  e2e_wait_window "$E2E_MAIN_RE" 30
  MAIN=$WIN
  e2e_until 15 "the main window shows no settled wheel" e2e_wheel_settled
  e2e_ok "main window $MAIN; its client area starts at ($E2E_CX, $E2E_CY) of the X window"
}

e2e_wheel_settled() {
  local offsets
  e2e_settled "$MAIN" start 0 0 100000 100000 || return 1
  E2E_START_SHOT=$SHOT
  offsets=$("$E2E_PY" "$E2E_PIXELS" origin "$SHOT" 2>&1) || { LAST=$offsets; return 1; }
  read -r E2E_CX E2E_CY <<<"$offsets"
  [ "$E2E_CX" -ge 0 ] && [ "$E2E_CX" -le "$(e2e_u 10)" ] && [ "$E2E_CY" -ge 0 ] &&
    [ "$E2E_CY" -le "$(e2e_u 40)" ] ||
    e2e_fail "odd client offset ($E2E_CX, $E2E_CY) measured from $SHOT"
}

# e2e_click ID X Y: a left click at client point (X, Y).
e2e_click() {
  xdotool mousemove --window "$1" $(e2e_pt "$2" "$3") click 1 ||
    e2e_fail "could not click window $1"
}

# e2e_activate ID X Y: a click on a spot of the window that does nothing, so that it becomes
# the active window and takes the keys (focusing its X window alone does not move Wine's focus).
e2e_activate() {
  e2e_click "$@"
  sleep 0.2
}

# e2e_type TEXT: types ASCII text. (xdotool types other characters by binding them to a spare key
# for one press; a program that reads the press late, on a loaded machine, gets no character.)
e2e_type() { xdotool type --delay 40 "$1"; sleep 0.2; }
e2e_key() { xdotool key --delay 40 "$@"; sleep 0.2; }

# e2e_hotkey ID: Ctrl+F12 while the X window ID has the focus.
e2e_hotkey() {
  xdotool windowfocus --sync "$1" && xdotool key ctrl+F12 || e2e_fail "could not press Ctrl+F12"
}

# e2e_shot ID LABEL: sets SHOT to a new screenshot of the window in the test's folder.
e2e_shot() {
  E2E_SHOTS=$((E2E_SHOTS + 1))
  SHOT=$E2E_DIR/shot-$(printf %02d $E2E_SHOTS)-$2.png
  import -window "$1" "$SHOT" 2>/dev/null || e2e_fail "could not take a screenshot of window $1"
}

# e2e_px COMMAND SHOT ARGS...: sets PX to what pixels.py measured.
e2e_px() { PX=$("$E2E_PY" "$E2E_PIXELS" "$@") || e2e_fail "pixels.py $1 failed on $2"; }

# e2e_u N: N layout units in pixels at E2E_DPI, rounded half up.
e2e_u() { echo $((($1 * E2E_DPI + 48) / 96)); }

# e2e_pt X Y: a client point as screenshot coordinates.
e2e_pt() { echo $(($(e2e_u "$1") + E2E_CX)) $(($(e2e_u "$2") + E2E_CY)); }

# e2e_box X Y W H: a client box as screenshot coordinates.
e2e_box() { echo $(e2e_pt "$1" "$2") $(e2e_u "$3") $(e2e_u "$4"); }

# e2e_field LINE NAME: the value after NAME= in a pixels.py line.
e2e_field() { sed -n -E "s/(^|.* )$2=([^ ]*).*/\2/p" <<<"$1"; }

# e2e_between VALUE MIN MAX: true when MIN <= VALUE <= MAX (decimals allowed).
e2e_between() {
  awk -v v="$1" -v a="$2" -v b="$3" '
    BEGIN { exit !(v ~ /^-?[0-9.]+$/ && v + 0 >= a && v + 0 <= b) }'
}

# e2e_wheel_shown SHOT: the screenshot shows the wheel page: one arrow about the hub.
e2e_wheel_shown() {
  e2e_px pointer "$1" $(e2e_pt $E2E_HUB_X $E2E_HUB_Y)
  e2e_between "$(e2e_field "$PX" spread)" 0.9 1 && e2e_between "$(e2e_field "$PX" dark)" 500 100000
}

# e2e_expect_angle SHOT DEGREES: the wheel's pointer points within 3 degrees of DEGREES
# (clockwise from straight up).
e2e_expect_angle() {
  local a
  e2e_wheel_shown "$1" || e2e_fail "no single arrow on the wheel in $1 ($PX)"
  a=$(e2e_field "$PX" angle)
  awk -v a="$a" -v e="$2" 'BEGIN { d = a - e; d -= 360 * int(d / 360); if (d > 180) d -= 360;
    if (d < -180) d += 360; exit !(d >= -3 && d <= 3) }' ||
    e2e_fail "the pointer points at $a degrees, expected $2 ($1)"
  e2e_ok "the pointer points at $2 degrees ($PX)"
}

# e2e_names V1 ...: the 奖项 section with these names; e2e_rates V1 ...: the 中奖率 section.
e2e_names() { e2e_section 奖项 "$@"; }
e2e_rates() { e2e_section 中奖率 "$@"; }
e2e_section() {
  local name=$1 k=0 value
  shift
  printf '[%s]' "$name"
  for value in "$@"; do printf '\n%s%d=%s' "$name" $((k += 1)) "$value"; done
}

# A file that gives prize 7 (the sector at 216 degrees) every winning rate.
E2E_PRIZE7_INI="$(e2e_names 金奖 银奖 铜奖 谢谢参与 毛巾 水杯 大奖 雨伞 谢谢参与 小礼物)
$(e2e_rates 0 0 0 0 0 0 100 0 0 0)"

# e2e_spin N: spin N under E2E_PRIZE7_INI: presses the hub, and again while the pointer turns;
# the pointer moves for the time of one prize-7 spin and stops on prize 7.
# Prize 7 takes 76 steps; the last comes after the nominal waits of the first 75, 6.68 s. A spin
# started by the second press would move the pointer for about as long again.
e2e_spin() {
  local n=$1 first last turns
  e2e_log "spin $n: pressing the hub, and again 2.5 s later"
  e2e_px spin "$MAIN" $(e2e_pt $E2E_HUB_X $E2E_HUB_Y) 2.5 \
    $(e2e_box $((E2E_HUB_X - 155)) $((E2E_HUB_Y - 155)) 310 310) 1.5 25 "$E2E_DIR/spin$n"
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

# e2e_label1_width SHOT: sets WIDTH to the width in pixels of the text of prize 1's label on the
# wheel (the label at the top, the one that is never turned).
e2e_label1_width() {
  e2e_px ink "$1" $(e2e_box 195 78 133 25)
  WIDTH=$(e2e_field "$PX" width)
}

# e2e_expect_label1 SHOT MIN MAX NAME: prize 1's label is MIN to MAX pixels wide, as NAME is.
e2e_expect_label1() {
  e2e_label1_width "$1"
  e2e_between "$WIDTH" "$2" "$3" || e2e_fail "prize 1's label is $WIDTH px wide, not that of $4"
  e2e_ok "prize 1's label has the width of $4 ($WIDTH px)"
}

# e2e_open_settings: a click on the tab 软件设置 shows the settings page; SHOT is the page
# settled.
e2e_open_settings() {
  e2e_click "$MAIN" 90 10
  e2e_until 5 "the settings page did not show" e2e_settings_shown
}

# e2e_type_name K TEXT: types TEXT over prize K's name box, at (209, 52 + 39 (K - 1)), 152 x 30.
e2e_type_name() {
  e2e_click "$MAIN" 285 $((67 + 39 * ($1 - 1)))
  e2e_key ctrl+a
  e2e_type "$2"
}

# e2e_type_rate ID K TEXT: types TEXT over rate box K of the rate window ID; box K lies at
# (88, 8 + 39 (K - 1)) for prizes 1 to 5 and (256, ...) for 6 to 10, 80 x 30.
e2e_type_rate() {
  e2e_click "$1" $((128 + ($2 > 5) * 168)) $((23 + 39 * (($2 - 1) % 5)))
  e2e_key ctrl+a
  e2e_type "$3"
}

# e2e_dismiss ID: Return in the message box ID closes it.
e2e_dismiss() {
  xdotool windowfocus --sync "$1"
  e2e_key Return
  e2e_wait_gone "$1"
}

# e2e_close_last [ID X Y]: Esc in the window ID (the main window), made active by a click at
# client point (X, Y), closes the program's last window: the process exits with 0.
e2e_close_last() {
  e2e_activate "${1:-$MAIN}" "${2:-40}" "${3:-540}"
  e2e_key Escape
  e2e_wait_exit 10
  [ "$E2E_RC" -eq 0 ] || e2e_fail "the process exited with $E2E_RC, expected 0"
  e2e_ok "Esc closes the last window; the process exits with 0"
}

# e2e_expect_keys SECTION KEY VALUE...: peizhi.ini holds KEY1=VALUE, KEY2=VALUE... in SECTION.
e2e_expect_keys() {
  local section=$1 key=$2 k=0
  shift 2
  while [ $# -gt 0 ]; do
    e2e_expect_ini "$section" "$key$((k += 1))" "$1"
    shift
  done
}

# e2e_settings_shown: the main window shows the settings page, settled (a page caught while it
# paints may show a box or two over the wheel): its first and last name boxes white, at (209, 52)
# and (209, 403), 152 x 30.
e2e_settings_shown() {
  local first last
  e2e_settled "$MAIN" settings $(e2e_box 0 20 520 530) || return 1
  e2e_px colour "$SHOT" $(e2e_box 215 56 140 22) 255 255 255 $(e2e_box 215 407 140 22)
  read -r first last <<<"$PX"
  LAST="first name box $first% white, last $last%"
  [ "$first" -ge 60 ] && [ "$last" -ge 60 ]
}

# e2e_settled ID LABEL X Y W H: a screenshot (SHOT) taken when two grabs in a row, 0.1 s apart,
# are alike in the box (screenshot pixels); fails when the box is still changing after 2 s, and
# e2e_until tries again. A window caught while it paints is never taken for what it will show.
e2e_settled() {
  local id=$1
  E2E_SHOTS=$((E2E_SHOTS + 1))
  SHOT=$E2E_DIR/shot-$(printf %02d $E2E_SHOTS)-$2.png
  shift 2
  LAST=$("$E2E_PY" "$E2E_PIXELS" settle "$id" "$SHOT" 2 "$@" 2>&1)
}

# e2e_files: the names in the program's folder other than the program, its log, screenshots and
# the tests' own copies (*.orig).
e2e_files() {
  local f
  for f in "$E2E_DIR"/* "$E2E_DIR"/.[!.]*; do
    [ -e "$f" ] || continue
    case ${f##*/} in
      kelvra.exe | wine.log | wine-*.log | shot-*.png | spin*.png | *.orig) ;;
      *) echo "${f##*/}" ;;
    esac
  done
}

# e2e_only_ini: no file but peizhi.ini beside the program (what there is in LAST).
e2e_only_ini() {
  LAST=$(e2e_files | tr '\n' ' ')
  [ "$LAST" = "peizhi.ini " ]
}
