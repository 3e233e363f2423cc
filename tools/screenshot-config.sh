#!/usr/bin/env bash
# Takes a picture of the configuration dialog with a fog puff in its
# preview, for the documentation:
#   tools/screenshot-config.sh [ZORV_SCR [OUTPUT_PNG [DPI]]]
# (defaults: dist/zorv.scr, docs/config-dialog.png and 96; 192 shows the
# dialog on a display scaled to 200%, as Wine scales one). It runs the saver's
# configuration mode in a Wine session of its own, with settings that show
# a puff on one of the repository's own pictures, and captures the dialog's
# window from the X display.
set -euo pipefail
cd "$(dirname "$0")/.."
saver=$(realpath "${1:-dist/zorv.scr}")
output=$(realpath -m "${2:-docs/config-dialog.png}")
dpi=${3:-96}
picture=$(realpath resources/cause-nature.bmp)
[ -f "$saver" ] || { echo "no saver at $saver: build it first (tools/build.sh)" >&2; exit 1; }

session=$(mktemp -d /tmp/zorv-screenshot.XXXXXX)
source tools/wine-session.sh
# A scaled dialog needs a larger screen than the 1024 x 768 of 96 dpi.
wine_session_start "$session/wine" "$((1024 * dpi / 96))x$((768 * dpi / 96))x24"
trap 'wine_session_stop; rm -rf "$session"' EXIT
# The dialog as a window manager would frame it: Wine leaves the frame to
# one and draws only the client area, as every picture of it shows. (Wine
# draws its own caption otherwise, with glyphs from a font that a Wine
# without its font package lacks.)
wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1
if [ "$dpi" -ne 96 ]; then
  desktop='HKCU\Control Panel\Desktop'
  wine reg add "$desktop" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wine reg add "$desktop" /v DpiScalingVer /t REG_DWORD /d 0x1018 /f >/dev/null 2>&1
fi
# Wine reads both when its first process starts: every one goes first.
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true

setting() { wine reg add 'HKCU\SOFTWARE\Zorv' /v "$1" /t REG_DWORD /d "$2" /f >/dev/null 2>&1; }
setting Density 10
setting Power 150
setting MixPix 1
setting Ray 70
setting BackgroundMode 2
setting Delay 500
setting Timeout 300
wine reg add 'HKCU\SOFTWARE\Zorv\Images' /v 0 /t REG_SZ /d "$(winepath -w "$picture")" /f >/dev/null 2>&1

wine "$saver" /c >/dev/null 2>&1 &
window=""
for _ in $(seq 60); do
  window=$(xwininfo -root -tree 2>/dev/null | awk '/"ZORV 2.0"/ { print $1; exit }')
  [ -n "$window" ] && break
  sleep 0.5
done
[ -n "$window" ] || { echo "the dialog did not show" >&2; exit 1; }
sleep 3  # the preview is drawn once the dialog has been activated

mkdir -p "$(dirname "$output")"
# 256 colours keep the file small; the dialog has few more.
import -display "$DISPLAY" -window "$window" "png8:$output"
echo "wrote $output"
