# Sourced by ./test, ./run and the test wrapper: a private X display and a Wine prefix of the
# project's own under build/. Functions only; nothing runs at source time.

KELVRA_ROOT=${KELVRA_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
export WINEARCH=win32
export WINEPREFIX=${WINEPREFIX:-$KELVRA_ROOT/build/wineprefix}

# Starts Xvfb on a free display and exports DISPLAY; KELVRA_XVFB_PID names the server.
kelvra_start_xvfb() {
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    setsid Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -ac >/dev/null 2>&1 &
    KELVRA_XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && { export DISPLAY=":$n"; return 0; }
      kill -0 "$KELVRA_XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
  done
  echo "wine-env: could not start Xvfb" >&2
  return 1
}

kelvra_stop_xvfb() {
  [ -n "${KELVRA_XVFB_PID:-}" ] && kill "$KELVRA_XVFB_PID" 2>/dev/null
  KELVRA_XVFB_PID=
}

# Writes a UTF-16 .reg file (Chinese value names need it) and imports it.
kelvra_import_reg() {
  local utf8=$1 reg=$WINEPREFIX/kelvra-import.reg
  { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE <"$utf8"; } >"$reg"
  wine regedit /S "$reg" >/dev/null 2>&1
}

# Creates the prefix once: fonts for the Chinese faces, then marks it ready.
kelvra_prepare_prefix() {
  [ -f "$WINEPREFIX/.kelvra-ready-2" ] && return 0
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  local font=wqy-microhei.ttc face="WenQuanYi Micro Hei" f tmp
  tmp=$(mktemp)
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    for f in 宋体 新宋体 黑体 SimSun NSimSun SimHei 青鸟华光简彩云; do
      printf '"%s"="%s"\r\n' "$f" "$face"
    done
    # No window manager runs on the test display: unmanaged windows spare every hide and destroy
    # Wine's two-second wait for a window manager's answer.
    printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n'
    printf '\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]\r\n'
    for f in Tahoma "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif" "Segoe UI"; do
      printf '"%s"=hex(7):' "$f"
      printf '%s,%s\0\0' "$font" "$face" | iconv -f UTF-8 -t UTF-16LE | od -An -tx1 -v |
        tr -s ' \n' ',' | sed 's/^,//; s/,$//'
      printf '\r\n'
    done
  } >"$tmp"
  kelvra_import_reg "$tmp"
  rm -f "$tmp"
  wineserver -w
  touch "$WINEPREFIX/.kelvra-ready-2"
}

# Keeps one wineserver alive so that each test process starts fast. Wine's background services
# start with the first program and keep its output open: start them here, writing nowhere, so
# they never hold a test runner's pipe.
kelvra_wine_up() {
  [ -n "${DISPLAY:-}" ] || kelvra_start_xvfb || return 1
  kelvra_prepare_prefix </dev/null >/dev/null 2>&1
  wineserver -p </dev/null >/dev/null 2>&1 || true
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

kelvra_wine_down() {
  wineserver -k >/dev/null 2>&1 || true
  kelvra_stop_xvfb
}
