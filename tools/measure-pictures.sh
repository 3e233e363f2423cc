#!/usr/bin/env bash
# Figures of the saver with a large picture (8000x8000 by default) on a
# 1024x768 screen, under Wine in a headless X server of its own, for each
# of JPEG, PNG, BMP and TIFF:
#  - peak memory (VmHWM) of the zorv.scr process, the picture on screen;
#  - a key pressed while the picture decodes, to the process's end;
#  - start to the picture on the screen.
#   tools/measure-pictures.sh [zorv.scr to measure] [edge in pixels]
# SKIP_BUILD=1 uses what is built.
set -euo pipefail
cd "$(dirname "$0")/.."
root=${ZORV_BUILD_ROOT:-build}
[ "${SKIP_BUILD:-0}" = 1 ] || tools/build.sh >/dev/null
saver=$(realpath "${1:-dist/zorv.scr}")
edge=${2:-8000}
figures=$(realpath "$root/win/bench/saver_figures.exe")

source tools/wine-session.sh
wine_session_start "$root/measure-pictures-session"
work=$(realpath "$root/measure-pictures-session")
# The measuring program starts dist/zorv.scr: give it the one measured.
mkdir -p "$work/dist"
cp "$saver" "$work/dist/zorv.scr"
export ZORV_DIST="$work/dist"

key='HKCU\SOFTWARE\Zorv'
for format in jpg png bmp tif; do
  picture="$work/large.$format"
  convert -size "${edge}x${edge}" gradient:orange-navy -quality 90 "$picture"
  echo "== ${edge}x${edge} $format ($(du -h "$picture" | cut -f1))"
  wine "$figures" bigpicture "$(winepath -w "$picture")"

  for setting in Density=10 Power=200 MixPix=1 Ray=100 BackgroundMode=2 Delay=0 Timeout=4294967295; do
    wine reg add "$key" /v "${setting%=*}" /t REG_DWORD /d "${setting#*=}" /f >/dev/null
  done
  wine reg add "$key\\Images" /v 0 /t REG_SZ /d "$(winepath -w "$picture")" /f >/dev/null
  wine "$ZORV_DIST/zorv.scr" /s &
  pid=$!
  sleep 12
  hwm=$(sed -n 's/^VmHWM:[[:space:]]*//p' "/proc/$pid/status" 2>/dev/null || true)
  echo "peak memory of the zorv.scr process (Wine's included) after 12 s: VmHWM ${hwm:-unknown}"
  wine "$figures" close >/dev/null || kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  wine reg delete "$key" /f >/dev/null 2>&1 || true
  rm -f "$picture"
done
