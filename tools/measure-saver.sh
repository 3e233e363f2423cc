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
source tools/measure-common.sh
wine_session_start "$root/measure-session"
export ZORV_DIST="$dist"

wine "$figures" all

# Peak memory: the strongest fog on a screen-sized picture for a while.
picture=$(realpath "$root/measure-session")/picture.jpg
convert -size 1024x768 plasma:fractal -quality 90 "$picture"
store_strongest_fog "$picture"
wine "$dist/zorv.scr" /s &
saver=$!
sleep 10
if grep -qa zorv.scr "/proc/$saver/cmdline" 2>/dev/null; then
  echo "peak memory of the zorv.scr process (Wine's included) after 10 s, largest settings, 1024x768 JPEG:" \
       "VmHWM $(process_memory "$saver" VmHWM) (VmRSS $(process_memory "$saver" VmRSS))"
else
  echo "peak memory: the zorv.scr process was not found"
fi
close_saver "$figures" "$saver"
forget_settings
