# Sourced by the measuring scripts: the steps they share.

# Builds unless SKIP_BUILD=1 and sets root, dist (the programs measured)
# and tree (their build tree): the shipped 32-bit build, or where this
# machine runs no 32-bit programs the x86-64 test build, which it says.
choose_measured_build() {
  root=${ZORV_BUILD_ROOT:-build}
  dist=$(realpath -m "${ZORV_DIST:-dist}")
  [ "${SKIP_BUILD:-0}" = 1 ] || tools/build.sh >/dev/null
  tree=$root/win
  if [ "$(tools/windows-test-arch.sh)" = x86_64 ]; then
    tree=$root/win64 dist=$(realpath -m "$root/win64/dist")
    echo "(this machine runs no 32-bit programs: figures of the x86-64 build under 64-bit Wine)"
  fi
}

# The strongest fog (largest puffs at Delay 0, never a refresh) on the
# random-image background, with PICTURE as the whole image list.
store_strongest_fog() {
  local picture=$1 key='HKCU\SOFTWARE\Zorv'
  for setting in Density=10 Power=200 MixPix=1 Ray=100 BackgroundMode=2 Delay=0 Timeout=4294967295; do
    wine reg add "$key" /v "${setting%=*}" /t REG_DWORD /d "${setting#*=}" /f >/dev/null
  done
  wine reg add "$key\\Images" /v 0 /t REG_SZ /d "$(winepath -w "$picture")" /f >/dev/null
}

forget_settings() { wine reg delete 'HKCU\SOFTWARE\Zorv' /f >/dev/null 2>&1 || true; }

# A /proc status field of a process (VmHWM, VmRSS), or "unknown".
process_memory() {
  local value
  value=$(sed -n "s/^$2:[[:space:]]*//p" "/proc/$1/status" 2>/dev/null || true)
  echo "${value:-unknown}"
}

# Asks the running saver to close (the measuring program's close), and
# waits for the process PID.
close_saver() {
  wine "$1" close >/dev/null || kill "$2" 2>/dev/null || true
  wait "$2" 2>/dev/null || true
}
