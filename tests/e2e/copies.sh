#!/usr/bin/env bash
# Two copies of the program in two folders, the first holding the Ctrl+F12 hot key: Ctrl+F12 in
# the second's main window opens the second's own rate window (its process owns it, and a save
# there writes the second's folder) and nothing in the first; Ctrl+F12 in the first's main
# window then opens the first's own. Once the first has ended, the second, which never got the
# hot key, still opens its rate window with Ctrl+F12 in its main window.
source "$(dirname "$0")/lib.sh"
e2e_begin copies "${1:-}"

FIRST_DIR=$E2E_DIR
SECOND_DIR=$E2E_DIR-second
rm -rf "$SECOND_DIR"
mkdir -p "$SECOND_DIR"
cp "$FIRST_DIR/kelvra.exe" "$SECOND_DIR/kelvra.exe"

e2e_start
e2e_main_window
FIRST_PID=$E2E_PID FIRST_MAIN=$MAIN
# Let the first claim the hot key before the second asks for it.
sleep 1

E2E_MORE_PIDS=("$FIRST_PID")
E2E_DIR=$SECOND_DIR
e2e_start
e2e_main_window
SECOND_PID=$E2E_PID SECOND_MAIN=$MAIN
E2E_MORE_PIDS=("$FIRST_PID" "$SECOND_PID")
e2e_ok "first copy (pid $FIRST_PID) in $FIRST_DIR, second (pid $SECOND_PID) in $SECOND_DIR"

# rate_windows PID: how many rate windows that process shows.
rate_windows() { E2E_PID=$1 e2e_count "$E2E_RATE_RE"; }

e2e_activate "$SECOND_MAIN" 40 540
e2e_hotkey "$SECOND_MAIN"
E2E_PID=$SECOND_PID
e2e_wait_window "$E2E_RATE_RE" 10
SECOND_RATE=$WIN
[ "$(xdotool getwindowpid "$SECOND_RATE")" = "$SECOND_PID" ] ||
  e2e_fail "the rate window $SECOND_RATE is not the second copy's"
sleep 1
[ "$(rate_windows "$FIRST_PID")" -eq 0 ] ||
  e2e_fail "Ctrl+F12 in the second copy opened a rate window of the first"
e2e_ok "Ctrl+F12 in the second copy's main window opens its own rate window, none in the first"

# The total is worked out at the first change: box 2 typed again with its 20 gives the built-in
# total of 100, which 保存 at (89, 248), 168 x 32, stores.
e2e_type_rate "$SECOND_RATE" 2 20
e2e_click "$SECOND_RATE" 173 264
e2e_until 10 "保存 in the second copy's rate window wrote no peizhi.ini" \
  test -s "$SECOND_DIR/peizhi.ini"
E2E_DIR=$SECOND_DIR e2e_expect_ini 中奖率 中奖率2 20
[ ! -e "$FIRST_DIR/peizhi.ini" ] || e2e_fail "the second copy's save wrote the first's folder"
e2e_ok "a save in that rate window writes the second copy's folder and not the first's"

e2e_activate "$FIRST_MAIN" 40 540
e2e_hotkey "$FIRST_MAIN"
E2E_PID=$FIRST_PID
e2e_wait_window "$E2E_RATE_RE" 10
[ "$(xdotool getwindowpid "$WIN")" = "$FIRST_PID" ] ||
  e2e_fail "the rate window $WIN is not the first copy's"
[ "$(rate_windows "$SECOND_PID")" -eq 1 ] ||
  e2e_fail "Ctrl+F12 in the first copy changed the second's rate windows"
e2e_ok "Ctrl+F12 in the first copy's main window opens the first's own rate window"

# The first copy gone, nobody holds the hot key: the second sees Ctrl+F12 in its main window
# itself. (The copies' windows lie on one another: the first's are ended, not clicked.)
kill -KILL "$FIRST_PID"
wait "$FIRST_PID" 2>/dev/null
E2E_PID=$SECOND_PID
sleep 1
# Its main window may lie over it now.
xdotool windowraise "$SECOND_RATE"
e2e_activate "$SECOND_RATE" 300 224
e2e_key Escape
e2e_wait_gone "$SECOND_RATE"
e2e_activate "$SECOND_MAIN" 40 540
e2e_hotkey "$SECOND_MAIN"
e2e_wait_window "$E2E_RATE_RE" 10
e2e_ok "with the first copy gone, Ctrl+F12 in the second's main window opens its rate window"
