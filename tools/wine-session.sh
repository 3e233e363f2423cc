# Sourced by ./test and ./run: a headless X server and a throwaway Wine
# prefix for this run, both gone when the shell exits.
#   wine_session_start DIR [WIDTHxHEIGHTxDEPTH]
# exports DISPLAY, WINEPREFIX and WINEDEBUG, and keeps wineserver alive
# for the whole run so that every Wine process after the first is quick.

wine_session_stop() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
  [ -n "${ZORV_XVFB_PID:-}" ] && kill "$ZORV_XVFB_PID" >/dev/null 2>&1 || true
}

wine_session_start() {
  local dir=$1 screen=${2:-1024x768x24}
  rm -rf "$dir"
  mkdir -p "$dir"
  dir=$(realpath "$dir")

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
  if [ -f "$dir/env" ] && kill -0 "$(cat "$dir/xvfb.pid" 2>/dev/null)" 2>/dev/null; then
    cat "$dir/env"
    return
  fi
  wine_session_start "$dir" "${2:-1024x768x24}" >/dev/null 2>&1
  trap - EXIT
  echo "$ZORV_XVFB_PID" >"$WINEPREFIX/../xvfb.pid"
  printf 'export DISPLAY=%s WINEPREFIX=%s WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="\n' \
    "$DISPLAY" "$WINEPREFIX" | tee "$WINEPREFIX/../env"
}
