# Sourced by ./test and ./run: a headless X server and a throwaway Wine
# prefix for this run, both gone when the shell exits.
#   wine_session_start DIR [WIDTHxHEIGHTxDEPTH]
# exports DISPLAY, WINEPREFIX and WINEDEBUG, and keeps wineserver alive
# for the whole run so that every Wine process after the first is quick.

# On a machine that runs no 32-bit programs, Wine is its 64-bit loader.
ZORV_WINE64_DIR=""
if [ "$("$(dirname "${BASH_SOURCE[0]}")/windows-test-arch.sh")" = x86_64 ]; then
  ZORV_WINE64_DIR=$(realpath "$(dirname "${BASH_SOURCE[0]}")/wine64")
  case ":$PATH:" in
  *":$ZORV_WINE64_DIR:"*) ;;
  *) export PATH="$ZORV_WINE64_DIR:$PATH" ;;
  esac
fi

wine_session_stop() {
  [ -n "${ZORV_SESSION_DIR:-}" ] && wine_layout_session_stop "$ZORV_SESSION_DIR/layout-session"
  [ -n "${ZORV_SESSION_DIR:-}" ] && WINEPREFIX="$ZORV_SESSION_DIR/prefix" wineserver -k >/dev/null 2>&1 || true
  [ -n "${ZORV_XVFB_PID:-}" ] && kill "$ZORV_XVFB_PID" >/dev/null 2>&1 || true
}

wine_session_start() {
  local dir=$1 screen=${2:-1024x768x24}
  rm -rf "$dir"
  mkdir -p "$dir"
  dir=$(realpath "$dir")
  ZORV_SESSION_DIR=$dir

  local display=90
  while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
  Xvfb ":$display" -screen 0 "$screen" -nolisten tcp >"$dir/xvfb.log" 2>&1 &
  ZORV_XVFB_PID=$!
  export DISPLAY=":$display"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done

  export WINEPREFIX="$dir/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  trap wine_session_stop EXIT
  wineboot -i >"$dir/wineboot.log" 2>&1 || true
  # No crash dialog: a test that faults on purpose must simply end.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  # No window manager runs here: without this, Wine waits two seconds for
  # one at every hide or close of a top-level window.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  wineserver -p || true
}

# For development: a session that outlives the shell that started it.
#   eval "$(tools/dev-session.sh DIR)"
# starts one in DIR the first time and prints the exports to reach it.
wine_session_keep() {
  local dir=$1
  if ! { [ -f "$dir/env" ] && kill -0 "$(cat "$dir/xvfb.pid" 2>/dev/null)" 2>/dev/null; }; then
    wine_session_start "$dir" "${2:-1024x768x24}" >/dev/null 2>&1
    trap - EXIT
    echo "$ZORV_XVFB_PID" >"$WINEPREFIX/../xvfb.pid"
    printf 'export DISPLAY=%s WINEPREFIX=%s WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="\n' \
      "$DISPLAY" "$WINEPREFIX" >"$WINEPREFIX/../env"
  fi
  cat "$dir/env"
  # The caller's shell runs Wine through tools/wine-run: it needs the
  # 64-bit launcher first on its PATH as much as this script did.
  if [ -n "$ZORV_WINE64_DIR" ]; then
    printf 'case ":$PATH:" in *":%s:"*) ;; *) export PATH="%s:$PATH" ;; esac\n' "$ZORV_WINE64_DIR" "$ZORV_WINE64_DIR"
  fi
}

# Sessions with several monitors or a scaled display, for the tests that
# ask for one (tools/wine-layout-run). Beside the session in use lies a
# second one, started on first demand and stopped with the first: its own
# X server with one large screen cut into monitors, and its own prefix,
# whose Wine sees the monitors through Xinerama.
#   wine_layout_apply DIR MONITORS PRIMARY DPI
# MONITORS: "WxH+X+Y,WxH+X+Y,..." in X screen coordinates; PRIMARY: the
# index of the primary among them; DPI: 96, or more for Wine's scaling.
# Prints the exports that reach the session.
readonly ZORV_LAYOUT_SCREEN=4096x2048x24

wine_layout_session_stop() {
  local dir=$1
  [ -f "$dir/xvfb.pid" ] || return 0
  WINEPREFIX="$dir/prefix" wineserver -k >/dev/null 2>&1 || true
  kill "$(cat "$dir/xvfb.pid")" >/dev/null 2>&1 || true
  rm -f "$dir/xvfb.pid" "$dir/applied"
}

wine_layout_session_start() {
  local dir=$1
  rm -rf "$dir"
  mkdir -p "$dir"
  local display=120
  while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
  # -noreset: the monitors set below outlive every client.
  Xvfb ":$display" -noreset -screen 0 "$ZORV_LAYOUT_SCREEN" -nolisten tcp >"$dir/xvfb.log" 2>&1 &
  echo $! >"$dir/xvfb.pid"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
  echo ":$display" >"$dir/display"
  (
    export DISPLAY=":$display" WINEPREFIX="$dir/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    wineboot -i >"$dir/wineboot.log" 2>&1 || true
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    # Xinerama rather than RandR: RandR would report the one X screen.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /t REG_SZ /d N /f >/dev/null 2>&1
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
  )
}

wine_layout_apply() {
  local dir=$1 monitors=$2 primary=$3 dpi=$4
  if ! { [ -f "$dir/xvfb.pid" ] && kill -0 "$(cat "$dir/xvfb.pid")" 2>/dev/null; }; then
    wine_layout_session_start "$dir"
  fi
  local display
  display=$(cat "$dir/display")
  export DISPLAY=$display WINEPREFIX="$dir/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  local wanted="$monitors $primary $dpi"
  if [ "$(cat "$dir/applied" 2>/dev/null)" != "$wanted" ]; then
    # Wine reads the monitors and the scaling once, when its first
    # process starts: every Wine process of this prefix goes first.
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    local name
    for name in $(xrandr --listmonitors | sed -n 's/^ *[0-9]*: \([A-Za-z0-9]*\) .*/\1/p'); do
      xrandr --delmonitor "$name" >/dev/null 2>&1 || true
    done
    # The first monitor takes the screen's output, so that the screen
    # itself no longer counts as one; the others have none.
    local index=0 output=screen geometry
    for geometry in ${monitors//,/ }; do
      local w=${geometry%%x*} rest=${geometry#*x}
      local h=${rest%%+*}
      xrandr --setmonitor "ZORV$index" "$w/$((w / 4))x$h/$((h / 4))+${rest#*+}" "$output" >/dev/null
      output=none index=$((index + 1))
    done
    local scaling=0
    if [ "$dpi" -ne 96 ]; then scaling=0x1018; fi
    cat >"$dir/layout.reg" <<REG
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"PrimaryMonitor"="$primary"

[HKEY_CURRENT_USER\Control Panel\Desktop]
"LogPixels"=dword:$(printf %08x "$dpi")
"DpiScalingVer"=dword:$(printf %08x "$scaling")
REG
    wine regedit /S "$(winepath -w "$dir/layout.reg")" >/dev/null 2>&1 || true
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    echo "$wanted" >"$dir/applied"
  fi
}
