#!/usr/bin/env bash
# Figures of the saver with a large picture (8000x8000 by default) on a
# 1024x768 screen, under Wine in a headless X server of its own, for each
# of JPEG (baseline and progressive), PNG, BMP and TIFF:
#  - peak memory (VmHWM) of the zorv.scr process, the picture on screen;
#  - a key pressed while the picture decodes, to the process's end;
#  - start to the picture on the screen.
#   tools/measure-pictures.sh [zorv.scr to measure] [edge in pixels]
# ZORV_BUILD_ROOT and ZORV_DIST as for tools/build.sh; SKIP_BUILD=1 uses
# what is built. On a machine that runs no 32-bit programs the figures are
# the x86-64 test build's, and say so.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/measure-common.sh
choose_measured_build
saver=$(realpath "${1:-$dist/zorv.scr}")
edge=${2:-8000}
figures=$(realpath "$tree/bench/saver_figures.exe")

source tools/wine-session.sh
wine_session_start "$root/measure-pictures-session"
work=$(realpath "$root/measure-pictures-session")
# The measuring program starts dist/zorv.scr: give it the one measured.
mkdir -p "$work/dist"
cp "$saver" "$work/dist/zorv.scr"
export ZORV_DIST="$work/dist"

# "progressive": the JPEG as a progressive one.
for format in jpg progressive png bmp tif; do
  options=()
  if [ "$format" = progressive ]; then
    options=(-interlace JPEG)
    picture="$work/large-progressive.jpg"
  else
    picture="$work/large.$format"
  fi
  convert -size "${edge}x${edge}" gradient:orange-navy -quality 90 "${options[@]}" "$picture"
  echo "== ${edge}x${edge} $format ($(du -h "$picture" | cut -f1))"
  wine "$figures" bigpicture "$(winepath -w "$picture")"

  store_strongest_fog "$picture"
  wine "$ZORV_DIST/zorv.scr" /s &
  pid=$!
  sleep 12
  echo "peak memory of the zorv.scr process (Wine's included) after 12 s: VmHWM $(process_memory "$pid" VmHWM)"
  close_saver "$figures" "$pid"
  forget_settings
  rm -f "$picture"
done
