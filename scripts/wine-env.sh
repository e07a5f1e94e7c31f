# Sourced by ./test, ./run and the test wrapper: a private X display and a Wine prefix of the
# project's own under build/. Functions only; nothing runs at source time.

KELVRA_ROOT=${KELVRA_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
export WINEARCH=win32
# KELVRA_PREFIX_BASE names the prefixes (the default one and those of other code pages and DPIs
# get suffixes): two runs on one machine each give their own.
export KELVRA_PREFIX_BASE=${KELVRA_PREFIX_BASE:-$KELVRA_ROOT/build/wineprefix}
export WINEPREFIX=${WINEPREFIX:-$KELVRA_PREFIX_BASE}
KELVRA_SCREEN=${KELVRA_SCREEN:-1280x1024x24}
KELVRA_DPI=96
KELVRA_WINE_ENV=()

# kelvra_wine_select [CODEPAGE] [DPI]: Wine under code page 1252 (the default) or 936, at 96 (the
# default), 120, 144 or 192 DPI. Wine takes the code page from the locale of each process it
# starts, and the DPI from LogPixels in its prefix: each pair gets a prefix of its own,
# build/wineprefix[-cp936][-dpiN], and a screen large enough for its windows.
kelvra_wine_select() {
  local cp=${1:-1252} dpi=${2:-96} suffix=
  case $cp in
    1252) KELVRA_WINE_ENV=(LC_ALL=C.UTF-8) ;;
    936)
      kelvra_make_locale zh_CN.UTF-8 || return 1
      KELVRA_WINE_ENV=(LOCPATH="$KELVRA_ROOT/build/locale" LC_ALL=zh_CN.UTF-8)
      suffix=-cp936
      ;;
    *) echo "wine-env: no code page $cp (1252 or 936)" >&2; return 1 ;;
  esac
  case $dpi in
    96) ;;
    120 | 144 | 192) suffix+=-dpi$dpi KELVRA_SCREEN=2560x1600x24 ;;
    *) echo "wine-env: no DPI $dpi (96, 120, 144 or 192)" >&2; return 1 ;;
  esac
  # Wine takes the code page from the locale's name even when glibc cannot load the locale; the
  # X names of its windows then lose what ASCII cannot spell, and xdotool finds none.
  [ "$(env "${KELVRA_WINE_ENV[@]}" locale charmap 2>/dev/null)" = UTF-8 ] ||
    { echo "wine-env: the locale ${KELVRA_WINE_ENV[*]} does not load" >&2; return 1; }
  KELVRA_DPI=$dpi
  export WINEPREFIX=$KELVRA_PREFIX_BASE$suffix
}

# kelvra_make_locale NAME: a locale of our own under build/locale (glibc finds it by LOCPATH), so
# that no system locale needs to be generated.
kelvra_make_locale() {
  local dir=$KELVRA_ROOT/build/locale name=$1
  [ -f "$dir/$name/LC_IDENTIFICATION" ] && return 0
  mkdir -p "$dir" && rm -rf "$dir/$name.tmp" &&
    localedef -i "${name%%.*}" -f "${name#*.}" "$dir/$name.tmp" >/dev/null 2>&1 &&
    mv "$dir/$name.tmp" "$dir/$name" ||
    { echo "wine-env: localedef could not build $name (package locales)" >&2; return 1; }
}

# wine in the locale of the selected code page
kelvra_wine() { env "${KELVRA_WINE_ENV[@]}" wine "$@"; }

# kelvra_wine_query KEY VALUE: the data of a registry value, as the prefix's Wine reads it.
kelvra_wine_query() {
  kelvra_wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v v="$2" '$1 == v { print $3 }'
}

# Starts Xvfb on a free display and exports DISPLAY; KELVRA_XVFB_PID names the server. An X server
# resets when its last client leaves; a Wine process connecting during that reset finds no display
# driver and exits 255 before its window shows (and every xdotool poll is a client that leaves):
# -noreset keeps the server as it is for its whole life.
kelvra_start_xvfb() {
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    setsid Xvfb ":$n" -screen 0 "$KELVRA_SCREEN" -nolisten tcp -ac -noreset >/dev/null 2>&1 &
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

# kelvra_hold_display: keeps a display that someone else started ($DISPLAY) from resetting while
# we use it: one idle client of our own (KELVRA_HOLD_PID, ended by kelvra_release_display) that
# watches a root property nobody sets. Refuses a display it cannot reach.
kelvra_hold_display() {
  local said i
  said=$(mktemp)
  xprop -root -spy _KELVRA_HOLD >"$said" 2>&1 </dev/null &
  KELVRA_HOLD_PID=$!
  # It prints the property's state once it is connected, and stays.
  for i in $(seq 1 100); do
    kill -0 "$KELVRA_HOLD_PID" 2>/dev/null || break
    [ -s "$said" ] && { rm -f "$said"; return 0; }
    sleep 0.1
  done
  echo "wine-env: cannot hold the X display '${DISPLAY:-}': $(cat "$said")" >&2
  rm -f "$said"
  kelvra_release_display
  return 1
}

kelvra_release_display() {
  if [ -n "${KELVRA_HOLD_PID:-}" ]; then
    kill "$KELVRA_HOLD_PID" 2>/dev/null
    wait "$KELVRA_HOLD_PID" 2>/dev/null
  fi
  KELVRA_HOLD_PID=
}

# Writes a UTF-16 .reg file (Chinese value names need it) and imports it.
kelvra_import_reg() {
  local utf8=$1 reg=$WINEPREFIX/kelvra-import.reg
  { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE <"$utf8"; } >"$reg"
  kelvra_wine regedit /S "$reg" >/dev/null 2>&1
}

# Creates the prefix once: fonts for the Chinese faces and the DPI, then marks it ready.
kelvra_prepare_prefix() {
  [ -f "$WINEPREFIX/.kelvra-ready-2" ] && return 0
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  kelvra_wine wineboot -i >/dev/null 2>&1 || true
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
    [ "$KELVRA_DPI" = 96 ] ||
      printf '\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"LogPixels"=dword:%08x\r\n' "$KELVRA_DPI"
  } >"$tmp"
  kelvra_import_reg "$tmp"
  rm -f "$tmp"
  if [ "$KELVRA_DPI" != 96 ] &&
    [ "$(kelvra_wine_query 'HKCU\Control Panel\Desktop' LogPixels)" != "$(printf 0x%x "$KELVRA_DPI")" ]; then
    echo "wine-env: LogPixels did not reach the prefix $WINEPREFIX" >&2
    return 1
  fi
  wineserver -w
  touch "$WINEPREFIX/.kelvra-ready-2"
}

# Keeps one wineserver alive so that each test process starts fast. Wine's background services
# start with the first program and keep its output open: start them here, writing nowhere, so
# they never hold a test runner's pipe.
kelvra_wine_up() {
  [ -n "${DISPLAY:-}" ] || kelvra_start_xvfb || return 1
  kelvra_prepare_prefix </dev/null >/dev/null || return 1
  wineserver -p </dev/null >/dev/null 2>&1 || true
  kelvra_wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

# kelvra_wine_down [PREFIX...]: ends the Wine servers of the prefixes (default: the selected one)
# and our Xvfb.
kelvra_wine_down() {
  local p
  for p in "${@:-$WINEPREFIX}"; do
    WINEPREFIX=$p wineserver -k >/dev/null 2>&1 || true
  done
  kelvra_stop_xvfb
}
