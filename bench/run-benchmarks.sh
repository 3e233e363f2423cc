#!/usr/bin/env bash
# Runs the benchmarks and prints their figures: the native puff benchmark
# (dist/fogpuff_bench) and, under Wine in a headless X server of its own,
# whole FogPuffBuffer calls on a real window (dist/fogpuff_bench.exe); then
# the own JPEG reader on 8000x8000 files made here with ImageMagick, baseline
# and progressive, in both builds (dist/jpeg_bench, dist/jpeg_bench.exe).
#   bench/run-benchmarks.sh [DIST]     (default: dist)
set -euo pipefail
cd "$(dirname "$0")/.."
dist=$(realpath "${1:-dist}")
for program in fogpuff_bench fog_pace_bench fogpuff_bench.exe jpeg_bench jpeg_bench.exe; do
  [ -f "$dist/$program" ] || { echo "run-benchmarks: $dist/$program is missing; build first (tools/build.sh)" >&2; exit 1; }
done

echo "== native: the buffer path's puff in memory"
"$dist/fogpuff_bench"

echo
echo "== native: the puffs that halve a photograph's brightness, and the fog's pace on each size"
# A photograph that a Debian package ships (2268x1512), for want of one of our own.
photograph=$(ls /usr/share/cargo/registry/jpeg-decoder-*/benches/large_image.jpg 2>/dev/null | head -1 || true)
if [ -z "$photograph" ]; then
  tools/install-deps.sh --conformance >/dev/null
  photograph=$(ls /usr/share/cargo/registry/jpeg-decoder-*/benches/large_image.jpg | head -1)
fi
pace_picture=$(mktemp --suffix=.ppm)
convert "$photograph" -depth 8 "$pace_picture"
"$dist/fog_pace_bench" "$pace_picture"
rm -f "$pace_picture"

echo
echo "== Windows build under Wine: FogPuffBuffer on a window"
source tools/wine-session.sh
session=$(mktemp -d)
wine_session_start "$session/wine"
trap 'wine_session_stop; rm -rf "$session"' EXIT
wine "$dist/fogpuff_bench.exe"

echo
echo "== the own JPEG reader: an 8000x8000 baseline JPEG (gradient, quality 90)"
convert -size 8000x8000 gradient:orange-navy -quality 90 "$session/large.jpg"
echo -n "native: "
"$dist/jpeg_bench" "$session/large.jpg"
echo -n "Windows build under Wine: "
wine "$dist/jpeg_bench.exe" "$(winepath -w "$session/large.jpg")"

echo
echo "== the own JPEG reader: the same picture progressive"
convert -size 8000x8000 gradient:orange-navy -quality 90 -interlace JPEG "$session/large-progressive.jpg"
echo -n "native: "
"$dist/jpeg_bench" "$session/large-progressive.jpg"
echo -n "Windows build under Wine: "
wine "$dist/jpeg_bench.exe" "$(winepath -w "$session/large-progressive.jpg")"
