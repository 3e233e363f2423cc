#!/usr/bin/env bash
# Takes a picture of a two-monitor run for the documentation:
#   tools/screenshot-monitors.sh [ZORV_SCR [OUTPUT_PNG]]
# (defaults: dist/zorv.scr and docs/monitors.png). A taller monitor left of
# the primary, the primary lower down, so that a dead area lies above it;
# a picture on each monitor; the saver with the screen-image background,
# captured after a few seconds of fog. Wine session of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
saver=$(realpath "${1:-dist/zorv.scr}")
output=$(realpath -m "${2:-docs/monitors.png}")
[ -f "$saver" ] || { echo "no saver at $saver: build it first (tools/build.sh)" >&2; exit 1; }

session=$(mktemp -d /tmp/zorv-monitors.XXXXXX)
source tools/wine-session.sh
wine_session_start "$session/wine"
trap 'wine_session_stop; rm -rf "$session"' EXIT
wine_layout_apply "$session/wine/layout-session" "1280x1024+0+0,1024x768+1280+256" 1 96

# What the screen shows before the saver starts: a picture on each monitor.
convert -size 1280x1024 gradient:'#0b2545'-'#8da9c4' -fill '#f4d35e' -draw "circle 640,512 640,250" \
  -fill '#ee964b' -draw "rectangle 100,90 420,330" -stroke '#f95738' -strokewidth 14 -draw "line 120,900 700,60" \
  "$session/left.png"
convert -size 1024x768 gradient:'#3d0c02'-'#f2a65a' -fill '#2a9d8f' -draw "circle 512,384 512,170" \
  -fill '#264653' -draw "rectangle 700,500 980,730" -stroke '#e9c46a' -strokewidth 12 -draw "line 0,600 1024,420" \
  "$session/right.png"
display -geometry +0+0 -borderwidth 0 "$session/left.png" &
left=$!
display -geometry +1280+256 -borderwidth 0 "$session/right.png" &
right=$!
sleep 2

setting() { wine reg add 'HKCU\SOFTWARE\Zorv' /v "$1" /t REG_DWORD /d "$2" /f >/dev/null 2>&1; }
setting BackgroundMode 0
setting Density 10
setting Power 150
setting MixPix 1
setting Ray 80
setting Delay 2
setting Timeout 4294967295
wine "$saver" /s &
running=$!
sleep 7  # two of them stepping aside for the screen copy
import -display "$DISPLAY" -window root -crop 2304x1024+0+0 -resize 50% "$output"
kill "$running" "$left" "$right" 2>/dev/null || true
wait "$running" 2>/dev/null || true
echo "$output"
