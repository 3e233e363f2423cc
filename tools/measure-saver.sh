#!/usr/bin/env bash
# Measures the running saver under Wine in a headless X server and prints
# the figures:
#  - time from a /s start to the first background on the screen, modes 1 and 2;
#  - time from a key press to the process's end at the largest puff settings;
#  - puffs per second at Delay 0 with the default settings;
#  - peak memory (VmHWM) of the zorv.scr process at the largest settings on a
#    picture of the screen's size.
# ZORV_BUILD_ROOT and ZORV_DIST as for tools/build.sh; SKIP_BUILD=1 uses
# what is built.
set -euo pipefail
cd "$(dirname "$0")/.."
root=${ZORV_BUILD_ROOT:-build}
dist=$(realpath -m "${ZORV_DIST:-dist}")
[ "${SKIP_BUILD:-0}" = 1 ] || tools/build.sh >/dev/null
figures=$(realpath "$root/win/bench/saver_figures.exe")

source tools/wine-session.sh
wine_session_start "$root/measure-session"
export ZORV_DIST="$dist"

wine "$figures" all

# Peak memory: the strongest fog on a screen-sized picture for a while.
picture=$(realpath "$root/measure-session")/picture.jpg
convert -size 1024x768 plasma:fractal -quality 90 "$picture"
key='HKCU\SOFTWARE\Zorv'
for setting in Density=10 Power=200 MixPix=1 Ray=100 BackgroundMode=2 Delay=0 Timeout=4294967295; do
  wine reg add "$key" /v "${setting%=*}" /t REG_DWORD /d "${setting#*=}" /f >/dev/null
done
wine reg add "$key\\Images" /v 0 /t REG_SZ /d "$(winepath -w "$picture")" /f >/dev/null

wine "$dist/zorv.scr" /s &
saver=$!
sleep 10
hwm=$(sed -n 's/^VmHWM:[[:space:]]*//p' "/proc/$saver/status" 2>/dev/null || true)
rss=$(sed -n 's/^VmRSS:[[:space:]]*//p' "/proc/$saver/status" 2>/dev/null || true)
if grep -qa zorv.scr "/proc/$saver/cmdline" 2>/dev/null; then
  echo "peak memory of the zorv.scr process (Wine's included) after 10 s, largest settings, 1024x768 JPEG: VmHWM $hwm (VmRSS $rss)"
else
  echo "peak memory: the zorv.scr process was not found"
fi
wine "$figures" close || kill "$saver" 2>/dev/null || true
wait "$saver" 2>/dev/null || true
wine reg delete "$key" /f >/dev/null 2>&1 || true
