#!/usr/bin/env bash
# Measures the running saver under Wine in a headless X server and prints
# the figures:
#  - time from a /s start to the first background on the screen, modes 1 and 2;
#  - time from a key press to the process's end at the largest puff settings;
#  - the fog's pace at the default settings, one line for each of a 152x112
#    preview, a 1024x768 screen and a 1920x1080 screen: puffs per second,
#    the brightness half-life (extrapolated from a run of
#    ZORV_PACE_SECONDS, 60 by default) and the processor time;
#  - peak memory (VmHWM) of the zorv.scr process at the largest settings on a
#    picture of the screen's size.
# ZORV_BUILD_ROOT and ZORV_DIST as for tools/build.sh; SKIP_BUILD=1 uses
# what is built. On a machine that runs no 32-bit programs the figures are
# the x86-64 test build's, and say so.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/measure-common.sh
choose_measured_build
figures=$(realpath "$tree/bench/saver_figures.exe")
seconds=${ZORV_PACE_SECONDS:-60}

source tools/wine-session.sh
export ZORV_DIST="$dist"

# The fog's pace on a photograph that a Debian package ships (as
# bench/fog_pace_bench takes), or on a plasma fractal where it is missing.
measure_pace() {
  local screen=$1 session=$root/measure-session-$1
  wine_session_start "$session" "${screen}x24"
  local picture
  picture=$(ls /usr/share/cargo/registry/jpeg-decoder-*/benches/large_image.jpg 2>/dev/null | head -1 || true)
  if [ -z "$picture" ]; then
    picture=$(realpath "$session")/pace.jpg
    convert -seed 7 -size "$screen" plasma:fractal -blur 0x2 -quality 92 "$picture"
  fi
  [ "$screen" = 1024x768 ] && wine "$figures" pace "$(winepath -w "$picture")" "$seconds" preview
  wine "$figures" pace "$(winepath -w "$picture")" "$seconds"
  wine_session_stop
}
measure_pace 1024x768
measure_pace 1920x1080

wine_session_start "$root/measure-session"
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
